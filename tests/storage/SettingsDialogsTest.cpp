#include "StorageTest.h"
#include "support/ScriptedPresenter.h"

#include "foundation/frmResource.h"
#include "foundation/modGlobals.h"
#include "foundation/modMessage.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "instrument/modCommunication.h"
#include "main_window/modPending.h"
#include "platform/DriveFolderLists.h"
#include "platform/ProgramFolder.h"
#include "platform/SerialDevices.h"
#include "platform/TextInput.h"
#include "storage/frmDataSetting.h"
#include "storage/frmFileProgress.h"
#include "storage/modDisk.h"
#include "storage/frmQDASSetting.h"
#include "support/ChildProcess.h"
#include "support/ReadOnlyFolder.h"
#include "support/SimInstrument.h"

#include <QApplication>
#include <QFileInfo>
#include <QDir>
#include <QTimer>

#include <chrono>
#include <thread>
#include <QFile>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

frmDataSetting::FolderMove PendingFolderChange()
{
    return {BeginDataFolderChange, FinishDataFolderChange, UndoDataFolderChange};
}

// Points every port number at a device that does not exist, so that only the
// simulated instrument can be opened; restores the variables afterwards.
class MissingPorts {
public:
    MissingPorts()
    {
        for (int n = 1; n <= 8; ++n) {
            if (qEnvironmentVariableIsSet(Name(n).constData()))
                m_saved[n] = qgetenv(Name(n).constData());
            qputenv(Name(n).constData(), Missing(n).toLocal8Bit());
        }
    }
    ~MissingPorts()
    {
        for (int n = 1; n <= 8; ++n)
            m_saved[n] ? qputenv(Name(n).constData(), *m_saved[n]) : qunsetenv(Name(n).constData());
    }
    static QString Missing(int n) { return QStringLiteral("/nonexistent/ttyQ%1").arg(n); }

private:
    static QByteArray Name(int n) { return SerialPortEnvironmentName(n).toLatin1(); }
    std::array<std::optional<QByteArray>, 9> m_saved;
};

class SettingsDialogsTest : public StorageTest {
protected:
    void SetUp() override
    {
        StorageTest::SetUp();
        ComPort = 3;
        QDASFolder = Data;
        ASSERT_TRUE(QDir(Data).mkdir(QStringLiteral("sub")));
    }
    void TearDown() override
    {
        commClose();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);   // dialogs closed by the test
        StorageTest::TearDown();
    }
    bool SettingsWritten() const { return QFile::exists(SettingsFilePath()); }
    // The series open from its pending file in the data folder, the settings
    // file unwritable (a folder stands at its name), the dialog's folder
    // change set: OK with the subfolder then finds the settings refused.
    void OpenWithTheSettingsRefused(const Protocol& series)
    {
        WriteFileBytes(Data + QStringLiteral("/PENDING 1.QTA"), ReportFileBytes(series));
        Protocols = {EmptyProtocol};
        LoadPendingProtocols();
        ASSERT_EQ(Protocols.size(), 2u);
        QFile::remove(SettingsFilePath());
        ASSERT_TRUE(QDir().mkpath(SettingsFilePath()));
        frmDataSetting::SetFolderMove(PendingFolderChange());
    }
    // Starts the simulated instrument on port 3.
    void StartInstrument() { ASSERT_TRUE(m_sim.Start({ QStringLiteral("--model"), QStringLiteral("6") }, 3)); }

    MissingPorts m_ports;
    SimInstrument m_sim;
};

TEST_F(SettingsDialogsTest, PortsAreProbedAndTheStoredOneSelectedAndCancelChangesNothing)
{
    StartInstrument();
    frmDataSetting* form = frmDataSetting::Instance();
    for (int n = 1; n <= 8; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(form->optPort[n]->isEnabled(), n == 3);
        EXPECT_EQ(form->optPort[n]->isChecked(), n == 3);
        EXPECT_EQ(form->optPort[n]->toolTip(), n == 3 ? m_sim.PortPath() : MissingPorts::Missing(n));
    }
    // The probe leaves the port closed and logs none of the missing devices.
    EXPECT_FALSE(frmResource::Instance()->comData->isOpen());
    EXPECT_EQ(LogLinesWith(QStringLiteral("commOpen")), 0);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Data settings"));
    EXPECT_EQ(form->fraPort->title(), QStringLiteral("Data port"));
    EXPECT_EQ(form->fraPath->title(), QStringLiteral("Data path"));
    EXPECT_EQ(form->cmdOK->text(), QStringLiteral("&OK"));
    EXPECT_EQ(form->cmdCancel->text(), QStringLiteral("&Cancel"));
    EXPECT_EQ(form->dirDirectory->Path(), Data);
    EXPECT_EQ(form->drvDrive->Drive(), DriveListBox::DriveOfPath(Data));
    EXPECT_EQ(LogLinesWith(QStringLiteral("SetDrive")), 0);

    // Cancel after changes changes nothing and writes nothing.
    form->optPort[3]->setChecked(false);
    form->dirDirectory->SetPath(Data + QStringLiteral("/sub"));
    form->cmdCancel_Click();
    EXPECT_FALSE(frmDataSetting::IsLoaded());
    EXPECT_EQ(ComPort, 3);
    EXPECT_EQ(DataFolder, Data);
    EXPECT_FALSE(SettingsWritten());
    EXPECT_TRUE(Presenter.Shown.empty());
}

