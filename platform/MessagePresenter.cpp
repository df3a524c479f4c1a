#include "platform/MessagePresenter.h"

#include "platform/SystemEnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSpacerItem>

#include <algorithm>

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

// QMessageBox takes the No button of a Yes/No box for its escape button when
// none is set, so Escape and the close box would answer No; for "Try again?"
// that silently gives up. A box that asks is closed by its buttons only.
class ProgramMessageBox : public QMessageBox {
public:
    ProgramMessageBox(Icon icon, const QString& title, bool buttonsOnly, QWidget* parent)
        : QMessageBox(icon, title, QString(), QMessageBox::NoButton, parent), buttonsOnly_(buttonsOnly)
    {
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (buttonsOnly_ && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override
    {
        if (buttonsOnly_ && !clickedButton()) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }

private:
    bool buttonsOnly_;
};
}

int MessageBoxTitleWidth(const QString& title)
{
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const QFontMetrics metrics(font);
    // Window managers draw the title in a font of their own, often larger,
    // beside the window icon and three buttons with their gaps, and some
    // centre it between them.
    return metrics.horizontalAdvance(title) * 5 / 4 + 8 * metrics.height();
}

int16_t MessageRequest::DefaultAnswer() const
{
    if (Buttons == ButtonsYesNo)
        return DefaultButton == DefaultSecond ? AnswerNo : AnswerYes;
    return AnswerOK;
}

std::unique_ptr<QMessageBox> BuildMessageBox(const MessageRequest& request, QWidget* parent)
{
    const bool yesNo = request.Buttons == ButtonsYesNo;
    auto box = std::make_unique<ProgramMessageBox>(IconOf(request.Icon), request.Title, yesNo, parent);
    box->setWindowModality(Qt::ApplicationModal);
    box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (yesNo) {
        box->setWindowFlag(Qt::CustomizeWindowHint, true);
        box->setWindowFlag(Qt::WindowTitleHint, true);
        box->setWindowFlag(Qt::WindowCloseButtonHint, false);
    }
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
    } else {
        box->setStandardButtons(QMessageBox::Ok);
        caption(QMessageBox::Ok, request.OKCaption);
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Ok);
    }
    // The box sizes itself to its text; a short text would cut the title.
    // A row as wide as the title makes the box's own sizing keep that width.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        const QMargins margins = box->contentsMargins() + grid->contentsMargins();
        const int width = MessageBoxTitleWidth(request.Title) - margins.left() - margins.right();
        grid->addItem(new QSpacerItem(std::max(width, 0), 0, QSizePolicy::Fixed, QSizePolicy::Fixed), grid->rowCount(),
                      0, 1, std::max(grid->columnCount(), 1));
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
    // The system is ending the program: nobody is there to answer.
    if (SystemEndRequested())
        return request.Buttons == ButtonsYesNo ? AnswerNo : AnswerOK;
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
