#include "platform/TextInput.h"

#include "platform/Conversions.h"
#include "platform/Cp1252.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QValidator>
#include <algorithm>

namespace {

int beepCount = 0;

// The box's own limit when no length is given.
constexpr int kNoLimit = 32767;

QChar NumberSeparator()
{
    return DecimalSeparator.isEmpty() ? QChar(u'.') : DecimalSeparator.front();
}

// Judges what one edit of the user puts into the box: the characters it
// inserts, not the text as a whole, so that a text the program put there
// (an older file may hold what cannot be typed now) does not block every
// later edit, and deleting is always possible. A text the program sets is
// taken as it stands. The length is kept by the box's own maxLength, which
// cuts a paste to the limit and keeps the undo history whole; the beep comes
// from the box's inputRejected signal, which both a refusal here and that cut
// raise.
class InputValidator : public QValidator {
public:
    // A number box takes digits, and with decimals one decimal separator:
    // the locale's, or with pointOrComma either of the two.
    InputValidator(bool numbers, bool decimals, bool pointOrComma, QLineEdit* box)
        : QValidator(box), numbers_(numbers), decimals_(decimals), pointOrComma_(pointOrComma), box_(box),
          last_(box->text())
    {
        QObject::connect(box, &QLineEdit::textChanged, this, [this](const QString& text) { last_ = text; });
        QObject::connect(box, &QLineEdit::inputRejected, this, [] { InputBeep(); });
    }

    State validate(QString& input, int& pos) const override
    {
        (void)pos;
        // A text set by the program resets the modified flag before it is
        // checked; every edit of the user (typing, pasting, dropping, undo
        // and redo of them) sets it.
        if (!box_ || !box_->isModified())
            return Acceptable;
        const QString inserted = InsertedPart(last_, input);
        if (!numbers_)
            return IsStorableText(inserted) ? Acceptable : Invalid;
        for (const QChar c : inserted) {
            if (!(c >= u'0' && c <= u'9') && !IsSeparator(c))
                return Invalid;
        }
        return Separators(input) <= std::max<qsizetype>(1, Separators(last_)) ? Acceptable : Invalid;
    }

private:
    bool IsSeparator(QChar c) const
    {
        if (!decimals_)
            return false;
        return pointOrComma_ ? c == u'.' || c == u',' : c == NumberSeparator();
    }
    qsizetype Separators(const QString& text) const
    {
        return std::count_if(text.begin(), text.end(), [this](QChar c) { return IsSeparator(c); });
    }

    // The characters an edit put in place of others: what lies between the
    // common start and the common end of the texts before and after it.
    static QString InsertedPart(const QString& before, const QString& after)
    {
        const qsizetype shorter = std::min(before.size(), after.size());
        qsizetype head = 0;
        while (head < shorter && before.at(head) == after.at(head))
            ++head;
        qsizetype tail = 0;
        while (tail < shorter - head && before.at(before.size() - 1 - tail) == after.at(after.size() - 1 - tail))
            ++tail;
        return after.mid(head, after.size() - head - tail);
    }

    bool numbers_;
    bool decimals_;
    bool pointOrComma_;
    QPointer<QLineEdit> box_;
    QString last_;
};

void Install(QLineEdit* box, bool numbers, bool decimals, bool pointOrComma, int maxLength)
{
    if (!box)
        return;
    box->setMaxLength(maxLength > 0 ? maxLength : kNoLimit);
    box->setValidator(new InputValidator(numbers, decimals, pointOrComma, box));
}

} // namespace

void InstallTextInput(QLineEdit* box, int maxLength)
{
    Install(box, false, false, false, maxLength);
}

void InstallTextInput(QComboBox* editableBox, int maxLength)
{
    if (editableBox)
        Install(editableBox->lineEdit(), false, false, false, maxLength);
}

void InstallNumberInput(QLineEdit* box, int maxLength, bool decimals)
{
    Install(box, true, decimals, false, maxLength);
}

void InstallValueInput(QLineEdit* box, int maxLength)
{
    Install(box, true, true, true, maxLength);
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

bool IsNumberInputText(const QString& text, bool decimals)
{
    const QChar separator = NumberSeparator();
    bool seenSeparator = !decimals;
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