TEST_F(SettingsDialogsTest, PortOutsideOneToEightSelectsCom2)
{
    for (int16_t stored : { 9, 0 }) {
        ComPort = stored;
        frmDataSetting* form = frmDataSetting::Instance();
        EXPECT_TRUE(form->optPort[2]->isChecked()) << stored;
        // No port can be opened: all eight are listed, all disabled, and OK
        // is refused until Cancel.
        for (int n = 1; n <= 8; ++n)
            EXPECT_FALSE(form->optPort[n]->isEnabled()) << n;
        form->cmdOK_Click();
        EXPECT_TRUE(frmDataSetting::IsLoaded());
        form->cmdCancel_Click();
        EXPECT_EQ(ComPort, stored);
    }
    EXPECT_EQ(Presenter.Shown, std::vector<MessageRequest>(2, ComposeMessage(13, {}, 2)));
    EXPECT_FALSE(SettingsWritten());
}

TEST_F(SettingsDialogsTest, APortThatIsNotAvailableIsRefused)
{
    StartInstrument();
    ComPort = 5;
    frmDataSetting* form = frmDataSetting::Instance();
    ASSERT_TRUE(form->optPort[5]->isChecked());
    // OK on it with the folder as it is gives message 13 and keeps the
    // dialog; a double click on it does nothing.
    form->cmdOK_Click();
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                            Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form->optPort[5], &doubleClick);
    ASSERT_EQ(Presenter.Shown.size(), 1u);
    EXPECT_EQ(Presenter.Shown[0], ComposeMessage(13, {}, 2));
    EXPECT_TRUE(frmDataSetting::IsLoaded());
    EXPECT_EQ(ComPort, 5);
    EXPECT_EQ(DataFolder, Data);
    EXPECT_FALSE(SettingsWritten());

    // Another folder is taken all the same (the instrument's adapter
    // unplugged is no reason to keep the old one): message 13 again, the
    // port as it was, both saved.
    form->dirDirectory->SetPath(Data + QStringLiteral("/sub"));
    form->cmdOK_Click();
    ASSERT_EQ(Presenter.Shown.size(), 2u);
    EXPECT_EQ(Presenter.Shown[1], ComposeMessage(13, {}, 2));
    EXPECT_FALSE(frmDataSetting::IsLoaded());
    EXPECT_EQ(ComPort, 5);
    EXPECT_EQ(DataFolder, Data + QStringLiteral("/sub"));
    EXPECT_EQ(StoredSettings.ComPort, 5);
    EXPECT_EQ(StoredSettings.DataFolder, Data + QStringLiteral("/sub"));

    // Another, available port is accepted: both settings stored and saved.
    DataFolder = Data;
    form = frmDataSetting::Instance();
    form->dirDirectory->SetPath(Data + QStringLiteral("/sub"));
    form->optPort[3]->setChecked(true);
    form->cmdOK_Click();
    EXPECT_EQ(Presenter.Shown.size(), 2u);
    EXPECT_FALSE(frmDataSetting::IsLoaded());
    EXPECT_EQ(ComPort, 3);
    EXPECT_EQ(DataFolder, Data + QStringLiteral("/sub"));
    EXPECT_EQ(StoredSettings.ComPort, 3);
    EXPECT_EQ(StoredSettings.DataFolder, Data + QStringLiteral("/sub"));

    // A double click on an available port accepts as well.
    ASSERT_TRUE(QFile::remove(SettingsFilePath()));
    ComPort = 7;
    form = frmDataSetting::Instance();
    form->optPort[3]->setChecked(true);
    QApplication::sendEvent(form->optPort[3], &doubleClick);
    EXPECT_FALSE(frmDataSetting::IsLoaded());
    EXPECT_TRUE(SettingsWritten());
}

// A port whose device the user may not open: choosing another port is no
// mend, so message 51 after message 13 names the device and its group.
TEST_F(SettingsDialogsTest, APortWhoseDeviceTheUserMayNotOpenNamesItsGroup)
{
    const group* dialout = ::getgrnam("dialout");
    if (!dialout)
        GTEST_SKIP() << "no group dialout";
    const QString device = Temp.path() + QStringLiteral("/ttyS9");
    WriteFileBytes(device, std::string());
    const QByteArray path = QFile::encodeName(device);
    // Another user reaches it, as a user reaches /dev.
    ASSERT_EQ(::chmod(QFile::encodeName(Temp.path()).constData(), 0711), 0);
    if (::chown(path.constData(), ::geteuid(), dialout->gr_gid) != 0)
        GTEST_SKIP() << "the device cannot be given to dialout here";
    // The group may read and write it, its owner and everyone else may not.
    ASSERT_EQ(::chmod(path.constData(), 0060), 0);
    qputenv(SerialPortEnvironmentName(5).toLatin1().constData(), path);
    ComPort = 5;
    // 0: messages 13 and 51 naming the device and dialout, and the dialog
    // stays; 1: other messages; 2: the port was taken.
    const int told = RunUnprivileged([this, &device] {
        frmDataSetting* form = frmDataSetting::Instance();
        if (form->optPort[5]->isEnabled())
            return 2;
        form->cmdOK_Click();
        const std::vector<MessageRequest> expected = {ComposeMessage(13, {}, 2),
                                                      ComposeMessage(51, {device, QStringLiteral("dialout")}, 2)};
        return Presenter.Shown == expected && frmDataSetting::IsLoaded() ? 0 : 1;
    });
    if (told == ChildSetupFailed)
        GTEST_SKIP() << "no unprivileged user";
    EXPECT_EQ(told, 0);
}

