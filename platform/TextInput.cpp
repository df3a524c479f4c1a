#include "platform/TextInput.h"

#include "platform/Conversions.h"
#include "platform/Cp1252.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QValidator>

namespace {

int beepCount = 0;

// Refuses an edit whose text fails the rule and cuts one that runs past the
// limit. Qt takes the text a validator hands back, so the cut removes what
// was just inserted before the caret, as a box's own maxLength would.
class InputValidator : public QValidator {
public:
    InputValidator(bool numbers, int maxLength, QObject* parent)
        : QValidator(parent), numbers_(numbers), maxLength_(maxLength)
    {
    }

    State validate(QString& input, int& pos) const override
    {
        if (!(numbers_ ? IsNumberInputText(input) : IsStorableText(input))) {
            InputBeep();
            return Invalid;
        }
        if (maxLength_ >= 0 && input.size() > maxLength_) {
            InputBeep();
            const int excess = static_cast<int>(input.size()) - maxLength_;
            const int from = pos >= excess ? pos - excess : 0;
            input.remove(from, excess);
            pos = from;
            if (input.size() > maxLength_)
                input.truncate(maxLength_);
        }
        return Acceptable;
    }

private:
    bool numbers_;
    int maxLength_;
};

void Install(QLineEdit* box, bool numbers, int maxLength)
{
    if (!box)
        return;
    box->setMaxLength(32767);
    box->setValidator(new InputValidator(numbers, maxLength, box));
}

} // namespace

void InstallTextInput(QLineEdit* box, int maxLength)
{
    Install(box, false, maxLength);
}

void InstallTextInput(QComboBox* editableBox, int maxLength)
{
    if (editableBox)
        Install(editableBox->lineEdit(), false, maxLength);
}

void InstallNumberInput(QLineEdit* box, int maxLength)
{
    Install(box, true, maxLength);
}

bool IsStorableText(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || !IsCp1252Char(c))
            return false;
    }
    return true;
}

bool IsNumberInputText(const QString& text)
{
    const QChar separator = DecimalSeparator.isEmpty() ? QChar(u'.') : DecimalSeparator.front();
    bool seenSeparator = false;
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9')
            continue;
        if (c == separator && !seenSeparator) {
            seenSeparator = true;
            continue;
        }
        return false;
    }
    return true;
}

void InputBeep()
{
    ++beepCount;
    QApplication::beep();
}

int InputBeepCount()
{
    return beepCount;
}
