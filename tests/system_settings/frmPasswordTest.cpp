#include "SystemSettingsFixture.h"

#include "foundation/modGlobals.h"
#include "foundation/modMessage.h"
#include "platform/TextInput.h"
#include "system_settings/frmPassword.h"

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

constexpr int32_t White = 0xFFFFFF;
constexpr int32_t Yellow = 0x80FFFF;   // RGB(255, 255, 128)

class PasswordTest : public SystemSettingsFixture {
protected:
    void SetUp() override
    {
        SystemSettingsFixture::SetUp();
        UserPasswords.UserPassword = QStringLiteral("abc");
        UserPasswords.SupervisorPassword = QStringLiteral("Secret 1");
    }
    // The colour the user sees in the box, away from the stars.
    static QColor Painted(QLineEdit* box)
    {
        const QImage image = box->grab().toImage();
        return image.pixelColor(image.width() - 5, image.height() / 2);
    }
};

TEST_F(PasswordTest, OkStoresMatchingPairsAndMarksEachMismatch)
{
    const struct {
        const char* name;
        const char* user;
        const char* userConfirm;
        const char* supervisor;
        const char* supervisorConfirm;
        bool userMarked, supervisorMarked;
    } rows[] = {
        {"untouched", nullptr, nullptr, nullptr, nullptr, false, false},
        {"user pair emptied", "", "", nullptr, nullptr, false, false},
        {"blanks kept, both equal", " x ", " x ", " x ", " x ", false, false},
        {"case differs", "abc", "ABC", nullptr, nullptr, true, false},
        {"supervisor differs by a trailing blank", nullptr, nullptr, "new", "new ", false, true},
        {"both differ", "abc", "abd", "one", "two", true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Presenter.Shown.clear();
        const Passwords before = UserPasswords;
        const std::string fileBefore = SaveBaseline();
        frmPassword* form = frmPassword::Instance();
        form->show();
        QApplication::setActiveWindow(form);
        const auto set = [](QLineEdit* box, const char* text) {
            if (text)
                box->setText(QString::fromUtf8(text));
        };
        set(form->txtUserPassword, row.user);
        set(form->txtUserConfirm, row.userConfirm);
        set(form->txtSupervisorPassword, row.supervisor);
        set(form->txtSupervisorConfirm, row.supervisorConfirm);
        const QString user = form->txtUserPassword->text();
        const QString supervisor = form->txtSupervisorPassword->text();
        form->cmdOK_Click();

        if (!row.userMarked && !row.supervisorMarked) {
            EXPECT_FALSE(frmPassword::IsLoaded());
            EXPECT_TRUE(Presenter.Shown.empty());
            EXPECT_EQ(UserPasswords.UserPassword, user);
            EXPECT_EQ(UserPasswords.SupervisorPassword, supervisor);
            // The file gets them with the next saving of the settings.
            EXPECT_EQ(SettingsBytes(), fileBefore);
            continue;
        }
        EXPECT_TRUE(frmPassword::IsLoaded());
        EXPECT_EQ(Presenter.Shown, std::vector<MessageRequest>{ComposeMessage(6, {}, 2)});
        EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("Invalid entry."));
        EXPECT_EQ(UserPasswords, before);
        EXPECT_EQ(frmPassword::BackColor(form->txtUserConfirm), row.userMarked ? Yellow : White);
        EXPECT_EQ(frmPassword::BackColor(form->txtSupervisorConfirm), row.supervisorMarked ? Yellow : White);
        // Only the confirmation boxes are marked.
        EXPECT_EQ(frmPassword::BackColor(form->txtUserPassword), White);
        EXPECT_EQ(frmPassword::BackColor(form->txtSupervisorPassword), White);
        EXPECT_EQ(Painted(form->txtUserConfirm), row.userMarked ? QColor(255, 255, 128) : QColor(Qt::white));
        // The supervisor's box takes the focus when both are marked.
        EXPECT_EQ(form->focusWidget(), row.supervisorMarked ? form->txtSupervisorConfirm : form->txtUserConfirm);
        QApplication::processEvents();
        EXPECT_EQ(form->focusWidget()->property("selectedText").toString(),
                  static_cast<QLineEdit*>(form->focusWidget())->text());

        // Typing in a marked box turns it white at once.
        QLineEdit* marked = row.supervisorMarked ? form->txtSupervisorConfirm : form->txtUserConfirm;
        Type(marked, QStringLiteral("z"));
        EXPECT_EQ(frmPassword::BackColor(marked), White);
        EXPECT_EQ(Painted(marked), QColor(Qt::white));
        // Cancel after a refused OK keeps the passwords and the file as they were.
        form->cmdCancel_Click();
        EXPECT_EQ(UserPasswords, before);
        EXPECT_EQ(SettingsBytes(), fileBefore);
    }
}