TEST_F(SettingsDialogsTest, VanishedDataFolderFallsBackToTheProgramFolder)
{
    // Gone, or a drive letter from an old settings file: the program folder is
    // shown and the setting kept.
    for (const QString& folder : {Data + QStringLiteral("/gone"), QStringLiteral("D:\\QUINTARA")}) {
        DataFolder = folder;
        frmDataSetting* form = frmDataSetting::Instance();
        EXPECT_EQ(form->dirDirectory->Path(), Program);
        form->cmdCancel_Click();
        EXPECT_EQ(DataFolder, folder);
    }
    EXPECT_EQ(LogLinesWith(QStringLiteral("SetDrive")), 2);

    // A folder on /dev/shm, a tmpfs that the list of mounted volumes leaves out, is shown.
    QTemporaryDir shm(QStringLiteral("/dev/shm/quintara-XXXXXX"));
    if (!shm.isValid())
        GTEST_SKIP() << "no /dev/shm here";
    DataFolder = shm.path();
    frmDataSetting* form = frmDataSetting::Instance();
    EXPECT_EQ(form->dirDirectory->Path(), shm.path());
    EXPECT_EQ(form->drvDrive->Drive(), DriveListBox::DriveOfPath(shm.path()));
    form->cmdCancel_Click();
}

TEST_F(SettingsDialogsTest, DriveCheck)
{
    frmDataSetting* form = frmDataSetting::Instance();
    const QString dataDrive = DriveListBox::DriveOfPath(Data);
    EXPECT_EQ(form->RememberedDrive, QStringLiteral("/"));
    form->drvDrive_GotFocus();
    EXPECT_EQ(form->RememberedDrive, dataDrive);

    // A volume that went away: message 10, the list returns, the folder stays.
    form->drvDrive->AddDrive(QStringLiteral("/nonexistent-volume"));
    form->drvDrive->setCurrentIndex(form->drvDrive->findData(QStringLiteral("/nonexistent-volume")));
    form->drvDrive_Change();
    ASSERT_EQ(Presenter.Shown.size(), 1u);
    EXPECT_EQ(Presenter.Shown[0], ComposeMessage(10, {}, 2));
    EXPECT_EQ(form->drvDrive->Drive(), dataDrive);
    EXPECT_EQ(form->dirDirectory->Path(), Data);

    // An available volume opens its root in the folder list.
    form->drvDrive_Change();
    EXPECT_EQ(Presenter.Shown.size(), 1u);
    EXPECT_EQ(form->dirDirectory->Path(), dataDrive);
    form->cmdCancel_Click();
}

TEST_F(SettingsDialogsTest, FolderListBrowses)
{
    // Links to a folder are folders; links to a device or to nothing are not.
    ASSERT_TRUE(QFile::link(Data + QStringLiteral("/sub"), Data + QStringLiteral("/toSub")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), Data + QStringLiteral("/toDevice")));
    ASSERT_TRUE(QFile::link(Data + QStringLiteral("/missing"), Data + QStringLiteral("/toNothing")));
    DirListBox list;
    ASSERT_TRUE(list.SetPath(Data));
    const auto rowOf = [&list](const QString& path) {
        for (int row = 0; row < list.count(); ++row)
            if (list.PathOfRow(row) == path)
                return row;
        return -1;
    };
    const int subRow = rowOf(Data + QStringLiteral("/sub"));
    ASSERT_GE(subRow, 0);
    EXPECT_GE(rowOf(Data + QStringLiteral("/toSub")), 0);
    EXPECT_EQ(rowOf(Data + QStringLiteral("/toDevice")), -1);
    EXPECT_EQ(rowOf(Data + QStringLiteral("/toNothing")), -1);
    QString changed;
    QObject::connect(&list, &DirListBox::PathChanged, [&](const QString& path) { changed = path; });
    EXPECT_EQ(list.PathOfRow(0), QStringLiteral("/"));
    emit list.itemActivated(list.item(subRow));
    EXPECT_EQ(changed, Data + QStringLiteral("/sub"));
    EXPECT_EQ(list.Path(), Data + QStringLiteral("/sub"));
    EXPECT_FALSE(list.SetPath(Data + QStringLiteral("/missing")));
    EXPECT_EQ(list.Path(), Data + QStringLiteral("/sub"));
    // Up again through the chain of folders above.
    const int dataRow = rowOf(Data);
    ASSERT_GE(dataRow, 0);
    emit list.itemActivated(list.item(dataRow));
    EXPECT_EQ(list.Path(), Data);
    EXPECT_EQ(changed, Data);
}

TEST_F(SettingsDialogsTest, ReturnInTheFolderListOpensTheFolderAndLeavesTheDialogOpen)
{
    // Return on a highlighted folder opens it, as a double-click does, and
    // is no OK: the dialog stays, nothing is stored. Return on the OK
    // button then accepts.
    StartInstrument();
    const QString sub = Data + QStringLiteral("/sub");
    ScriptedDialogRunner runner;
    int accepted = 0;
    runner.Then([&](QDialog& dialog) {
        auto* form = qobject_cast<frmDataSetting*>(&dialog);
        ASSERT_NE(form, nullptr);
        QObject::connect(form, &QDialog::accepted, [&] { ++accepted; });
        for (int row = 0; row < form->dirDirectory->count(); ++row)
            if (form->dirDirectory->PathOfRow(row) == sub)
                form->dirDirectory->setCurrentRow(row);
        form->dirDirectory->setFocus();
        QTest::keyClick(form->dirDirectory, Qt::Key_Return);
        EXPECT_EQ(form->dirDirectory->Path(), sub);
        EXPECT_EQ(accepted, 0);
        EXPECT_TRUE(form->isVisible());
        EXPECT_FALSE(SettingsWritten());
        QTest::keyClick(form->cmdOK, Qt::Key_Return);
    });
    EXPECT_EQ(frmDataSetting::ShowForm(), QDialog::Accepted);
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(DataFolder, sub);
}

