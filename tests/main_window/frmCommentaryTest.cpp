#include "main_window/frmCommentary.h"

#include "main_window/CommandFixture.h"
#include "platform/TextInput.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>

namespace {

class CommentaryTest : public CommandFixture {
protected:
    // Opens the dialog on the test the tag names, with test 2 of three
    // commented "kept".
    frmCommentary* Open(const char* tag = "2")
    {
        Protocol p = Series({100, 104, 108});
        p.Blocks[1].Values[2].Commentary = QStringLiteral("kept");
        Load({p});
        w_->Tag = QString::fromLatin1(tag);
        return frmCommentary::Instance();
    }
    const TestValue& Test(int k) { return Shown().Blocks[1].Values[static_cast<size_t>(k)]; }
};

TEST_F(CommentaryTest, DeleteNeedsAReasonThatIsNotBlank)
{
    const struct {
        const char* tag;
        const char* typed;
        bool atLoad;
        bool afterTyping;
    } cases[] = {{"1", " ", false, false}, {"1", " x", false, true}, {"2", "", true, false}, {"2", "  ", true, false}};
    for (const auto& c : cases) {
        frmCommentary* d = Open(c.tag);
        EXPECT_EQ(d->cmdDelete->isEnabled(), c.atLoad) << c.tag;
        EXPECT_FALSE(d->Changed);
        d->txtCommentary->setText(QString::fromLatin1(c.typed));
        EXPECT_EQ(d->cmdDelete->isEnabled(), c.afterTyping) << c.typed;
        d->cmdCancel->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(CommentaryTest, EachWayOutWritesWhatItShouldAndLeavesTheTagOnlyForAChange)
{
    using Act = std::function<void(frmCommentary&)>;
    const struct {
        const char* what;
        const char* tag;
        Act act;
        const char* tagAfter;
        const char* comment;
        bool deleted;
    } cases[] = {
        {"OK untouched", "2", [](frmCommentary& d) { d.cmdOK->click(); }, "", "kept", false},
        {"typed and restored", "2",
         [](frmCommentary& d) {
             d.txtCommentary->setText(QStringLiteral("x"));
             d.txtCommentary->setText(QStringLiteral("kept"));
             d.cmdOK->click();
         },
         "2", "kept", false},
        {"blanks trimmed", "2",
         [](frmCommentary& d) {
             d.txtCommentary->setText(QStringLiteral("  torn  "));
             d.cmdOK->click();
         },
         "2", "torn", false},
        {"Cancel", "2",
         [](frmCommentary& d) {
             d.txtCommentary->setText(QStringLiteral("torn"));
             d.cmdCancel->click();
         },
         "", "kept", false},
        {"Esc", "2",
         [](frmCommentary& d) {
             d.txtCommentary->setText(QStringLiteral("torn"));
             QTest::keyClick(d.txtCommentary, Qt::Key_Escape);
         },
         "", "kept", false},
        {"Delete", "2",
         [](frmCommentary& d) {
             d.txtCommentary->setText(QStringLiteral(" torn "));
             d.cmdDelete->click();
         },
         "2", "torn", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        frmCommentary* d = Open(c.tag);
        d->show();
        c.act(*d);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(frmCommentary::IsLoaded());
        EXPECT_EQ(w_->Tag, QString::fromLatin1(c.tagAfter));
        EXPECT_EQ(Test(2).Commentary, QString::fromLatin1(c.comment));
        EXPECT_EQ(Test(2).Deleted, c.deleted);
    }
    // A tag that names no test acts as Cancel, whatever is pressed.
    for (const char* tag : {"0", "x", "99"}) {
        frmCommentary* d = Open(tag);
        const Protocol before = Shown();
        d->txtCommentary->setText(QStringLiteral("torn"));
        d->cmdDelete->click();
        EXPECT_EQ(w_->Tag, QString()) << tag;
        EXPECT_EQ(Shown(), before) << tag;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(CommentaryTest, TheBoxKeepsOnlyWhatTheFileCanHold)
{
    frmCommentary* d = Open();
    QLineEdit* box = d->txtCommentary;
    box->clear();
    const int beeps = InputBeepCount();
    QTest::keyClicks(box, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ(box->text(), QStringLiteral("abcdefghijklmnopqrstuvwxy"));
    box->clear();
    for (const char* pasted : {"a\tb", "a\nb", "a\rb"}) {
        QApplication::clipboard()->setText(QString::fromLatin1(pasted));
        box->paste();
    }
    QApplication::clipboard()->setText(QStringLiteral("\u4E2D"));
    box->paste();
    EXPECT_EQ(box->text(), QString());
    EXPECT_EQ(InputBeepCount() - beeps, 5);
    EXPECT_TRUE(d->cmdOK->isDefault());
    EXPECT_FALSE(d->cmdCancel->autoDefault() || d->cmdDelete->autoDefault());
}

TEST_F(CommentaryTest, CaptionsOfEachLanguage)
{
    const char* const expected[][3] = {
        {"Kommentar", "&Messresultat löschen", "&Abbrechen"}, {"Commentary", "&Delete test result", "&Cancel"},
        {"Commentaire", "&Annuler le résultat", "&Annuler"},  {"Commento", "&Annullare il risultato", "&Annulla"},
        {"Comentario", "&Cancelar el resultado", "&Finalizar"}, {"", "", "&"},
    };
    for (int language = 1; language <= 6; ++language) {
        Language = static_cast<int16_t>(language);
        frmCommentary* d = Open();
        const auto& texts = expected[language - 1];
        EXPECT_EQ(d->windowTitle(), QString::fromUtf8(texts[0]));
        EXPECT_EQ(d->lblCommentary->text(), QString::fromUtf8(texts[0]) + QStringLiteral(":"));
        EXPECT_EQ(d->cmdDelete->text(), QString::fromUtf8(texts[1]));
        EXPECT_EQ(d->cmdCancel->text(), QString::fromUtf8(texts[2]));
        EXPECT_EQ(d->cmdOK->text(), QStringLiteral("&OK"));
        d->cmdCancel->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace
