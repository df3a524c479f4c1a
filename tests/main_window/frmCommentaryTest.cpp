#include "main_window/frmCommentary.h"

#include "main_window/CommandFixture.h"
#include "platform/TextInput.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <array>

namespace {

class CommentaryTest : public CommandFixture {
protected:
    // The dialog on the test the tag names; test 2 of three is commented "kept".
    frmCommentary* Open(const char* tag)
    {
        Protocol p = Series({100, 104, 108});
        p.Blocks[1].Values[2].Commentary = QStringLiteral("kept");
        Load({p})->Tag = QString::fromLatin1(tag);
        return frmCommentary::Instance();
    }
};

TEST_F(CommentaryTest, EachWayOutWritesWhatItShouldAndLeavesTheTagOnlyForAChange)
{
    using Button = QPushButton* frmCommentary::*;
    const Button OK = &frmCommentary::cmdOK, Cancel = &frmCommentary::cmdCancel, Delete = &frmCommentary::cmdDelete;
    const struct {
        const char* tag;
        std::vector<const char*> typed;
        Button button;   // null: Esc
        bool deleteAtLoad, deleteBefore;
        const char* tagAfter;
        const char* comment;   // of test 2
        bool deleted;
    } cases[] = {
        {"2", {}, OK, true, true, "", "kept", false},
        {"2", {"x", "kept"}, OK, true, true, "2", "kept", false},   // restored: still a change
        {"2", {"  torn  "}, OK, true, true, "2", "torn", false},
        {"2", {"  "}, Cancel, true, false, "", "kept", false},
        {"2", {"torn"}, nullptr, true, true, "", "kept", false},
        {"2", {" torn "}, Delete, true, true, "2", "torn", true},
        {"1", {" x"}, Cancel, false, true, "", "kept", false},
        // A tag that names no test acts as Cancel.
        {"0", {"x"}, Delete, false, true, "", "kept", false},
        {"x", {"x"}, OK, false, true, "", "kept", false},
        {"99", {"x"}, Delete, false, true, "", "kept", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(&c - cases));
        frmCommentary* d = Open(c.tag);
        const Protocol before = Shown();
        EXPECT_EQ(d->cmdDelete->isEnabled(), c.deleteAtLoad);
        d->show();
        for (const char* text : c.typed)
            d->txtCommentary->setText(QString::fromLatin1(text));
        EXPECT_EQ(d->cmdDelete->isEnabled(), c.deleteBefore);
        if (c.button)
            (d->*c.button)->click();
        else
            QTest::keyClick(d->txtCommentary, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(frmCommentary::IsLoaded());
        EXPECT_EQ(w_->Tag, QString::fromLatin1(c.tagAfter));
        const TestValue& test = Shown().Blocks[1].Values[2];
        EXPECT_EQ(std::pair(test.Commentary, test.Deleted), std::pair(QString::fromLatin1(c.comment), c.deleted));
        if (c.tagAfter[0] == '\0') {
            EXPECT_EQ(Shown(), before);
        }
    }
}

TEST_F(CommentaryTest, TheBoxTakesTwentyFiveStorableCharactersAndOKIsTheDefault)
{
    frmCommentary* d = Open("1");
    const int beeps = InputBeepCount();
    QTest::keyClicks(d->txtCommentary, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ(d->txtCommentary->text(), QStringLiteral("abcdefghijklmnopqrstuvwxy"));
    d->txtCommentary->clear();
    QApplication::clipboard()->setText(QStringLiteral("a\tb"));
    d->txtCommentary->paste();
    EXPECT_EQ(d->txtCommentary->text(), QString());
    EXPECT_EQ(InputBeepCount() - beeps, 2);
    EXPECT_TRUE(d->cmdOK->isDefault());
    EXPECT_FALSE(d->cmdCancel->autoDefault() || d->cmdDelete->autoDefault());
}

TEST_F(CommentaryTest, CaptionsOfEachLanguage)
{
    const std::tuple<int16_t, std::array<const char*, 3>> cases[] = {
        {1, {"Kommentar", "&Messresultat löschen", "&Abbrechen"}},
        {2, {"Commentary", "&Delete test result", "&Cancel"}},
        {3, {"Commentaire", "&Annuler le résultat", "&Annuler"}},
        {4, {"Commento", "&Annullare il risultato", "&Annulla"}},
        {5, {"Comentario", "&Cancelar el resultado", "&Finalizar"}},
        {6, {"", "", "&"}},
    };
    for (const auto& [language, t] : cases) {
        Language = language;
        const frmCommentary* d = Open("1");
        const QStringList shown = {d->windowTitle(), d->lblCommentary->text(), d->cmdDelete->text(),
                                   d->cmdCancel->text(), d->cmdOK->text()};
        EXPECT_EQ(shown, (QStringList{QString::fromUtf8(t[0]), QString::fromUtf8(t[0]) + QStringLiteral(":"),
                                      QString::fromUtf8(t[1]), QString::fromUtf8(t[2]), QStringLiteral("&OK")}));
        frmCommentary::Instance()->reject();
    }
}

} // namespace