TEST_F(SettingsDialogsTest, ShownThroughTheModalSeam)
{
    StartInstrument();
    ScriptedDialogRunner runner;
    runner.Then([](QDialog& dialog) {
        auto* form = qobject_cast<frmDataSetting*>(&dialog);
        ASSERT_NE(form, nullptr);
        form->cmdOK_Click();
    });
    EXPECT_EQ(frmDataSetting::ShowForm(), QDialog::Accepted);
    EXPECT_EQ(runner.Ran, std::vector<QString>({ QStringLiteral("frmDataSetting") }));
    EXPECT_TRUE(SettingsWritten());
    // Closed without an action: nothing stored.
    QFile::remove(SettingsFilePath());
    ComPort = 3;
    DataFolder = Data;
    EXPECT_EQ(frmDataSetting::ShowForm(), QDialog::Rejected);
    EXPECT_FALSE(frmDataSetting::IsLoaded());
    EXPECT_FALSE(SettingsWritten());
}

TEST_F(SettingsDialogsTest, QdasDialogStoresTheFolderShownOnOk)
{
    frmQDASSetting* form = frmQDASSetting::Instance();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Q-DAS settings"));
    EXPECT_EQ(form->fraPath->title(), QStringLiteral("Q-DAS data path"));
    EXPECT_EQ(form->dirDirectory->Path(), Data);
    form->dirDirectory->SetPath(Data + QStringLiteral("/sub"));
    form->cmdOK_Click();
    EXPECT_FALSE(frmQDASSetting::IsLoaded());
    EXPECT_EQ(QDASFolder, Data + QStringLiteral("/sub"));
    EXPECT_TRUE(SettingsWritten());
    EXPECT_TRUE(Presenter.Shown.empty());

    // Cancel keeps the stored folder, a vanished one too, and writes nothing.
    // A folder that cannot be reached is shown as the setting names it (the
    // program folder stands in for it only while it is away), and the log
    // names it.
    ASSERT_TRUE(QFile::remove(SettingsFilePath()));
    QDASFolder = Data + QStringLiteral("/gone");
    form = frmQDASSetting::Instance();
    EXPECT_EQ(form->dirDirectory->Path(), Data + QStringLiteral("/gone"));
    EXPECT_EQ(LogLinesWith(QStringLiteral("SetDrive")), 1);
    EXPECT_EQ(LogLines().filter(QStringLiteral("directory: ") + Data + QStringLiteral("/gone")).size(), 1);
    form->dirDirectory->SetPath(Data);
    form->cmdCancel_Click();
    EXPECT_EQ(QDASFolder, Data + QStringLiteral("/gone"));
    EXPECT_FALSE(SettingsWritten());

    // OK without a change keeps a folder that cannot be reached, a share's
    // folder whose mount point is gone too: one outage never moves the
    // setting to the program folder.
    for (const QString& away : {Data + QStringLiteral("/gone"), Data + QStringLiteral("/share/gone/qdas")}) {
        QDASFolder = away;
        form = frmQDASSetting::Instance();
        EXPECT_EQ(form->dirDirectory->Path(), away);
        EXPECT_EQ(form->drvDrive->Drive(), DriveListBox::DriveOfPath(Data));
        // The folders above it are shown, the one that can be reached opens.
        EXPECT_EQ(form->dirDirectory->PathOfRow(form->dirDirectory->currentRow()), away);
        form->cmdOK_Click();
        EXPECT_EQ(QDASFolder, away);
    }
    // Another folder opened from there is stored.
    QDASFolder = Data + QStringLiteral("/gone");
    form = frmQDASSetting::Instance();
    ASSERT_TRUE(form->dirDirectory->SetPath(Data));
    form->cmdOK_Click();
    EXPECT_EQ(QDASFolder, Data);
}

// A folder whose path the settings file cannot hold (it would come back as
// "?ukasz") is refused by both dialogs: beep, message 6, nothing stored.
TEST_F(SettingsDialogsTest, AFolderThatCannotBeStoredIsRefused)
{
    StartInstrument();
    for (const char* name : {"Łukasz", "tab\there"}) {
        SCOPED_TRACE(name);
        const QString folder = Data + u'/' + QString::fromUtf8(name);
        ASSERT_TRUE(QDir().mkpath(folder));
        DrivePathDialog* forms[] = {frmDataSetting::Instance(), frmQDASSetting::Instance()};
        for (DrivePathDialog* form : forms) {
            Presenter.Shown.clear();
            const int beeps = InputBeepCount();
            ASSERT_TRUE(form->dirDirectory->SetPath(folder));
            form->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
            ASSERT_EQ(Presenter.Shown.size(), 1u);
            EXPECT_EQ(Presenter.Shown[0], ComposeMessage(6, {}, 2));
            EXPECT_EQ(InputBeepCount(), beeps + 1);
            EXPECT_EQ(DataFolder, Data);
            EXPECT_EQ(QDASFolder, Data);
            EXPECT_FALSE(SettingsWritten());
            form->cmdCancel_Click();
        }
    }
}

