#include "ScriptedPresenter.h"

#include "platform/MousePointer.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>

ScriptedPresenter::ScriptedPresenter() { SetMessagePresenter(this); }

ScriptedPresenter::~ScriptedPresenter() { SetMessagePresenter(nullptr); }

int16_t ScriptedPresenter::Present(const MessageRequest& request)
{
    Shown.push_back(request);
    PointerWhileShown.push_back(MousePointer());
    if (OnPresent)
        OnPresent(request);
    if (m_answers.empty())
        return request.DefaultAnswer();
    const int16_t answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

ScriptedDialogRunner::ScriptedDialogRunner() { SetModalDialogRunner(this); }

ScriptedDialogRunner::~ScriptedDialogRunner() { SetModalDialogRunner(nullptr); }

int ScriptedDialogRunner::Run(QDialog& dialog)
{
    QPointer<QDialog> guard(&dialog);
    Ran.push_back(dialog.objectName());
    dialog.show();
    QApplication::processEvents();
    if (!m_actions.empty()) {
        Action action = std::move(m_actions.front());
        m_actions.pop_front();
        action(dialog);
    }
    if (guard && dialog.isVisible())
        dialog.reject();
    return guard ? dialog.result() : QDialog::Rejected;
}
