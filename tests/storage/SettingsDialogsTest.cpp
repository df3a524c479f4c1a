#include "foundation/frmResource.h"
#include "foundation/modGlobals.h"
#include "foundation/modMessage.h"
#include "foundation/modSettings.h"
#include "instrument/modCommunication.h"
#include "platform/DriveFolderLists.h"
#include "platform/ProgramFolder.h"
#include "platform/SerialDevices.h"
#include "storage/frmDataSetting.h"
#include "storage/frmQDASSetting.h"
#include "support/ScriptedPresenter.h"
#include "support/SimInstrument.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <array>

namespace {

// Points every port number at a device that does not exist, so that only the
// simulated instrument can be opened; restores the variables afterwards.
class MissingPorts {
public:
    MissingPorts()
    {
        for (int n = 1; n <= 8; ++n) {
            const QByteArray name = SerialPortEnvironmentName(n).toLatin1();
            m_had[n] = qEnvironmentVariableIsSet(name.constData());
            m_saved[n] = qgetenv(name.constData());
            qputenv(name.constData(), Missing(n).toLocal8Bit());
        }
    }
    ~MissingPorts()
    {
        for (int n = 1; n <= 8; ++n) {
            const QByteArray name = SerialPortEnvironmentName(n).toLatin1();
            if (m_had[n])
                qputenv(name.constData(), m_saved[n]);
            else
                qunsetenv(name.constData());
        }
    }
    static QString Missing(int n) { return QStringLiteral("/nonexistent/ttyQ%1").arg(n); }

private:
    std::array<bool, 9> m_had{};
    std::array<QByteArray, 9> m_saved;
};

void FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class SettingsDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetProgramFolder(m_home.path());
        ResetSettingsGlobals(m_home.path());
        Language = 2;
        ComPort = 3;
        DataFolder = m_data.path();
        QDASFolder = m_data.path();
        ASSERT_TRUE(QDir(m_data.path()).mkdir(QStringLiteral("sub")));
    }
    void TearDown() override
    {
        commClose();
        FlushDeletes();
        SetProgramFolder(QString());
    }
    bool SettingsWritten() const { return QFile::exists(SettingsFilePath()); }
    int LogLinesWith(const char* name) const
    {
        QFile f(m_home.path() + QStringLiteral("/QUINTARA.LOG"));
        if (!f.open(QIODevice::ReadOnly))
            return 0;
        int count = 0;
        for (const QByteArray& line : f.readAll().split('\n'))
            count += line.contains(QByteArray("\t") + name) ? 1 : 0;
        return count;
    }
    // Starts the simulated instrument on port 3.
    void StartInstrument()
    {
        ASSERT_TRUE(m_sim.Start({ QStringLiteral("--model"), QStringLiteral("6") }, 3));
    }

    QTemporaryDir m_home;
    QTemporaryDir m_data;
    MissingPorts m_ports;
    SimInstrument m_sim;
    ScriptedPresenter m_presenter;
};

TEST_F(SettingsDialogsTest, PortsAreProbedAndTheStoredOneSelected)
{
    StartInstrument();
    frmDataSetting* form = frmDataSetting::Instance();
    for (int n = 1; n <= 8; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(form->optPort[n]->isEnabled(), n == 3);
        EXPECT_EQ(form->optPort[n]->isChecked(), n == 3);
        EXPECT_EQ(form->optPort[n]->toolTip(), n == 3 ? m_sim.DevicePath() : MissingPorts::Missing(n));
    }
    // The probe leaves the port closed; the missing devices were logged by the open.
    EXPECT_FALSE(frmResource::Instance()->comData->isOpen());
    EXPECT_EQ(LogLinesWith("commOpen"), 7);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Data settings"));
    EXPECT_EQ(form->fraPort->title(), QStringLiteral("Data port"));
    EXPECT_EQ(form->fraPath->title(), QStringLiteral("Data path"));
    EXPECT_EQ(form->cmdOK->text(), QStringLiteral("&OK"));
    EXPECT_EQ(form->cmdCancel->text(), QStringLiteral("&Cancel"));
    EXPECT_EQ(form->dirDirectory->Path(), m_data.path());
    EXPECT_EQ(form->drvDrive->Drive(), DriveListBox::DriveOfPath(m_data.path()));
    EXPECT_EQ(form->objectName(), QStringLiteral("frmDataSetting"));
    EXPECT_EQ(form->optPort[5]->objectName(), QStringLiteral("optPort5"));
    EXPECT_EQ(LogLinesWith("SetDrive"), 0);
    form->cmdCancel_Click();
    EXPECT_FALSE(frmDataSetting::IsLoaded());
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
    EXPECT_EQ(m_presenter.Shown, std::vector<MessageRequest>(2, ComposeMessage(13, {}, 2)));
    EXPECT_FALSE(SettingsWritten());
}

TEST_F(SettingsDialogsTest, OkOnAPortThatIsNotAvailable)
{
    StartInstrument();
    ComPort = 5;
    frmDataSetting* form = frmDataSetting::Instance();
    ASSERT_TRUE(form->optPort[5]->isChecked());
    form->dirDirectory->SetPath(m_data.path() + QStringLiteral("/sub"));
    form->cmdOK_Click();
    ASSERT_EQ(m_presenter.Shown.size(), 1u);
    EXPECT_EQ(m_presenter.Shown[0], ComposeMessage(13, {}, 2));
    EXPECT_TRUE(frmDataSetting::IsLoaded());
    EXPECT_EQ(ComPort, 5);
    EXPECT_EQ(DataFolder, m_data.path());
    EXPECT_FALSE(SettingsWritten());

    // Another, available port is accepted: both settings stored and saved.
    form->optPort[3]->setChecked(true);
    form->cmdOK_Click();
    EXPECT_EQ(m_presenter.Shown.size(), 1u);
    EXPECT_FALSE(frmDataSetting::IsLoaded());
    EXPECT_EQ(ComPort, 3);
    EXPECT_EQ(DataFolder, m_data.path() + QStringLiteral("/sub"));
    EXPECT_TRUE(SettingsWritten());
    EXPECT_EQ(StoredSettings.ComPort, 3);
    EXPECT_EQ(StoredSettings.DataFolder, m_data.path() + QStringLiteral("/sub"));
}

TEST_F(SettingsDialogsTest, DoubleClickOnAPortAccepts)
{
    StartInstrument();
    ComPort = 7;
    frmDataSetting* form = frmDataSetting::Instance();
    form->optPort[3]->setChecked(true);
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                            Qt::LeftButton, Qt::NoModifier);
    // A disabled port does not answer: nothing is stored, the dialog stays.
    QApplication::sendEvent(form->optPort[5], &doubleClick);
    EXPECT_TRUE(frmDataSetting::IsLoaded());
    EXPECT_EQ(ComPort, 7);
    EXPECT_FALSE(SettingsWritten());
    EXPECT_TRUE(m_presenter.Shown.empty());

    QApplication::sendEvent(form->optPort[3], &doubleClick);
    EXPECT_FALSE(frmDataSetting::IsLoaded());
    EXPECT_EQ(ComPort, 3);
    EXPECT_TRUE(SettingsWritten());
}

TEST_F(SettingsDialogsTest, CancelChangesNothing)
{
    StartInstrument();
    frmDataSetting* form = frmDataSetting::Instance();
    form->optPort[3]->setChecked(false);
    form->dirDirectory->SetPath(m_data.path() + QStringLiteral("/sub"));
    form->cmdCancel_Click();
    EXPECT_EQ(ComPort, 3);
    EXPECT_EQ(DataFolder, m_data.path());
    EXPECT_FALSE(SettingsWritten());
    EXPECT_TRUE(m_presenter.Shown.empty());
}

TEST_F(SettingsDialogsTest, VanishedDataFolderFallsBackToTheProgramFolder)
{
    DataFolder = m_data.path() + QStringLiteral("/gone");
    frmDataSetting* form = frmDataSetting::Instance();
    EXPECT_EQ(form->dirDirectory->Path(), m_home.path());
    EXPECT_EQ(form->drvDrive->Drive(), DriveListBox::DriveOfPath(m_home.path()));
    EXPECT_EQ(LogLinesWith("SetDrive"), 1);
    EXPECT_EQ(DataFolder, m_data.path() + QStringLiteral("/gone"));
    form->cmdCancel_Click();

    // A drive letter from an old settings file is a folder that does not exist.
    DataFolder = QStringLiteral("D:\\QUINTARA");
    form = frmDataSetting::Instance();
    EXPECT_EQ(form->dirDirectory->Path(), m_home.path());
    EXPECT_EQ(LogLinesWith("SetDrive"), 2);
    form->cmdCancel_Click();
}

TEST_F(SettingsDialogsTest, AFolderOnAnUnlistedVolumeIsShown)
{
    // /dev/shm is a tmpfs that the list of mounted volumes leaves out.
    QTemporaryDir shm(QStringLiteral("/dev/shm/quintara-XXXXXX"));
    if (!shm.isValid())
        GTEST_SKIP() << "no /dev/shm here";
    DataFolder = shm.path();
    frmDataSetting* form = frmDataSetting::Instance();
    EXPECT_EQ(form->dirDirectory->Path(), shm.path());
    EXPECT_EQ(form->drvDrive->Drive(), DriveListBox::DriveOfPath(shm.path()));
    EXPECT_EQ(LogLinesWith("SetDrive"), 0);
    form->cmdCancel_Click();
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
    DataFolder = m_data.path();
    EXPECT_EQ(frmDataSetting::ShowForm(), QDialog::Rejected);
    EXPECT_FALSE(frmDataSetting::IsLoaded());
    EXPECT_FALSE(SettingsWritten());
}