TEST_F(SettingsDialogsTest, ANewDataFolderIsStoredOnlyOnceTheOpenSeriesAreInIt)
{
    StartInstrument();
    const QString sub = Data + QStringLiteral("/sub");
    const Protocol series = SampleProtocol(QStringLiteral("s"), At(9));
    WriteFileBytes(Data + QStringLiteral("/PENDING 1.QTA"), ReportFileBytes(series));
    Protocols = {EmptyProtocol};
    LoadPendingProtocols();
    ASSERT_EQ(Protocols.size(), 2u);
    bool settingsBeforeTheMove = true;
    frmDataSetting::SetFolderMove({[&](const QString& folder) {
                                       settingsBeforeTheMove = SettingsWritten();
                                       return BeginDataFolderChange(folder);
                                   },
                                   FinishDataFolderChange, UndoDataFolderChange});

    // The new folder refuses files: message 31, whose No keeps the old
    // folder; nothing is left in the new one.
    {
        ReadOnlyFolder readOnly(sub);
        if (!readOnly.Active())
            GTEST_SKIP() << "cannot make a folder refuse new files";
        Presenter.Answer(AnswerYes);
        Presenter.Answer(AnswerNo);
        frmDataSetting* form = frmDataSetting::Instance();
        ASSERT_TRUE(form->dirDirectory->SetPath(sub));
        form->cmdOK_Click();
    }
    ASSERT_EQ(Presenter.Shown.size(), 2u);
    EXPECT_EQ(Presenter.Shown[0], ComposeMessage(31, {}, 2));
    EXPECT_EQ(Presenter.Shown[1], ComposeMessage(31, {}, 2));
    EXPECT_EQ(DataFolder, Data);
    EXPECT_TRUE(QDir(sub).entryList(QDir::Files | QDir::Hidden).isEmpty());
    ASSERT_TRUE(SettingsWritten());
    ReadSettingsFile();
    EXPECT_EQ(StoredSettings.DataFolder, Data);
    QFile::remove(SettingsFilePath());

    // It takes them: the series is in the new folder before the settings
    // name it.
    Presenter.Shown.clear();
    frmDataSetting* form = frmDataSetting::Instance();
    ASSERT_TRUE(form->dirDirectory->SetPath(sub));
    form->cmdOK_Click();
    frmDataSetting::SetFolderMove({});
    EXPECT_TRUE(Presenter.Shown.empty());
    EXPECT_FALSE(settingsBeforeTheMove);
    EXPECT_EQ(DataFolder, sub);
    ReadSettingsFile();
    EXPECT_EQ(StoredSettings.DataFolder, sub);
    EXPECT_EQ(ReadFileBytes(sub + QStringLiteral("/PENDING 1.QTA")), ReportFileBytes(series));
}

TEST_F(SettingsDialogsTest, ASettingsFileThatCannotNameTheNewFolderKeepsTheSeriesInTheOldOne)
{
    // The series are written into the new folder, then the settings file
    // cannot be written (a folder stands in its place): the next start
    // would look in the old folder. Message 31; Yes tries once more, No
    // keeps the series in their files in the old folder, and their copies
    // leave the new one before the dialog closes: a kill then, or choosing
    // that folder later, finds nothing of them there.
    StartInstrument();
    const QString sub = Data + QStringLiteral("/sub");
    const Protocol series = SampleProtocol(QStringLiteral("s"), At(9));
    OpenWithTheSettingsRefused(series);
    Presenter.Answer(AnswerYes);
    Presenter.Answer(AnswerNo);
    frmDataSetting* form = frmDataSetting::Instance();
    ASSERT_TRUE(form->dirDirectory->SetPath(sub));
    QStringList leftAtClose(QStringLiteral("<not closed>"));
    QObject::connect(form, &QDialog::accepted,
                     [&] { leftAtClose = QDir(sub).entryList(QDir::Files | QDir::Hidden); });
    form->cmdOK_Click();
    frmDataSetting::SetFolderMove({});
    EXPECT_TRUE(leftAtClose.isEmpty()) << leftAtClose.join(u',').toStdString();
    bool ok = false;
    SavePendingProtocols(ok);
    EXPECT_TRUE(ok);

    // The port chosen lives in memory only, and message 44 says so.
    ASSERT_EQ(Presenter.Shown.size(), 3u);
    EXPECT_EQ(Presenter.Shown[0], ComposeMessage(31, {}, 2));
    EXPECT_EQ(Presenter.Shown[1], ComposeMessage(31, {}, 2));
    EXPECT_EQ(Presenter.Shown[2], ComposeMessage(44, {}, 2));
    EXPECT_EQ(DataFolder, Data);
    EXPECT_EQ(ReadFileBytes(Data + QStringLiteral("/PENDING 1.QTA")), ReportFileBytes(series));
    EXPECT_TRUE(QDir(sub).entryList(QDir::Files | QDir::Hidden).isEmpty());
    Protocols = {EmptyProtocol};
    LoadPendingProtocols();
    EXPECT_EQ(Protocols, (std::vector<Protocol>{EmptyProtocol, series}));
}