TEST_F(PasswordTest, AStoredPasswordLongerThanTheBoxesTakeIsShownWholeAndKeptByOk)
{
    // An older or hand-made settings file may hold a longer password; the
    // login takes it, so OK without typing must not cut it to 15 characters.
    const QString stored = QStringLiteral("Twenty-characters-20");
    UserPasswords.SupervisorPassword = stored;
    frmPassword* form = frmPassword::Instance();
    EXPECT_EQ(form->txtSupervisorPassword->text(), stored);
    EXPECT_EQ(form->txtSupervisorConfirm->text(), stored);
    // A full box takes no more characters.
    const int beeps = InputBeepCount();
    form->txtSupervisorConfirm->end(false);
    Type(form->txtSupervisorConfirm, QStringLiteral("x"));
    EXPECT_EQ(form->txtSupervisorConfirm->text(), stored);
    EXPECT_EQ(InputBeepCount(), beeps + 1);
    form->cmdOK_Click();
    EXPECT_TRUE(Presenter.Shown.empty());
    EXPECT_FALSE(frmPassword::IsLoaded());
    EXPECT_EQ(UserPasswords.SupervisorPassword, stored);
    EXPECT_EQ(UserPasswords.UserPassword, QStringLiteral("abc"));

    // Shortened, it takes no more than it has, down to the 15 of a new one.
    form = frmPassword::Instance();
    QLineEdit* box = form->txtSupervisorPassword;
    box->end(false);
    QTest::keyClick(box, Qt::Key_Backspace);
    Type(box, QStringLiteral("y"));
    EXPECT_EQ(box->text(), stored.left(19));
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("A123456789012345678"));
    EXPECT_EQ(box->text(), QStringLiteral("A12345678901234"));
    form->cmdCancel_Click();
    EXPECT_EQ(UserPasswords.SupervisorPassword, stored);
}

TEST_F(PasswordTest, BoxesShowStarsAndRefuseTheSixteenthAndForeignCharacters)
{
    frmPassword* form = frmPassword::Instance();
    form->show();
    for (QLineEdit* box : {form->txtUserPassword, form->txtUserConfirm, form->txtSupervisorPassword,
                           form->txtSupervisorConfirm}) {
        SCOPED_TRACE(box->objectName().toStdString());
        EXPECT_EQ(box->echoMode(), QLineEdit::Password);
        box->clear();
        box->insert(QStringLiteral("abc"));
        EXPECT_EQ(box->displayText(), QStringLiteral("***"));
        const int beeps = InputBeepCount();
        // "Łódź1" typed or pasted would be stored as "?ód?1" and never match again.
        box->insert(QString::fromUtf8("\xC5\x81\xC3\xB3" "d\xC5\xBA" "1"));
        Type(box, QString::fromUtf8("\xC5\x81"));
        Type(box, QStringLiteral("\t"));
        EXPECT_EQ(box->text(), QStringLiteral("abc"));
        box->insert(QString::fromUtf8("\xC3\xB3" "12345678901"));   // "ó" is fine: 15 in all
        EXPECT_EQ(box->text().size(), 15);
        Type(box, QStringLiteral("x"));
        EXPECT_EQ(box->text(), QString::fromUtf8("abc\xC3\xB3" "12345678901"));
        EXPECT_GE(InputBeepCount(), beeps + 3);
    }
    form->cmdCancel_Click();
}

TEST_F(PasswordTest, CaptionsByLanguage)
{
    Language = 5;
    frmPassword* form = frmPassword::Instance();
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("Cambiar los santos y seña"));
    EXPECT_EQ(form->lblConfirm->text(), QString::fromUtf8("Confirmación:"));
    form->cmdCancel_Click();
}

TEST_F(PasswordTest, CaptionsOfEveryLanguage)
{
    const struct {
        int16_t language;
        const char* texts[5];   // window, user, supervisor, password, confirm
        const char* cancel;
    } rows[] = {
        {1, {"Passwörter ändern", "Benutzer", "Leiter", "Neues Passwort:", "Bestätigung:"}, "&Abbrechen"},
        {2, {"Change passwords", "User", "Supervisor", "New password:", "Confirmation:"}, "&Cancel"},
        {3, {"Changer les mots de passe", "Utilisateur", "Responsable", "Nouveau mot de passe:", "Confirmation:"},
         "&Annuler"},
        {4, {"Cambiare i codici", "Utente", "Dirigente", "Nuovo codice:", "Conferma:"}, "&Annulla"},
        {5, {"Cambiar los santos y seña", "Usuario", "Supervisor", "Nuevo santo y seña:", "Confirmación:"},
         "&Finalizar"},
        {6, {"", "", "", "", ""}, "&"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.language);
        Language = row.language;
        frmPassword* form = frmPassword::Instance();
        EXPECT_EQ(form->windowTitle(), QString::fromUtf8(row.texts[0]));
        EXPECT_EQ(form->fraUser->title(), QString::fromUtf8(row.texts[1]));
        EXPECT_EQ(form->fraSupervisor->title(), QString::fromUtf8(row.texts[2]));
        EXPECT_EQ(form->lblPassword->text(), QString::fromUtf8(row.texts[3]));
        EXPECT_EQ(form->lblConfirm->text(), QString::fromUtf8(row.texts[4]));
        EXPECT_EQ(form->cmdOK->text(), QStringLiteral("&OK"));
        EXPECT_EQ(form->cmdCancel->text(), QString::fromUtf8(row.cancel));
        form->cmdCancel_Click();
    }
}

} // namespace
