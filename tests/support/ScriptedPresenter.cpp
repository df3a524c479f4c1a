#include "ScriptedPresenter.h"

#include <QAction>
#include <QMenu>

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

RecordingPopupRunner::RecordingPopupRunner()
{
    SetPopupMenuRunner(this);
}

RecordingPopupRunner::~RecordingPopupRunner()
{
    SetPopupMenuRunner(nullptr);
}

void RecordingPopupRunner::Run(QMenu& menu, QAction* defaultItem)
{
    Popped.push_back({menu.objectName(), defaultItem ? defaultItem->objectName() : QString()});
    if (m_choices.empty())
        return;
    const QString choice = m_choices.front();
    m_choices.pop_front();
    if (choice.isEmpty())
        return;
    for (QAction* action : menu.actions())
        if (action->objectName() == choice && action->isEnabled()) {
            action->trigger();
            return;
        }
}