TEST_F(SettingsDialogsTest, ACopyThatCannotBeRemovedAfterNoIsToldAndGoesAtTheNextStart)
{
    // The settings file cannot name the new folder, No; then the new folder
    // refuses the removal of the copy (immutable from the moment message 31
    // is up). The failure is told (message 31 once more), the record stays,
    // and the next start, the folder writable again, removes the copy.
    StartInstrument();
    const QString sub = Data + QStringLiteral("/sub");
    const Protocol series = SampleProtocol(QStringLiteral("s"), At(9));
    OpenWithTheSettingsRefused(series);
    std::optional<ReadOnlyFolder> refusing;
    Presenter.OnPresent = [&](const MessageRequest&) {
        if (!refusing)
            refusing.emplace(sub);
    };
    Presenter.Answer(AnswerNo);
    Presenter.Answer(AnswerNo);
    frmDataSetting* form = frmDataSetting::Instance();
    ASSERT_TRUE(form->dirDirectory->SetPath(sub));
    form->cmdOK_Click();
    frmDataSetting::SetFolderMove({});
    Presenter.OnPresent = nullptr;
    if (!refusing || !refusing->Active())
        GTEST_SKIP() << "cannot make a folder refuse a removal";
    ASSERT_EQ(Presenter.Shown.size(), 3u);
    EXPECT_EQ(Presenter.Shown[1], ComposeMessage(31, {}, 2));
    EXPECT_EQ(Presenter.Shown[2], ComposeMessage(44, {}, 2));
    EXPECT_EQ(DataFolder, Data);
    EXPECT_EQ(QDir(sub).entryList(QDir::Files).size(), 1);
    EXPECT_EQ(QDir(Program).entryList({QStringLiteral("QUINTARA *.STP")}, QDir::Files).size(), 1);
    // A save in the run tries again, and fails again while the folder refuses.
    bool ok = true;
    SavePendingProtocols(ok);
    EXPECT_FALSE(ok);
    refusing.reset();
    Protocols = {EmptyProtocol};
    LoadPendingProtocols();
    EXPECT_EQ(Protocols, (std::vector<Protocol>{EmptyProtocol, series}));
    EXPECT_TRUE(QDir(sub).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(Program).entryList({QStringLiteral("QUINTARA *.STP")}, QDir::Files).isEmpty());
    EXPECT_EQ(ReadFileBytes(Data + QStringLiteral("/PENDING 1.QTA")), ReportFileBytes(series));
}

TEST_F(SettingsDialogsTest, AnOldFileThatCannotGoOnceTheSettingsNameTheNewFolderIsTold)
{
    // The settings name the new folder; then the old one goes away (a share
    // whose server is gone) before the series' old files are removed: message
    // 31 says so, the record stays, and the start after the folder is back
    // removes them.
    StartInstrument();
    const QString usb = Temp.path() + QStringLiteral("/USB");
    const QString away = Data + QStringLiteral(".away");
    ASSERT_TRUE(QDir().mkpath(usb));
    const Protocol series = SampleProtocol(QStringLiteral("s"), At(9));
    WriteFileBytes(Data + QStringLiteral("/PENDING 1.QTA"), ReportFileBytes(series));
    Protocols = {EmptyProtocol};
    LoadPendingProtocols();
    frmDataSetting::SetFolderMove({BeginDataFolderChange,
                                   [&] {
                                       QDir().rename(Data, away);
                                       return FinishDataFolderChange();
                                   },
                                   UndoDataFolderChange});
    Presenter.Answer(AnswerNo);
    frmDataSetting* form = frmDataSetting::Instance();
    ASSERT_TRUE(form->dirDirectory->SetPath(usb));
    form->cmdOK_Click();
    frmDataSetting::SetFolderMove({});
    ASSERT_TRUE(QDir().rename(away, Data));
    EXPECT_EQ(Presenter.Shown, std::vector<MessageRequest>{ComposeMessage(31, {}, 2)});
    EXPECT_EQ(DataFolder, usb);
    Protocols = {EmptyProtocol};
    LoadPendingProtocols();
    EXPECT_EQ(Protocols, (std::vector<Protocol>{EmptyProtocol, series}));
    EXPECT_TRUE(QDir(Data).entryList(QDir::Files).isEmpty());
}

