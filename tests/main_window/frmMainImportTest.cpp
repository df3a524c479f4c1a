#include "main_window/frmMain.h"

#include "foundation/modRecords.h"
#include "main_window/WindowFixture.h"
#include "storage/frmMigration.h"
#include "storage/modTestReport.h"

#include <QAction>
#include <QComboBox>
#include <QDir>

namespace {

class frmMainImportTest : public WindowFixture {};

// After an import the style list is filled anew only when a style came in.
TEST_F(frmMainImportTest, ANewStyleRefillsTheStyleListWithoutSelection)
{
    for (const char* style : {"denim", "Twill"}) {
        SCOPED_TRACE(style);
        LoginLevel = 2;   // import is the supervisor's
        const QString source = folder_.filePath(QStringLiteral("Source/") + QString::fromLatin1(style));
        ASSERT_TRUE(QDir().mkpath(source));
        Protocol p = EmptyProtocol;
        p.Style.Name = QString::fromLatin1(style);
        p.Date = DateSerial(2024, 1, 5) + TimeSerial(10, 0, 0);
        ASSERT_TRUE(dskPutNewTestReport(source, QStringLiteral("2024.01.05, 10.00.00.QTA"), p));
        Styles = {BlankStyle, BlankStyle};
        Styles.back().Name = QStringLiteral("Denim");
        frmMain* main = frmMain::Instance();
        main->FillStyleCombo();
        main->cboStyle->setCurrentIndex(0);
        main->cboStyle->addItem(QStringLiteral("not in Styles"));
        main->RefreshEnabling();

        ScriptedPresenter presenter;
        ScriptedDialogRunner runner;
        runner.Then([&source](QDialog& dialog) {
            auto& form = static_cast<frmMigration&>(dialog);
            ASSERT_TRUE(form.dirDirectory->SetPath(source));
            form.cmdImport_Click();
            form.cmdClose_Click();
        });
        main->mnuFile_Import->trigger();
        EXPECT_EQ(runner.Ran, std::vector<QString>{QStringLiteral("frmMigration")});
        EXPECT_FALSE(frmMigration::IsLoaded());
        EXPECT_EQ(presenter.Shown.size(), 1u) << "the counts";
        const bool refilled = style[0] == 'T';
        EXPECT_EQ(main->cboStyle->count(), 2);
        EXPECT_EQ(main->cboStyle->itemText(1), refilled ? QStringLiteral("Twill") : QStringLiteral("not in Styles"));
        EXPECT_EQ(main->cboStyle->currentIndex(), refilled ? -1 : 0);
        Close();
    }
}

} // namespace
