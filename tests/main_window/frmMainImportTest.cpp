#include "main_window/frmMain.h"

#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "platform/OleDate.h"
#include "platform/ProgramFolder.h"
#include "storage/frmMigration.h"
#include "storage/modTestReport.h"
#include "support/ScriptedPresenter.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class frmMainImportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        savedFolder_ = ProgramFolder();
        SetProgramFolder(folder_.path());
        ResetSettingsGlobals(folder_.path());
        Language = 2;
        PortOpen = false;
        LoginLevel = 2;     // import is the supervisor's
        Source = folder_.path() + QStringLiteral("/Source");
        ASSERT_TRUE(QDir().mkpath(Source));
        Styles.push_back(BlankStyle);
        Styles.back().Name = QStringLiteral("Denim");
        main_ = frmMain::Instance();
        main_->FillStyleCombo();
        main_->cboStyle->setCurrentIndex(0);
        main_->RefreshEnabling();
    }
    void TearDown() override
    {
        if (frmMain::IsLoaded())
            frmMain::Instance()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetProgramFolder(savedFolder_);
        ResetSettingsGlobals(savedFolder_);
    }

    // Writes a current report of the style into the source folder.
    void PutReport(const QString& style, int hour)
    {
        Protocol p = EmptyProtocol;
        p.Style.Name = style;
        p.Date = DateSerial(2024, 1, 5) + TimeSerial(hour, 0, 0);
        ASSERT_TRUE(dskPutNewTestReport(Source, QStringLiteral("2024.01.05, %1.00.00.QTA").arg(hour, 2, 10, QChar(u'0')), p));
    }
    // The menu item, with the dialog importing from Source and closing.
    void ImportThroughTheMenu()
    {
        runner_.Then([this](QDialog& dialog) {
            auto& form = static_cast<frmMigration&>(dialog);
            ASSERT_TRUE(form.dirDirectory->SetPath(Source));
            form.cmdImport_Click();
            form.cmdClose_Click();
        });
        main_->mnuFile_Import->trigger();
    }

    QTemporaryDir folder_;
    QString savedFolder_;
    QString Source;
    frmMain* main_ = nullptr;
    ScriptedPresenter presenter_;
    ScriptedDialogRunner runner_;
};

TEST_F(frmMainImportTest, ANewStyleRefillsTheStyleListWithoutSelection)
{
    PutReport(QStringLiteral("Twill"), 10);
    ImportThroughTheMenu();
    EXPECT_EQ(runner_.Ran, std::vector<QString>{QStringLiteral("frmMigration")});
    ASSERT_EQ(main_->cboStyle->count(), 2);
    EXPECT_EQ(main_->cboStyle->itemText(1), QStringLiteral("Twill"));
    EXPECT_EQ(main_->cboStyle->currentIndex(), -1);
    EXPECT_FALSE(frmMigration::IsLoaded());
}

TEST_F(frmMainImportTest, NoNewStyleLeavesTheStyleListAlone)
{
    PutReport(QStringLiteral("denim"), 10);
    main_->cboStyle->addItem(QStringLiteral("not in Styles"));
    ImportThroughTheMenu();
    EXPECT_EQ(presenter_.Shown.size(), 1u);     // the counts: one file, no style
    EXPECT_EQ(main_->cboStyle->count(), 2);
    EXPECT_EQ(main_->cboStyle->currentIndex(), 0);
}

} // namespace