TEST_F(SettingsDialogsTest, ASettingsFileRefusedOnAFullDiskLeavesEachSeriesOnceInTheFolderTheSettingsName)
{
    // The series are written into the new folder; the settings file cannot
    // name it (the disk full: a file size limit below the file's size); No.
    // The disk fills up further: the limit then lets through the first, the
    // second, the third series or all of them. No series is written back
    // into the old folder, so none can fail there: the undo only removes
    // the copies. Whether the run ends right after the dialog or saves once
    // more (the disk still full), the settings name the old folder, the
    // data folder is that one, and a start from it finds each series once;
    // nothing is left in the new one.
    StartInstrument();
    const QString sub = Data + QStringLiteral("/sub");
    // Files of growing size, so that a limit between two lets the smaller through.
    std::vector<Protocol> series;
    std::vector<long> sizes;
    for (int n = 0; n < 3; ++n) {
        Protocol p = SampleProtocol(QStringLiteral("s%1").arg(n), At(9 + n));
        for (int t = 0; t < 40 * n; ++t)
            p.Blocks[1].Values.push_back(MakeTest(4.5f, "N", At(9 + n)));
        series.push_back(p);
        sizes.push_back(static_cast<long>(ReportFileBytes(p).size()));
    }
    ASSERT_TRUE(sizes[0] < sizes[1] && sizes[1] < sizes[2]);
    // A settings file larger than any of them.
    for (int n = 0; n < 2000; ++n)
        Operators.push_back(QStringLiteral("operator %1").arg(n));
    ASSERT_TRUE(SaveSettings());
    const long settingsLimit = static_cast<long>(QFileInfo(SettingsFilePath()).size()) - 1;
    ASSERT_LT(sizes[2], settingsLimit);
    frmDataSetting::SetFolderMove(PendingFolderChange());
    frmDataSetting* form = frmDataSetting::Instance();
    const auto pendingIn = [](const QString& folder) {
        return QDir(folder).entryList({QStringLiteral("PENDING*")}, QDir::Files | QDir::Hidden);
    };
    for (int bite = 1; bite <= 4; ++bite) {
        for (const bool saveAfter : {false, true}) {
            SCOPED_TRACE(testing::Message() << "limit at write " << bite << (saveAfter ? ", a save after" : ""));
            QDir(sub).removeRecursively();
            ASSERT_TRUE(QDir().mkpath(sub));
            for (const QString& name : pendingIn(Data))
                QFile::remove(Data + u'/' + name);
            QFile::remove(Program + QStringLiteral("/QUINTARA.LOG"));
            for (std::size_t n = 0; n < series.size(); ++n)
                WriteFileBytes(Data + QStringLiteral("/PENDING %1.QTA").arg(n + 1), ReportFileBytes(series[n]));
            DataFolder = Data;
            Protocols = {EmptyProtocol};
            LoadPendingProtocols();
            ASSERT_EQ(Protocols.size(), 4u);
            ASSERT_TRUE(form->dirDirectory->SetPath(sub));
            Presenter.Shown.clear();
            for (int n = 0; n < 3; ++n)
                Presenter.Answer(AnswerNo);
            // Lowered when the settings file could not be written.
            const rlim_t moveBackLimit = static_cast<rlim_t>(bite <= 3 ? sizes[static_cast<std::size_t>(bite) - 1] - 1 : settingsLimit);
            Presenter.OnPresent = [moveBackLimit](const MessageRequest&) {
                rlimit limit{};
                ::getrlimit(RLIMIT_FSIZE, &limit);
                limit.rlim_cur = std::min(limit.rlim_cur, moveBackLimit);
                ::setrlimit(RLIMIT_FSIZE, &limit);
            };
            const int result = RunWithFileSizeLimit(settingsLimit, [&] {
                form->cmdOK_Click();
                int code = DataFolder == Data ? 0 : 1;
                if (saveAfter) {
                    // On the disk as full as it is.
                    bool ok = false;
                    SavePendingProtocols(ok);
                    code += ok ? 0 : 2;
                }
                return code + 4 * static_cast<int>(Presenter.Shown.size());
            });
            Presenter.OnPresent = nullptr;
            if (result == ChildSetupFailed)
                GTEST_SKIP() << "no file size limit";
            // Message 31 for the settings alone; the save after it fails
            // where the disk has no room for a series.
            EXPECT_EQ(result, 4 + (saveAfter && bite <= 3 ? 2 : 0));

            ReadSettingsFile();
            StoredSettingsToGlobals();
            EXPECT_EQ(DataFolder, Data);
            Protocols = {EmptyProtocol};
            LoadPendingProtocols();
            ASSERT_EQ(Protocols.size(), 4u) << pendingIn(Data).join(u',').toStdString();
            for (const Protocol& p : series)
                EXPECT_EQ(std::count(Protocols.begin(), Protocols.end(), p), 1);
            EXPECT_TRUE(pendingIn(sub).isEmpty()) << pendingIn(sub).join(u',').toStdString();
        }
    }
    frmDataSetting::SetFolderMove({});
    form->cmdCancel_Click();
}

TEST_F(SettingsDialogsTest, WithNoOpenSeriesAFolderGoneBeforeOKIsStoredWithoutMessage31)
{
    // Nothing to move: the folder the dialog shows is taken as it takes any
    // other, even when it went away after it was chosen.
    StartInstrument();
    const QString sub = Data + QStringLiteral("/sub");
    Protocols = {EmptyProtocol};
    LoadPendingProtocols();
    frmDataSetting::SetFolderMove(PendingFolderChange());
    frmDataSetting* form = frmDataSetting::Instance();
    ASSERT_TRUE(form->dirDirectory->SetPath(sub));
    ASSERT_TRUE(QDir(sub).removeRecursively());
    // Should message 31 come, No ends its loop.
    Presenter.Answer(AnswerNo);
    form->cmdOK_Click();
    frmDataSetting::SetFolderMove({});
    EXPECT_TRUE(Presenter.Shown.empty());
    EXPECT_EQ(DataFolder, sub);
    ReadSettingsFile();
    EXPECT_EQ(StoredSettings.DataFolder, sub);
    EXPECT_FALSE(QFileInfo::exists(sub));
}

