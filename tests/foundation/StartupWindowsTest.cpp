#include "foundation/frmLogin.h"
#include "foundation/frmResource.h"
#include "foundation/frmSplash.h"
#include "foundation/frmWelcome.h"
#include "foundation/modGlobals.h"
#include "foundation/modLog.h"

#include "platform/TextInput.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class StartupWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedLanguage_ = Language;
        savedPasswords_ = UserPasswords;
        savedLevel_ = LoginLevel;
        Language = 2;
        UserPasswords = Passwords{};
    }
    void TearDown() override
    {
        // Windows that unloaded themselves are deleted with the next loop pass.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Language = savedLanguage_;
        UserPasswords = savedPasswords_;
        LoginLevel = savedLevel_;
    }
    static void Click(QWidget* widget)
    {
        const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
    // Logs in with the option and the entry given; returns the level.
    static int16_t LogIn(int option, const QString& entry)
    {
        frmLogin* login = frmLogin::Instance();
        login->show();
        login->optUser[static_cast<size_t>(option)]->click();
        login->txtPassword->setText(entry);
        login->cmdOK->click();
        EXPECT_FALSE(frmLogin::IsLoaded());
        return LoginLevel;
    }

private:
    int16_t savedLanguage_ = 2;
    Passwords savedPasswords_;
    int16_t savedLevel_ = 0;
};

TEST_F(StartupWindowsTest, LoginMatrix)
{
    // Without a supervisor password the supervisor is preselected and an empty entry logs in.
    EXPECT_TRUE(frmLogin::Instance()->optUser[2]->isChecked());
    EXPECT_EQ(LogIn(2, QString()), 2);
    UserPasswords.UserPassword = QStringLiteral("Weave");
    UserPasswords.SupervisorPassword = QStringLiteral("Boss");
    // With a supervisor password the user is preselected.
    EXPECT_TRUE(frmLogin::Instance()->optUser[1]->isChecked());
    // Letter case does not matter; the supervisor's password is not the user's.
    const struct {
        int option;
        const char* entry;
        int16_t level;
    } entries[] = {{1, "Weave", 1}, {1, "wEAVE", 1}, {1, "Boss", 0},  {1, "", 0},
                   {2, "BOSS", 2},  {2, "Weave", 0}, {2, "Bos", 0}};
    for (const auto& e : entries)
        EXPECT_EQ(LogIn(e.option, QString::fromLatin1(e.entry)), e.level) << e.option << " " << e.entry;

    // An empty user password is matched by an empty entry only.
    UserPasswords.UserPassword.clear();
    EXPECT_EQ(LogIn(1, QString()), 1);
    EXPECT_EQ(LogIn(1, QStringLiteral("x")), 0);
}

// The password box takes only what the settings file can hold (the rule
// itself is the text-input helper's), so what is typed can match what was stored.
TEST_F(StartupWindowsTest, ThePasswordBoxTakesWhatTheSettingsFileHolds)
{
    UserPasswords.SupervisorPassword = QString::fromUtf8("Größe1");
    frmLogin* login = frmLogin::Instance();
    login->show();
    login->optUser[2]->click();
    QLineEdit* box = login->txtPassword;
    const int beeps = InputBeepCount();
    QApplication::clipboard()->setText(QString::fromUtf8("Łódź1"));
    box->paste();
    EXPECT_EQ(box->text(), QString());
    EXPECT_EQ(InputBeepCount(), beeps + 1);
    QTest::keyClicks(box, "Gr");
    QApplication::clipboard()->setText(QString::fromUtf8("öße1"));
    box->paste();
    EXPECT_EQ(box->text(), QString::fromUtf8("Größe1"));
    login->cmdOK->click();
    EXPECT_EQ(LoginLevel, 2);
}

TEST_F(StartupWindowsTest, CancelGivesLevelZeroWhateverWasTyped)
{
    LoginLevel = 2;
    frmLogin* login = frmLogin::Instance();
    login->txtPassword->setText(QString());   // the right (empty) password
    login->cmdCancel->click();
    EXPECT_EQ(LoginLevel, 0);
    EXPECT_FALSE(frmLogin::IsLoaded());

    // Escape cancels as well.
    LoginLevel = 2;
    frmLogin::Instance()->reject();
    EXPECT_EQ(LoginLevel, 0);
}

