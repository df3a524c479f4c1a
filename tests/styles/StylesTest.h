#pragma once
// Shared by the tests of the list and form editors: the settings folder
// fixture, records and lists written briefly, and the steps every list of a
// list editor must pass.
#include "support/SettingsFolderFixture.h"

#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "styles/NominalArea.h"
#include "styles/StyleEditorTexts.h"
#include "styles/TestPage.h"
#include "platform/SortedList.h"
#include "platform/TextInput.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <functional>
#include <initializer_list>
#include <ostream>
#include <string>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline ReportForm Form(const char* name, std::initializer_list<ReportFormItem> items)
{
    ReportForm form = BlankReportForm;
    form.Name = QString::fromUtf8(name);
    size_t k = 0;
    for (const ReportFormItem& item : items)
        form.Items[++k] = item;
    return form;
}

inline Style StyleWith(std::initializer_list<ReportForm> forms)
{
    Style style = BlankStyle;
    size_t k = 0;
    for (const ReportForm& form : forms)
        style.Forms[++k] = form;
    return style;
}

// A stored list: element 0 empty, then the blank-separated words.
inline std::vector<QString> Array(const char* spaced)
{
    std::vector<QString> values{QString()};
    for (const QString& word : QString::fromUtf8(spaced).split(u' ', Qt::SkipEmptyParts))
        values.push_back(word);
    return values;
}

inline QStringList Words(const char* spaced)
{
    const std::vector<QString> values = Array(spaced);
    return QStringList(values.begin() + 1, values.end());
}

class StylesTest : public SettingsFolderFixture {
protected:
    void SetUp() override
    {
        SettingsFolderFixture::SetUp();
        PortDevice.fill(0);
    }

    static MessageRequest Message(int16_t number, const QVariantList& arguments = {})
    {
        return ComposeMessage(number, arguments, 2);
    }
    static void Type(QWidget* widget, int key, const QString& text = QString())
    {
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, key, Qt::NoModifier, text);
            QApplication::sendEvent(widget, &event);
        }
    }
    static void TypeText(QLineEdit* box, const QString& text)
    {
        for (const QChar c : text)
            Type(box, 0, QString(c));
    }

    // The box holds the stored-text input with its length (the input's own
    // cases are tested with it): a pasted TAB or line break and a typed
    // character outside Windows-1252 change nothing.
    static void ExpectStoredTextInput(QLineEdit* box, int maxLength)
    {
        box->setText(QStringLiteral("Ab"));
        box->setCursorPosition(2);
        QGuiApplication::clipboard()->setText(QStringLiteral("\tB\r\nC"));
        box->paste();
        TypeText(box, QString::fromUtf8("Ł"));
        EXPECT_EQ(box->text(), QStringLiteral("Ab")) << box->objectName().toStdString();
        EXPECT_EQ(box->maxLength(), maxLength) << box->objectName().toStdString();
        box->setText(QString());
    }

    // One list of a list editor, listing "Bob" and "Ann", goes through the
    // steps every such list shares: a blank text leaves Save disabled; the
    // duplicate check ignores case and keeps the text; a wildcard is added
    // only on Yes; entries stand in collated order; three selected entries
    // are deleted and the text stays.
    struct ListControls {
        QLineEdit* Text;
        QListWidget* List;
        QPushButton* Save;
        std::function<void()> SaveClick;
        std::function<void()> DeleteClick;
    };
    void ExpectListSteps(const ListControls& c)
    {
        ExpectStoredTextInput(c.Text, 35);
        auto add = [&c](const char* text) {
            c.Text->setText(QString::fromUtf8(text));
            c.SaveClick();
        };
        c.Text->setText(QStringLiteral("   "));
        EXPECT_FALSE(c.Save->isEnabled());
        Presenter.Shown.clear();
        add(" bob ");
        Presenter.Answer(AnswerNo);
        add("C*");
        EXPECT_EQ(c.Text->text(), QStringLiteral("C*"));
        EXPECT_EQ(ListEntries(c.List), Words("Ann Bob"));
        Presenter.Answer(AnswerYes);
        c.SaveClick();
        EXPECT_EQ(c.Text->text(), QString());
        EXPECT_FALSE(c.Save->isEnabled());
        for (const char* text : {"Zeta", "ähnlich", "alpha2"})
            add(text);
        EXPECT_EQ(ListEntries(c.List), Words("ähnlich alpha2 Ann Bob C* Zeta"));
        EXPECT_EQ(Presenter.Shown, (std::vector<MessageRequest>{Message(7), Message(8), Message(8)}));
        for (const int row : {0, 3, 5})
            c.List->item(row)->setSelected(true);
        c.Text->setText(QStringLiteral("typed"));
        c.DeleteClick();
        EXPECT_EQ(ListEntries(c.List), Words("alpha2 Ann C*"));
        EXPECT_EQ(c.Text->text(), QStringLiteral("typed"));
        EXPECT_EQ(c.List->currentRow(), -1);
        c.Text->setText(QString());
    }
};

inline std::string Blanks(size_t n)
{
    return std::string(n, ' ');
}

// The strings of the pages' defaults, worked out by hand.
inline const std::string YarnFinenessDefaults =
    "\x1E" "D  7041" "   " "F" "100   " "$" + Blanks(28) + "f" + Blanks(9) + "/\r\n";
inline const std::string StrikeThroughDefaults = "\x1E" "LLISTER" + Blanks(39) + "`" + Blanks(9) + "\x1D\r\n";
inline const std::string KeyboardUnfilled = "\x1E" "0000000" + Blanks(49) + "\x0E\r\n";