TEST_F(SettingsDialogsTest, CaptionsByLanguage)
{
    Language = 3;
    frmQDASSetting* qdas = frmQDASSetting::Instance();
    EXPECT_EQ(qdas->windowTitle(), QString::fromUtf8("Réglages Q-DAS"));
    EXPECT_EQ(qdas->fraPath->title(), QString::fromUtf8("Chemin d'accès Q-DAS "));
    EXPECT_EQ(qdas->cmdCancel->text(), QStringLiteral("&Annuler"));
    qdas->SetCaptions(4);
    EXPECT_EQ(qdas->fraPath->title(), QStringLiteral("Percorso Q-DAS "));
    qdas->SetCaptions(6);
    EXPECT_EQ(qdas->windowTitle(), QString());
    EXPECT_EQ(qdas->fraPath->title(), QString());
    EXPECT_EQ(qdas->cmdCancel->text(), QStringLiteral("&"));
    qdas->cmdCancel_Click();

    Language = 2;
    frmDataSetting* data = frmDataSetting::Instance();
    EXPECT_EQ(data->windowTitle(), QStringLiteral("Data settings"));
    data->SetCaptions(5);
    EXPECT_EQ(data->windowTitle(), QString::fromUtf8("Definición de los datos"));
    EXPECT_EQ(data->fraPort->title(), QStringLiteral("Puerto de los datos"));
    EXPECT_EQ(data->fraPath->title(), QStringLiteral("Ruta de los datos"));
    data->SetCaptions(1);
    EXPECT_EQ(data->windowTitle(), QStringLiteral("Dateneinstellungen"));
    EXPECT_EQ(data->fraPort->title(), QStringLiteral("Schnittstelle"));
    EXPECT_EQ(data->cmdCancel->text(), QStringLiteral("&Abbrechen"));
    data->cmdCancel_Click();
}

} // namespace

TEST_F(SettingsDialogsTest, AChangeLongerThanTheDelayCountsItsFilesInAWindowThatGoesWithIt)
{
    // One series whose tests name three curves there and one that is not:
    // four files move. The delay
    // stands for the second after which the window shows.
    StartInstrument();
    struct Shown {
        int moved;
        int total;
        bool operator==(const Shown&) const = default;
    };
    std::vector<Shown> shown;
    // Shown while the old names go, once the settings name the new folder.
    bool finishing = false;
    int shownFinishing = 0;
    const auto record = [&](int moved, int total) {
        shown.push_back({moved, total});
        shownFinishing += finishing && moved >= 0 ? 1 : 0;
    };
    const struct {
        const char* what;
        bool window;   // the window itself rather than a stand-in
        int delayMs;
    } cases[] = {
        {"longer than the delay: every count up to the last, then the end", false, 0},
        {"shorter than the delay: nothing shown", false, 60000},
        {"the window itself, shown at once and closed with the change", true, 0},
    };
    int round = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        shown.clear();
        DataFolder = Data;
        const QString sub = Data + QStringLiteral("/sub%1").arg(++round);
        ASSERT_TRUE(QDir().mkpath(sub));
        Protocol series = SampleProtocol(QStringLiteral("s"), At(9));
        for (int n = 0; n < 3; ++n) {
            const QString name = dskFileNameFromDate(At(14, 0, n), QStringLiteral("ABT"));
            WriteFileBytes(Data + u'/' + name, "curve " + std::to_string(n));
            series.Blocks[1].Values[static_cast<std::size_t>(n) + 1].CurveFile = name.toStdString();
        }
        series.Blocks[2].Values[3].CurveFile.clear();
        // Named but not there: nothing to move, nor to count.
        series.Blocks[1].Values[4].CurveFile = dskFileNameFromDate(At(15), QStringLiteral("ABT")).toStdString();
        WriteFileBytes(Data + QStringLiteral("/PENDING 1.QTA"), ReportFileBytes(series));
        Protocols = {EmptyProtocol};
        LoadPendingProtocols();
        ASSERT_EQ(Protocols.size(), 2u);
        SetFileProgressShow(c.window ? std::function<void(int, int)>() : record, c.delayMs);
        frmDataSetting::FolderMove move = PendingFolderChange();
        const std::function<bool()> finish = move.Finish;
        finishing = false;
        shownFinishing = 0;
        move.Finish = [&] {
            finishing = true;
            const bool done = finish();
            finishing = false;
            return done;
        };
        frmDataSetting::SetFolderMove(move);
        frmDataSetting* form = frmDataSetting::Instance();
        ASSERT_TRUE(form->dirDirectory->SetPath(sub));
        // The window is painted while the change runs on: no timer of the
        // program (a typed field's save) may run a save in the middle of it.
        bool changing = true;
        bool timerInChange = false;
        QTimer typed;
        typed.setSingleShot(true);
        QObject::connect(&typed, &QTimer::timeout, [&] { timerInChange = timerInChange || changing; });
        typed.start(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        form->cmdOK_Click();
        changing = false;
        QCoreApplication::processEvents();
        EXPECT_FALSE(timerInChange);
        frmDataSetting::SetFolderMove({});
        SetFileProgressShow(nullptr, 1000);
        EXPECT_EQ(DataFolder, sub);
        EXPECT_EQ(QDir(sub).entryList(QDir::Files).size(), 4);
        const QWidgetList windows = QApplication::topLevelWidgets();
        EXPECT_FALSE(std::any_of(windows.begin(), windows.end(),
                                 [](QWidget* w) { return qobject_cast<frmFileProgress*>(w) != nullptr; }));
        if (c.window || c.delayMs > 0) {
            EXPECT_TRUE(shown.empty());
            continue;
        }
        ASSERT_GE(shown.size(), 2u);
        EXPECT_GE(shownFinishing, 1);
        EXPECT_EQ(shown[shown.size() - 2], (Shown{4, 4}));
        EXPECT_EQ(shown.back(), (Shown{-1, 4}));
        for (std::size_t i = 1; i + 1 < shown.size(); ++i)
            EXPECT_TRUE(shown[i].moved >= shown[i - 1].moved && shown[i].total >= shown[i - 1].total) << i;
    }
}