TEST_F(StartupWindowsTest, LoginCaptionsFollowTheLanguage)
{
    Language = 1;
    frmLogin* login = frmLogin::Instance();
    EXPECT_EQ(login->windowTitle(), QStringLiteral("ZOLVERA D 7110 QUINTARA III - Login"));
    EXPECT_EQ(login->optUser[1]->text(), QStringLiteral("&Benutzer"));
    EXPECT_EQ(login->optUser[2]->text(), QStringLiteral("&Leiter"));
    EXPECT_EQ(login->lblPassword->text(), QStringLiteral("Passwort:"));
    EXPECT_EQ(login->txtPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(login->txtPassword->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr,
                                                      login->txtPassword),
              '*');

    login->SetCaptions(5);
    EXPECT_EQ(login->lblPassword->text(), QString::fromUtf8("Santo y seña:"));
    login->SetCaptions(6);
    EXPECT_EQ(login->windowTitle(), QStringLiteral("ZOLVERA D 7110 QUINTARA III - "));
    EXPECT_TRUE(login->optUser[1]->text().isEmpty());
    EXPECT_TRUE(login->lblPassword->text().isEmpty());
    EXPECT_EQ(login->cmdCancel->text(), QStringLiteral("&"));
    login->cmdCancel->click();
}

TEST_F(StartupWindowsTest, WelcomeFlagsChangeTheTextsAndTheLanguage)
{
    frmWelcome* welcome = frmWelcome::Instance();
    welcome->show();
    EXPECT_EQ(welcome->lblWelcome->text(),
              QStringLiteral("Thank you very much for buying the Evaluation Program QUINTARA III!"));
    EXPECT_EQ(welcome->lblIntro->text(),
              QStringLiteral("Prior to using the program, the system and test settings must be entered in accordance "
                             "with chapters 'H' and 'I' of the operating instructions.\r\nIt is well worth to "
                             "carefully select the settings, because proper settings greatly enhance the "
                             "performance of the program."));
    for (size_t i = 1; i <= 6; ++i)
        EXPECT_FALSE(welcome->imgLanguage[i]->pixmap().isNull()) << i;

    Click(welcome->imgLanguage[5]);
    EXPECT_EQ(Language, 5);
    EXPECT_EQ(welcome->lblWelcome->text(),
              QString::fromUtf8("¡Vos agradecemos sus compra del programa de evaluación QUINTARA III!"));
    Click(welcome->imgLanguage[1]);
    EXPECT_EQ(Language, 1);
    EXPECT_TRUE(welcome->lblIntro->text().startsWith(QString::fromUtf8("Bevor Sie das Programm benutzen können")));
    Click(welcome->imgLanguage[6]);
    EXPECT_EQ(Language, 6);
    EXPECT_TRUE(welcome->lblWelcome->text().isEmpty());
    EXPECT_TRUE(welcome->lblIntro->text().isEmpty());
    EXPECT_EQ(welcome->cmdOK->text(), QStringLiteral("&OK"));

    QPointer<QLabel> flag = welcome->imgLanguage[3];
    welcome->cmdOK->click();
    EXPECT_FALSE(frmWelcome::IsLoaded());
    if (flag) {
        EXPECT_TRUE(flag->pixmap().isNull());
    }
}

TEST_F(StartupWindowsTest, SplashShowsTitleVersionAndPictureOnTopOfEverything)
{
    frmSplash* splash = frmSplash::Instance();
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->lblQUINTARA->text(), QStringLiteral("ZOLVERA D 7110 QUINTARA III"));
    EXPECT_EQ(splash->lblVersion->text(), QLatin1String(ProgramVersion));
    EXPECT_FALSE(splash->imgSplash->pixmap().isNull());
    EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
    frmSplash::Unload();
}

TEST_F(StartupWindowsTest, TheResourceWindowHoldsEveryPicture)
{
    frmResource* resource = frmResource::Instance();
    for (size_t i = 0; i <= 16; ++i)
        EXPECT_FALSE(resource->imgInstrument[i].isNull()) << i;
    for (size_t i = 1; i <= 6; ++i)
        EXPECT_FALSE(resource->imgLanguage[i].isNull()) << i;
    for (size_t i = 1; i <= 2; ++i)
        EXPECT_FALSE(resource->imgAnimation[i].isNull()) << i;
    for (const QPixmap* picture :
         {&resource->imgQUINTARA, &resource->imgZOLVERA, &resource->imgSplash, &resource->imgFolder,
          &resource->imgFlip, &resource->imgAnalyzeCurve, &resource->imgDetail, &resource->imgLongTermEvaluation,
          &resource->imgNoConnection, &resource->imgTerminated, &resource->imgCross, &resource->imgSwitchbox,
          &resource->imgPC, &resource->imgPrint})
        EXPECT_FALSE(picture->isNull());
    EXPECT_FALSE(resource->windowIcon().isNull());
}

} // namespace
