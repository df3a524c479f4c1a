// Every window that saves the settings tells a save that fails: message 31,
// Yes tries again, and after No message 44 says that the change holds in
// memory only. The program's end asks too, but keeps no promise after No.
#include "WindowFixture.h"
#include "support/ChildProcess.h"
#include "support/ScriptedPresenter.h"
#include "support/SimInstrument.h"

#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "foundation/modSettings.h"
#include "main_window/frmMain.h"
#include "platform/SafeFile.h"
#include "platform/SerialDevices.h"
#include "storage/frmDataSetting.h"
#include "storage/frmQDASSetting.h"
#include "styles/frmKeyboardDefinition.h"
#include "styles/frmOperator.h"
#include "styles/frmReference.h"
#include "styles/frmReportForm.h"
#include "styles/frmStyle.h"
#include "system_settings/frmCountrySetting.h"
#include "system_settings/frmReferenceTitle.h"
#include "system_settings/frmSystemSettings.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

namespace {

class SettingsSaveCallersTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        Language = 2;
        for (int n = 1; n <= 8; ++n) {
            names_.push_back(SerialPortEnvironmentName(n).toLatin1());
            qputenv(names_.back().constData(), QByteArray("/nonexistent/ttyQ"));
        }
    }
    void TearDown() override
    {
        FreeSettingsFile();
        for (const QByteArray& name : names_)
            qunsetenv(name.constData());
        WindowFixture::TearDown();
    }
    QString Settings() const { return folder_.filePath(QStringLiteral("QUINTARA.DAT")); }
    // A folder at the settings file's name: no write can replace it.
    void RefuseSettingsFile()
    {
        QFile::remove(Settings());
        ASSERT_TRUE(QDir().mkpath(Settings()));
    }
    void FreeSettingsFile()
    {
        if (QFileInfo(Settings()).isDir())
            QDir(Settings()).removeRecursively();
    }
    bool FileHoldsMemory() const
    {
        SystemError error;
        const std::optional<std::string> bytes = ReadFileWhole(Settings(), error);
        return bytes && *bytes == SettingsFileBytes();
    }
    QString LogText() const
    {
        QFile log(folder_.filePath(QStringLiteral("QUINTARA.LOG")));
        return log.open(QIODevice::ReadOnly) ? QString::fromLatin1(log.readAll()) : QString();
    }
    int LogLinesWith(const QString& text) const
    {
        return static_cast<int>(LogText().split(QStringLiteral("\r\n")).filter(text).size());
    }

    std::vector<QByteArray> names_;
};

struct Caller {
    const char* name;
    // Opens the window, makes the change numbered `pass` and presses OK.
    std::function<void(int pass)> changeAndOK;
    // The change numbered `pass` is in the settings in memory.
    std::function<bool(int pass)> kept;
    // The language the messages come in after OK.
    int16_t language = 2;
};

QString Numbered(const char* text, int pass)
{
    return QString::fromUtf8(text) + QLatin1Char(' ') + QString::number(pass);
}

