#pragma once
// Message boxes are composed as plain data and shown through a presenter.
// The program shows them with QMessageBox; tests install a scripted presenter
// that records each box and answers it, so no test ever blocks on a box.
#include <QString>
#include <cstdint>
#include <memory>

class QMessageBox;
class QWidget;

// Style flags of a box, added together as the design does.
inline constexpr int16_t IconCritical = 16;
inline constexpr int16_t IconQuestion = 32;
inline constexpr int16_t IconExclamation = 48;
inline constexpr int16_t IconInformation = 64;
inline constexpr int16_t ButtonsOK = 0;
inline constexpr int16_t ButtonsYesNo = 4;
inline constexpr int16_t DefaultFirst = 0;
inline constexpr int16_t DefaultSecond = 256;
inline constexpr int32_t BoxForeground = 65536;

// Answers of a box.
inline constexpr int16_t AnswerOK = 1;
inline constexpr int16_t AnswerYes = 6;
inline constexpr int16_t AnswerNo = 7;

struct MessageRequest {
    QString Text;
    QString Title;
    int16_t Icon = IconCritical;        // 16, 32, 48 or 64
    int16_t Buttons = ButtonsOK;        // 0 OK, 4 Yes and No
    int16_t DefaultButton = DefaultFirst;   // 0 first, 256 second
    // Button captions in the program's language ("&" marks the access key);
    // an empty caption leaves the toolkit's own.
    QString OKCaption;
    QString YesCaption;
    QString NoCaption;

    // The summed style flags: icon + buttons + default + foreground.
    int32_t Style() const { return Icon + Buttons + DefaultButton + BoxForeground; }
    // The answer of the button that Enter presses.
    int16_t DefaultAnswer() const;

    bool operator==(const MessageRequest&) const = default;
};

class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    // Shows the box modally and returns the answer: 1 OK, 6 Yes, 7 No.
    virtual int16_t Present(const MessageRequest& request) = 0;
};

// The presenter of the program: an application-modal QMessageBox.
class QMessageBoxPresenter : public MessagePresenter {
public:
    int16_t Present(const MessageRequest& request) override;
};

// The box the program shows for a request: icon, title, text with plain line
// feeds, buttons with their captions, default button; not shown yet. It is at
// least MessageBoxTitleWidth wide, so that the title bar shows the whole title.
// Escape and the close box answer an OK box with OK; a Yes/No box has no
// close box and is closed only by its buttons (a question is never answered
// by a key that does not say which answer it means).
std::unique_ptr<QMessageBox> BuildMessageBox(const MessageRequest& request, QWidget* parent = nullptr);
// The width a box needs for its whole title in the title bar: the title in a
// bold title-bar font and room for the window icon and the title bar's buttons.
int MessageBoxTitleWidth(const QString& title);
// The answer of the request's box for the result of its exec() (a standard button).
int16_t AnswerOfBox(const MessageRequest& request, int result);

// The presenter in force; the QMessageBox one unless a test installed another.
MessagePresenter& CurrentMessagePresenter();
// Installs a presenter (not owned); nullptr goes back to the QMessageBox one.
void SetMessagePresenter(MessagePresenter* presenter);
