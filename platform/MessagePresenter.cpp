#include "platform/MessagePresenter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
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

std::unique_ptr<QMessageBox> BuildMessageBox(const MessageRequest& request, QWidget* parent)
{
    auto box = std::make_unique<QMessageBox>(IconOf(request.Icon), request.Title, QString(), QMessageBox::NoButton,
                                             parent);
    box->setWindowModality(Qt::ApplicationModal);
    box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // Line breaks in the texts are CR LF; the box wants plain line feeds.
    QString text = request.Text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    auto caption = [&box](QMessageBox::StandardButton which, const QString& label) {
        if (!label.isEmpty())
            box->button(which)->setText(label);
    };
    if (request.Buttons == ButtonsYesNo) {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        caption(QMessageBox::Yes, request.YesCaption);
        caption(QMessageBox::No, request.NoCaption);
        box->setDefaultButton(request.DefaultButton == DefaultSecond ? QMessageBox::No : QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::No);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
        caption(QMessageBox::Ok, request.OKCaption);
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Ok);
    }
    return box;
}

int16_t AnswerOfBox(const MessageRequest& request, int result)
{
    if (request.Buttons == ButtonsYesNo)
        return result == QMessageBox::Yes ? AnswerYes : AnswerNo;
    return AnswerOK;
}

int16_t QMessageBoxPresenter::Present(const MessageRequest& request)
{
    std::unique_ptr<QMessageBox> box = BuildMessageBox(request, QApplication::activeWindow());
    const QPointer<QMessageBox> alive(box.get());
    box->raise();
    box->activateWindow();
    const int result = box->exec();
    // A parent window that went away while the box was up took the box with it.
    if (!alive)
        (void)box.release();
    return AnswerOfBox(request, result);
}

MessagePresenter& CurrentMessagePresenter()
{
    static QMessageBoxPresenter boxPresenter;
    return g_presenter ? *g_presenter : boxPresenter;
}

void SetMessagePresenter(MessagePresenter* presenter) { g_presenter = presenter; }