TEST_F(SettingsSaveCallersTest, EveryWindowTellsAFailedSaveAndKeepsTheChangeInMemory)
{
    SimInstrument instrument;
    const bool haveInstrument = instrument.Start({QStringLiteral("--model"), QStringLiteral("6")}, 3);
    const QString qdas = folder_.filePath(QStringLiteral("qdas"));
    ASSERT_TRUE(QDir().mkpath(qdas + QStringLiteral("/1")) && QDir().mkpath(qdas + QStringLiteral("/2")));
    PortDevice = {2, 0, 0, 0, 0, 0};

    const std::vector<Caller> callers = {
        {"style editor",
         [](int pass) {
             frmStyle* form = frmStyle::Instance();
             form->txtName->setText(Numbered("Denim", pass));
             form->cmdSave_Click();
             form->cmdOK_Click();
         },
         [](int pass) {
             return std::any_of(Styles.begin(), Styles.end(),
                                [&](const Style& s) { return s.Name == Numbered("Denim", pass); });
         }},
        {"report forms",
         [](int pass) {
             frmReportForm* form = frmReportForm::Instance();
             ReportForm added;
             added.Name = Numbered("Yarn", pass);
             form->WorkingForms.push_back(added);
             form->cmdOK_Click();
         },
         [](int pass) {
             return std::any_of(ReportForms.begin(), ReportForms.end(),
                                [&](const ReportForm& f) { return f.Name == Numbered("Yarn", pass); });
         }},
        {"references",
         [](int pass) {
             frmReference* form = frmReference::Instance();
             form->txtReference[3]->setText(Numbered("Lot", pass));
             form->cmdSave_Click(3);
             form->cmdOK_Click();
         },
         [](int pass) {
             return std::find(Reference3Values.begin(), Reference3Values.end(), Numbered("Lot", pass))
                    != Reference3Values.end();
         }},
        {"operators",
         [](int pass) {
             frmOperator* form = frmOperator::Instance();
             form->txtOperator->setText(Numbered("Ann", pass));
             form->cmdSave_Click();
             form->cmdOK_Click();
         },
         [](int pass) { return std::find(Operators.begin(), Operators.end(), Numbered("Ann", pass)) != Operators.end(); }},
        {"keyboard definition",
         [](int pass) {
             frmKeyboardDefinition* form = frmKeyboardDefinition::Instance();
             form->txtInstrument->setText(Numbered("Scale", pass));
             form->cmdOK_Click();
         },
         [](int pass) { return KeyboardDef.Instrument == Numbered("Scale", pass); }},
        {"reference titles",
         [](int pass) {
             frmReferenceTitle* form = frmReferenceTitle::Instance();
             form->txtReferenceTitleE[2]->setText(Numbered("Batch", pass));
             form->cmdOK_Click();
         },
         [](int pass) {
             return std::find(RefTitles.Titles.begin(), RefTitles.Titles.end(), Numbered("Batch", pass) + u':')
                    != RefTitles.Titles.end();
         }},
        {"system settings",
         [](int pass) {
             frmSystemSettings* form = frmSystemSettings::Instance();
             form->ChannelInstrument[3] = static_cast<int16_t>(2 + pass);
             form->cmdOK_Click();
         },
         [](int pass) { return PortDevice[0] == 2 + pass; }},
        {"Q-DAS settings",
         [qdas](int pass) {
             frmQDASSetting* form = frmQDASSetting::Instance();
             ASSERT_TRUE(form->dirDirectory->SetPath(qdas + QLatin1Char('/') + QString::number(pass)));
             form->cmdOK_Click();
         },
         [qdas](int pass) { return QDASFolder == qdas + QLatin1Char('/') + QString::number(pass); }},
        // The new language speaks at once: the messages come in German.
        {"country settings",
         [](int pass) {
             frmCountrySetting* form = frmCountrySetting::Instance();
             form->optLanguage[1]->setChecked(true);
             form->optDateFormat[static_cast<size_t>(pass + 1)]->setChecked(true);
             form->cmdOK_Click();
         },
         [](int pass) { return Language == 1 && DateFormat == pass + 1; },
         1},
    };
    std::vector<Caller> all = callers;
    if (haveInstrument) {
        // A port alone, the data folder as it was.
        all.push_back({"data settings, a port alone",
                       [](int pass) {
                           ComPort = static_cast<int16_t>(4 + pass);   // stored, not available
                           frmDataSetting* form = frmDataSetting::Instance();
                           form->optPort[3]->setChecked(true);
                           form->cmdOK_Click();
                       },
                       [](int) { return ComPort == 3; }});
    }

    for (const Caller& caller : all) {
        SCOPED_TRACE(caller.name);
        Language = 2;
        // Yes after the file was freed: the retry writes it.
        RefuseSettingsFile();
        ScriptedPresenter yes;
        yes.OnPresent = [&](const MessageRequest&) { FreeSettingsFile(); };
        yes.Answer(AnswerYes);
        caller.changeAndOK(1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(yes.Shown, std::vector<MessageRequest>{ComposeMessage(31, {}, caller.language)});
        EXPECT_TRUE(caller.kept(1));
        EXPECT_TRUE(FileHoldsMemory());

        // No: the change stays in memory, and message 44 says for how long.
        Language = 2;
        RefuseSettingsFile();
        ScriptedPresenter no;
        no.Answer(AnswerNo);
        caller.changeAndOK(2);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(no.Shown, (std::vector<MessageRequest>{ComposeMessage(31, {}, caller.language),
                                                         ComposeMessage(44, {}, caller.language)}));
        EXPECT_TRUE(caller.kept(2));
        EXPECT_FALSE(FileHoldsMemory());
        FreeSettingsFile();
    }
    if (!haveInstrument)
        GTEST_SKIP() << "no simulated instrument for the data settings";
}

TEST_F(SettingsSaveCallersTest, TheProgramsEndAsksAndAfterNoEndsWithoutAPromise)
{
    // The end asks while the settings cannot be saved; after No it ends,
    // with the failure in the log naming the file and the system's reason.
    for (const int16_t answer : {AnswerYes, AnswerNo}) {
        SCOPED_TRACE(answer);
        frmMain::Instance();
        Operators.push_back(QStringLiteral("Eve %1").arg(answer));
        RefuseSettingsFile();
        ScriptedPresenter presenter;
        if (answer == AnswerYes)
            presenter.OnPresent = [&](const MessageRequest&) { FreeSettingsFile(); };
        presenter.Answer(answer);
        frmMain::Instance()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(frmMain::IsLoaded());
        EXPECT_EQ(presenter.Shown, std::vector<MessageRequest>{ComposeMessage(31, {}, 2)});
        EXPECT_EQ(FileHoldsMemory(), answer == AnswerYes);
        FreeSettingsFile();
    }
    EXPECT_EQ(LogLinesWith(QStringLiteral("\tWriteSettingsFile   \t") + QLatin1String(ProgramVersion) + QStringLiteral("\t75\tIs a directory: ") + Settings()), 2) << LogText().toStdString();
}

TEST_F(SettingsSaveCallersTest, ASaveThatWouldLoseNothingAsksNothing)
{
    // A read-only program folder: the file holds what memory holds, so a
    // dialog's OK without a change asks nothing; a change is told.
    ASSERT_TRUE(SaveSettings());
    const QByteArray folder = QFile::encodeName(folder_.path());
    const int result = RunWithReadOnlyFolder(folder.constData(), [] {
        ScriptedPresenter presenter;
        presenter.Answer(AnswerNo);
        if (SaveSettingsTelling() || !presenter.Shown.empty())
            return 1;
        Operators.push_back(QStringLiteral("Eve"));
        if (SaveSettingsTelling())
            return 2;
        return presenter.Shown == std::vector<MessageRequest>{ComposeMessage(31, {}, 2), ComposeMessage(44, {}, 2)}
                   ? 0
                   : 3;
    });
    if (result == ChildSetupFailed)
        GTEST_SKIP() << "no read-only mount here";
    EXPECT_EQ(result, 0);
}

TEST(SettingsSaveMessage, TheChangeKeptInMemoryIsToldInEveryLanguage)
{
    const char* const texts[] = {
        "Die Änderung bleibt nur im Arbeitsspeicher, bis die Einstellungen gespeichert werden können.",
        "The change is kept in memory only until the settings can be saved.",
        "La modification n'est gardée qu'en mémoire jusqu'à ce que les réglages puissent être enregistrés.",
        "La modifica resta solo in memoria finché le impostazioni non potranno essere salvate.",
        "El cambio se conserva solo en memoria hasta que se pueda guardar la configuración.",
    };
    for (int16_t language = 1; language <= 5; ++language)
        EXPECT_EQ(ComposeMessage(44, {}, language).Text, QString::fromUtf8(texts[language - 1])) << language;
    EXPECT_EQ(ComposeMessage(44, {}, 6).Text, QStringLiteral("."));
}

} // namespace
