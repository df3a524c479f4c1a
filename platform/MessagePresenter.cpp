#include "platform/MessagePresenter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {
MessagePresenter* g_presenter = nullptr;

QMessageBox::Icon IconOf(int16_t icon)
{
    switch (icon) {
    case IconQuestion: return QMessageBox::Question;
    case IconExclamation: return QMessageBox::Warning;
    case IconInformation: return QMessageBox::Information;
    default: return QMessageBox::Critical;
    }
}
}

int16_t MessageRequest::DefaultAnswer() const
{
    if (Buttons == ButtonsYesNo)
        return DefaultButton == DefaultSecond ? AnswerNo : AnswerYes;
    return AnswerOK;
}

int16_t QMessageBoxPresenter::Present(const MessageRequest& request)
{
    QMessageBox box(IconOf(request.Icon), request.Title, request.Text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // Line breaks in the texts are CR LF; the box wants plain line feeds.
    QString text = request.Text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    if (request.Buttons == ButtonsYesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(request.DefaultButton == DefaultSecond ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    box.raise();
    box.activateWindow();
    const int answer = box.exec();
    if (request.Buttons == ButtonsYesNo)
        return answer == QMessageBox::Yes ? AnswerYes : AnswerNo;
    return AnswerOK;
}

MessagePresenter& CurrentMessagePresenter()
{
    static QMessageBoxPresenter boxPresenter;
    return g_presenter ? *g_presenter : boxPresenter;
}

void SetMessagePresenter(MessagePresenter* presenter) { g_presenter = presenter; }
