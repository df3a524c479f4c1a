#include "foundation/frmLogin.h"
#include "foundation/frmSplash.h"
#include "foundation/frmWelcome.h"
#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modInstrument.h"
#include "foundation/modMain.h"
#include "foundation/modMessage.h"
#include "foundation/modSettings.h"
#include "platform/Conversions.h"
#include "platform/InstanceLock.h"
#include "platform/Installation.h"
#include "platform/MousePointer.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"
#include "support/ChildProcess.h"
#include "support/ReadOnlyFolder.h"
#include "support/ScriptedPresenter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>

namespace {

// The start-up with a fake port, a fake main window and a fake clock that
// only moves when loading or waiting moves it.
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        savedFolder_ = ProgramFolder();
        savedSeparator_ = DecimalSeparator;
        savedGroupSeparator_ = GroupSeparator;
        SetProgramFolder(folder_.path());
        ResetSettingsGlobals(folder_.path());

        hooks_ = DefaultStartupHooks();
        hooks_.ReadDecimalSeparator = [] { return QStringLiteral("."); };
        hooks_.ReadGroupSeparator = [] { return QString(); };
        hooks_.CommInit = [this](int16_t port) { initPort_ = port; };
        hooks_.CommOpen = [this](int16_t port) {
            openPort_ = port;
            pointerAtOpen_ = MousePointer();
            return portOpens_;
        };
        hooks_.LoadMainWindow = [this]() -> QWidget* {
            mainWindow_ = std::make_unique<QWidget>();
            mainWindow_->setObjectName(QStringLiteral("fakeMain"));
            splashWhileLoading_ = frmSplash::IsLoaded() && frmSplash::Instance()->isVisible();
            pointerWhileLoading_ = MousePointer();
            now_ += loadMilliseconds_;
            return mainWindow_.get();
        };
        hooks_.Milliseconds = [this] { return now_; };
        hooks_.WaitSlice = [this] {
            ++waitSlices_;
            if (!frmSplash::IsLoaded())
                splashGoneDuringWait_ = true;
            now_ += 100;
        };
        presenter_.OnPresent = [this](const MessageRequest&) {
            splashAtMessage_.push_back(frmSplash::IsLoaded());
            mainShownAtMessage_.push_back(mainWindow_ && mainWindow_->isVisible());
        };
    }

    void TearDown() override
    {
        ReleaseInstanceLock();
        ResetInstallation();
        frmSplash::Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetMousePointer(PointerDefault);
        SetProgramFolder(savedFolder_);
        ResetSettingsGlobals(savedFolder_);
        InitConstants();
        DecimalSeparator = savedSeparator_;
        GroupSeparator = savedGroupSeparator_;
        LoginLevel = 0;
        PortOpen = false;
    }

    QString SettingsFile() const { return folder_.filePath(QStringLiteral("QUINTARA.DAT")); }

    QByteArray SettingsBytes() const
    {
        QFile file(SettingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // A settings file as a previous run left it.
    void WriteSettings()
    {
        SaveSettings();
        ASSERT_TRUE(QFile::exists(SettingsFile()));
        ResetSettingsGlobals(folder_.path());
    }

    // The login window's action: choose the option and type the entry, then OK.
    static ScriptedDialogRunner::Action LogIn(int option, const QString& entry)
    {
        return [option, entry](QDialog& dialog) {
            auto* login = qobject_cast<frmLogin*>(&dialog);
            ASSERT_NE(login, nullptr);
            login->optUser[static_cast<size_t>(option)]->click();
            login->txtPassword->setText(entry);
            login->cmdOK->click();
        };
    }

    static ScriptedDialogRunner::Action ChooseLanguage(int flag)
    {
        return [flag](QDialog& dialog) {
            auto* welcome = qobject_cast<frmWelcome*>(&dialog);
            ASSERT_NE(welcome, nullptr);
            QLabel* label = welcome->imgLanguage[static_cast<size_t>(flag)];
            const QPointF at(4, 4);
            QMouseEvent release(QEvent::MouseButtonRelease, at, label->mapToGlobal(at), Qt::LeftButton,
                                Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(label, &release);
            welcome->cmdOK->click();
        };
    }

    QTemporaryDir folder_;
    StartupHooks hooks_;
    ScriptedPresenter presenter_;
    ScriptedDialogRunner dialogs_;

    std::unique_ptr<QWidget> mainWindow_;
    int64_t now_ = 1000;
    int64_t loadMilliseconds_ = 0;
    bool portOpens_ = true;
    int16_t initPort_ = -1;
    int16_t openPort_ = -1;
    int16_t pointerAtOpen_ = -1;
    int16_t pointerWhileLoading_ = -1;
    bool splashWhileLoading_ = false;
    bool splashGoneDuringWait_ = false;
    int waitSlices_ = 0;
    std::vector<bool> splashAtMessage_;
    std::vector<bool> mainShownAtMessage_;

private:
    QString savedFolder_;
    QString savedSeparator_;
    QString savedGroupSeparator_;
};

TEST_F(StartupTest, ASecondCopyShowsMessageOneAndEndsWithoutTouchingAnything)
{
    InstanceLock firstCopy(folder_.path());
    ASSERT_TRUE(firstCopy.TryLock());

    EXPECT_EQ(Main(hooks_), ExitSecondCopy);
    ASSERT_EQ(presenter_.Shown.size(), 1u);
    // Message 1 (its texts are checked with the catalogue).
    EXPECT_EQ(presenter_.Shown[0], ComposeMessage(1, {}, Language));
    EXPECT_TRUE(dialogs_.Ran.empty());
    EXPECT_FALSE(QFile::exists(SettingsFile()));
    EXPECT_EQ(mainWindow_, nullptr);
}

TEST_F(StartupTest, AFolderThatCannotHoldTheLockIsNoSecondCopy)
{
    WriteSettings();
    QFile log(folder_.filePath(QStringLiteral("QUINTARA.LOG")));
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    log.close();
    dialogs_.Then(LogIn(2, QString()));
    int status = -1;
    {
        ReadOnlyFolder readOnly(folder_.path());
        if (!readOnly.Active())
            GTEST_SKIP() << "the folder cannot be made read-only here";
        status = Main(hooks_);
    }
    // No message 1: the start goes on, and the log says why there is no lock.
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(presenter_.Shown.empty());
    ASSERT_NE(mainWindow_, nullptr);
    EXPECT_TRUE(mainWindow_->isVisible());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray line = log.readAll();
    // 70 when the folder refuses for want of permission, else 75.
    EXPECT_TRUE(line.contains("\tMain                \t" + QByteArray(ProgramVersion) + "\t70\t") || line.contains("\tMain                \t" + QByteArray(ProgramVersion) + "\t75\t"))
        << line.toStdString();
    EXPECT_TRUE(line.contains("QUINTARA.LCK")) << line.toStdString();
}

TEST_F(StartupTest, AFirstStartWelcomesThenLogsInAndShowsTheMainWindow)
{
    dialogs_.Then(ChooseLanguage(5));
    dialogs_.Then(LogIn(2, QString()));   // no supervisor password yet

    EXPECT_EQ(Main(hooks_), 0);
    EXPECT_EQ(dialogs_.Ran, (std::vector<QString>{QStringLiteral("frmWelcome"), QStringLiteral("frmLogin")}));
    EXPECT_EQ(Language, 5);
    EXPECT_EQ(LoginLevel, 2);
    EXPECT_TRUE(presenter_.Shown.empty());
    ASSERT_NE(mainWindow_, nullptr);
    EXPECT_TRUE(mainWindow_->isVisible());
    EXPECT_FALSE(frmSplash::IsLoaded());
    EXPECT_EQ(MousePointer(), PointerDefault);
}

// A later start with an open port, the installation file and a keyboard
// definition: only the login, no message, the work under the hourglass.
// After the start, a file written whole into a folder that cannot be synced
// (the new name may be lost in a power cut) leaves a line in the log.
TEST_F(StartupTest, AFolderTheWriterCannotSyncGoesToTheLogOnceStarted)
{
    WriteSettings();
    dialogs_.Then(LogIn(2, QString()));
    ASSERT_EQ(Main(hooks_), 0);

    const QString log = folder_.filePath(QStringLiteral("QUINTARA.LOG"));
    QFile made(log);
    ASSERT_TRUE(made.open(QIODevice::Append));
    made.close();
    const QString folder = folder_.filePath(QStringLiteral("w"));
    ASSERT_TRUE(QDir().mkdir(folder));
    for (const QString& path : {folder_.path(), log, folder})
        ChownToNobody(QFile::encodeName(path).constData());
    // Names can be made in it, but it cannot be opened to be synced.
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0300), 0);
    const int result = RunUnprivileged([&] {
        SystemError error;
        return WriteFileAtomically(folder + QStringLiteral("/a.bin"), "abc", error) ? 0 : 1;
    });
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no unprivileged user";
    ASSERT_EQ(result, 0);
    ASSERT_TRUE(made.open(QIODevice::ReadOnly));
    const QByteArray lines = made.readAll();
    EXPECT_TRUE(lines.contains("\tWriteFileAtomically \t" + QByteArray(ProgramVersion) + "\t70\t")) << lines.toStdString();
    EXPECT_TRUE(lines.contains(QFile::encodeName(folder))) << lines.toStdString();
}