TEST_F(SettingsDialogsTest, DriveCheck)
{
    frmDataSetting* form = frmDataSetting::Instance();
    const QString dataDrive = DriveListBox::DriveOfPath(m_data.path());
    EXPECT_EQ(form->RememberedDrive, QStringLiteral("/"));
    form->drvDrive_GotFocus();
    EXPECT_EQ(form->RememberedDrive, dataDrive);

    // A volume that went away: message 10, the list returns, the folder stays.
    form->drvDrive->AddDrive(QStringLiteral("/nonexistent-volume"));
    form->drvDrive->setCurrentIndex(form->drvDrive->findData(QStringLiteral("/nonexistent-volume")));
    form->drvDrive_Change();
    ASSERT_EQ(m_presenter.Shown.size(), 1u);
    EXPECT_EQ(m_presenter.Shown[0], ComposeMessage(10, {}, 2));
    EXPECT_EQ(form->drvDrive->Drive(), dataDrive);
    EXPECT_EQ(form->dirDirectory->Path(), m_data.path());

    // An available volume opens its root in the folder list.
    form->drvDrive_Change();   // the drive shown is available
    EXPECT_EQ(m_presenter.Shown.size(), 1u);
    EXPECT_EQ(form->dirDirectory->Path(), dataDrive);
    form->cmdCancel_Click();
}

TEST_F(SettingsDialogsTest, FolderListBrowses)
{
    DirListBox list;
    ASSERT_TRUE(list.SetPath(m_data.path()));
    int subRow = -1;
    for (int row = 0; row < list.count(); ++row) {
        if (list.PathOfRow(row) == m_data.path() + QStringLiteral("/sub"))
            subRow = row;
    }
    ASSERT_GE(subRow, 0);
    EXPECT_EQ(list.PathOfRow(0), QStringLiteral("/"));
    QString changed;
    QObject::connect(&list, &DirListBox::PathChanged, [&](const QString& path) { changed = path; });
    emit list.itemActivated(list.item(subRow));
    EXPECT_EQ(list.Path(), m_data.path() + QStringLiteral("/sub"));
    EXPECT_EQ(changed, list.Path());
    // Up again through the chain of folders above.
    int dataRow = -1;
    for (int row = 0; row < list.count(); ++row) {
        if (list.PathOfRow(row) == m_data.path())
            dataRow = row;
    }
    ASSERT_GE(dataRow, 0);
    emit list.itemActivated(list.item(dataRow));
    EXPECT_EQ(list.Path(), m_data.path());
    EXPECT_FALSE(list.SetPath(m_data.path() + QStringLiteral("/missing")));
    EXPECT_EQ(list.Path(), m_data.path());
}

TEST_F(SettingsDialogsTest, QdasDialogStoresTheFolderShown)
{
    frmQDASSetting* form = frmQDASSetting::Instance();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Q-DAS settings"));
    EXPECT_EQ(form->fraPath->title(), QStringLiteral("Q-DAS data path"));
    EXPECT_EQ(form->dirDirectory->Path(), m_data.path());
    form->dirDirectory->SetPath(m_data.path() + QStringLiteral("/sub"));
    form->cmdOK_Click();
    EXPECT_FALSE(frmQDASSetting::IsLoaded());
    EXPECT_EQ(QDASFolder, m_data.path() + QStringLiteral("/sub"));
    EXPECT_TRUE(SettingsWritten());
    EXPECT_TRUE(m_presenter.Shown.empty());
}

TEST_F(SettingsDialogsTest, QdasDialogFallsBackAndCancelKeepsEverything)
{
    QDASFolder = m_data.path() + QStringLiteral("/gone");
    frmQDASSetting* form = frmQDASSetting::Instance();
    EXPECT_EQ(form->dirDirectory->Path(), m_home.path());
    EXPECT_EQ(LogLinesWith("SetDrive"), 1);
    form->dirDirectory->SetPath(m_data.path());
    form->cmdCancel_Click();
    EXPECT_EQ(QDASFolder, m_data.path() + QStringLiteral("/gone"));
    EXPECT_FALSE(SettingsWritten());

    form = frmQDASSetting::Instance();
    EXPECT_EQ(LogLinesWith("SetDrive"), 2);
    form->cmdOK_Click();
    EXPECT_EQ(QDASFolder, m_home.path());
    EXPECT_TRUE(SettingsWritten());
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

    Language = 5;
    frmDataSetting* data = frmDataSetting::Instance();
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