TEST_F(StartupTest, ALaterStartOnlyLogsInAndTakesWhatTheFilesSay)
{
    UserPasswords.UserPassword = QStringLiteral("weave");
    UserPasswords.SupervisorPassword = QStringLiteral("boss");
    KeyboardDef.Instrument = QStringLiteral("Handmessung");
    WriteSettings();
    QFile ini(folder_.filePath(QStringLiteral("QUINTARA.INI")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Installation]\r\nCustomer=Weberei Muster AG\r\nTestArea44Variant=1\r\n");
    ini.close();
    dialogs_.Then(LogIn(1, QStringLiteral("WEAVE")));
    hooks_.ReadDecimalSeparator = [] { return QStringLiteral(","); };

    EXPECT_EQ(Main(hooks_), 0);
    EXPECT_EQ(dialogs_.Ran, (std::vector<QString>{QStringLiteral("frmLogin")}));
    EXPECT_EQ(LoginLevel, 1);
    ASSERT_NE(mainWindow_, nullptr);
    EXPECT_TRUE(mainWindow_->isVisible());
    EXPECT_TRUE(PortOpen);
    EXPECT_TRUE(presenter_.Shown.empty());
    EXPECT_EQ(pointerAtOpen_, PointerHourglass);
    EXPECT_EQ(pointerWhileLoading_, PointerHourglass);
    EXPECT_EQ(MousePointer(), PointerDefault);
    // The decimal separator is read once at the start.
    EXPECT_EQ(DecimalSeparator, QStringLiteral(","));
    EXPECT_EQ(InstallationCustomer(), QStringLiteral("Weberei Muster AG"));
    EXPECT_TRUE(InstallationTestArea44Variant());
    // The keyboard definition names the keyboard pseudo-instrument.
    EXPECT_EQ(ModelShortName[1], QStringLiteral("Handmessung"));
    EXPECT_EQ(ModelLongName[1], QStringLiteral("Handmessung"));
}

TEST_F(StartupTest, AFailedLoginShowsMessageThreeAndWritesNoSettings)
{
    UserPasswords.SupervisorPassword = QStringLiteral("boss");
    Language = 1;
    WriteSettings();
    const QByteArray before = SettingsBytes();
    ASSERT_FALSE(before.isEmpty());
    dialogs_.Then(LogIn(2, QStringLiteral("guess")));

    EXPECT_EQ(Main(hooks_), ExitLoginFailed);
    ASSERT_EQ(presenter_.Shown.size(), 1u);
    EXPECT_EQ(presenter_.Shown[0].Text, QStringLiteral("Falsches Passwort."));
    EXPECT_EQ(SettingsBytes(), before);
    EXPECT_FALSE(QFile::exists(folder_.filePath(QStringLiteral("QUINTARA.DAT.BAK"))));
    EXPECT_EQ(mainWindow_, nullptr);
    EXPECT_EQ(openPort_, -1);
    EXPECT_FALSE(frmSplash::IsLoaded());
}

TEST_F(StartupTest, ACancelledLoginOnAFirstStartLeavesNoSettingsFile)
{
    dialogs_.Then([](QDialog&) {});   // welcome: closed without a choice
    dialogs_.Then([](QDialog& dialog) { qobject_cast<frmLogin*>(&dialog)->cmdCancel->click(); });
    const auto entries = [this] {
        return QDir(folder_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    const QStringList before = entries();

    EXPECT_EQ(Main(hooks_), ExitLoginFailed);
    ASSERT_EQ(presenter_.Shown.size(), 1u);
    EXPECT_EQ(presenter_.Shown[0].Text, QStringLiteral("Wrong password."));
    EXPECT_FALSE(QFile::exists(SettingsFile()));
    // Nothing at all once the run gives up its lock, not even the seat's
    // name: the next start is a first one.
    ReleaseInstanceLock();
    EXPECT_EQ(entries(), before);
}

// The splash stays five seconds: the wait ends on the first reading beyond
// them; a load longer than that adds no wait.
TEST_F(StartupTest, TheSplashStaysFiveSecondsWhileTheWindowLoads)
{
    KeyboardDef.SerialNumber = QStringLiteral("0001");   // filled in, but no instrument text
    WriteSettings();
    const struct { int64_t load, minimum, maximum; int slices; } rows[] = {{300, 5001, 5100, 48}, {7000, 7000, 7000, 0}};
    for (const auto& row : rows) {
        dialogs_.Then(LogIn(2, QString()));
        loadMilliseconds_ = row.load;
        waitSlices_ = 0;
        const int64_t started = now_;
        EXPECT_EQ(Main(hooks_), 0);
        EXPECT_TRUE(splashWhileLoading_);
        EXPECT_FALSE(splashGoneDuringWait_);
        EXPECT_GE(now_ - started, row.minimum);
        EXPECT_LE(now_ - started, row.maximum);
        EXPECT_EQ(waitSlices_, row.slices);
        ReleaseInstanceLock();
    }
    // Without an instrument text the keyboard keeps its built-in name.
    EXPECT_EQ(ModelLongName[1], QStringLiteral("Tastatur"));
}

// A device the user may not open is told in words after message 13: another
// port would not mend it, the group would.
TEST_F(StartupTest, APortThatFailsToOpenGivesMessageThirteenAfterTheSplashAndTheWindowStillOpens)
{
    const struct {
        const char* Name;
        SerialDeviceDenial Denied;
        const char* After13;   // the English text after message 13; null: none
    } rows[] = {
        {"missing", {}, nullptr},
        {"not permitted", {QStringLiteral("/dev/ttyS3"), QStringLiteral("dialout")},
         "The user may not open the device /dev/ttyS3. The user must be a member of the group dialout and then "
         "log in again."},
        // A device no group would open (its owner's alone) names none.
        {"no group would help", {QStringLiteral("/dev/ttyS3"), QString()}, nullptr},
    };
    ComPort = 4;
    WriteSettings();
    portOpens_ = false;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Name);
        dialogs_.Then(LogIn(2, QString()));
        presenter_.Shown.clear();
        presenter_.PointerWhileShown.clear();
        splashAtMessage_.clear();
        mainShownAtMessage_.clear();
        hooks_.DeniedDevice = [&row] { return row.Denied; };

        EXPECT_EQ(Main(hooks_), 0);
        EXPECT_EQ(initPort_, 4);
        EXPECT_EQ(openPort_, 4);
        EXPECT_FALSE(PortOpen);
        ASSERT_EQ(presenter_.Shown.size(), row.After13 ? 2u : 1u);
        EXPECT_EQ(presenter_.Shown[0].Text,
                  QStringLiteral("The selected data port is not available. Please select another one!"));
        if (row.After13) {
            EXPECT_EQ(presenter_.Shown[1].Text, QString::fromUtf8(row.After13));
            EXPECT_EQ(presenter_.Shown[1].Icon, IconExclamation);
        }
        for (std::size_t shown = 0; shown < presenter_.Shown.size(); ++shown) {
            EXPECT_FALSE(splashAtMessage_[shown]);
            EXPECT_FALSE(mainShownAtMessage_[shown]);
            EXPECT_EQ(presenter_.PointerWhileShown[shown], PointerDefault);
        }
        ASSERT_NE(mainWindow_, nullptr);
        EXPECT_TRUE(mainWindow_->isVisible());
        ReleaseInstanceLock();
        frmSplash::Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace
