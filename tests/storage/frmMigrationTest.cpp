#include "StorageTest.h"

#include "foundation/modGlobals.h"
#include "platform/DriveFolderLists.h"
#include "platform/MousePointer.h"
#include "storage/frmMigration.h"

#include <QApplication>
#include <QDir>
#include <QFocusEvent>
#include <QKeyEvent>

namespace {

class frmMigrationTest : public StorageTest {
protected:
    void SetUp() override
    {
        StorageTest::SetUp();
        Language = 2;
        Source = Temp.path() + QStringLiteral("/Source");
        ASSERT_TRUE(QDir().mkpath(Source));
    }
    void TearDown() override
    {
        if (frmMigration::IsLoaded())
            frmMigration::Instance()->cmdClose_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        StorageTest::TearDown();
    }

    QString Source;
};

TEST_F(frmMigrationTest, CaptionsByLanguage)
{
    const struct {
        int16_t Language;
        const char* Texts[5];
    } cases[] = {
        {1, {"Daten importieren", "Quellverzeichnis", "Zielverzeichnis", "Daten &importieren", "&Schliessen"}},
        {2, {"Import data", "Source path", "Target path", "&Import data", "&Close"}},
        {6, {"", "", "", "", "&"}},
    };
    frmMigration* form = frmMigration::Instance();
    for (const auto& c : cases) {
        form->SetCaptions(c.Language);
        const QStringList shown = {form->windowTitle(), form->fraSourcePath->title(), form->fraTargetPath->title(),
                                   form->cmdImport->text(), form->cmdClose->text()};
        QStringList expected;
        for (const char* text : c.Texts)
            expected.append(QString::fromUtf8(text));
        EXPECT_EQ(shown, expected) << c.Language;
    }
}

TEST_F(frmMigrationTest, OpensAtTheDataFolderWithTheBarHidden)
{
    frmMigration* form = frmMigration::Instance();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Import data"));
    EXPECT_EQ(form->dirDirectory->Path(), Data);
    EXPECT_EQ(form->txtTargetPath->text(), Data);
    EXPECT_TRUE(form->txtTargetPath->isReadOnly());
    EXPECT_TRUE(form->pgbImport->isHidden());
    EXPECT_EQ(form->RememberedDrive, QStringLiteral("/"));
    // The focus of the drive list does not change the drive it returns to.
    QFocusEvent focus(QEvent::FocusIn);
    QApplication::sendEvent(form->drvDrive, &focus);
    EXPECT_EQ(form->RememberedDrive, QStringLiteral("/"));
    form->cmdClose_Click();
    EXPECT_FALSE(frmMigration::IsLoaded());

    // A data folder that is gone shows the program folder, without a log line.
    DataFolder = Temp.path() + QStringLiteral("/gone");
    form = frmMigration::Instance();
    EXPECT_EQ(form->dirDirectory->Path(), Program);
    EXPECT_EQ(form->txtTargetPath->text(), DataFolder);
    EXPECT_EQ(LogLinesWith(QStringLiteral("SetDrive")), 0);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(form, &escape);
    EXPECT_FALSE(frmMigration::IsLoaded());
}

TEST_F(frmMigrationTest, ImportShowsTheBarOnlyWhileItRuns)
{
    WriteFileBytes(Source + QStringLiteral("/2024.01.05, 10.00.00.QTA"),
                   ReportFileBytes(SampleProtocol(QStringLiteral("Denim"), At(10))));
    frmMigration* form = frmMigration::Instance();
    ASSERT_TRUE(form->dirDirectory->SetPath(Source));
    bool barShown = false;
    int value = -1;
    Presenter.OnPresent = [&](const MessageRequest&) {
        barShown = !form->pgbImport->isHidden();
        value = form->pgbImport->value();
    };
    form->cmdImport_Click();
    ASSERT_EQ(Presenter.Shown.size(), 1u);
    EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("Number of imported files:\t1\r\nNumber of imported styles:\t1"));
    EXPECT_TRUE(barShown);
    EXPECT_EQ(value, 100);
    EXPECT_EQ(Presenter.PointerWhileShown, std::vector<int16_t>{PointerDefault});
    EXPECT_TRUE(form->pgbImport->isHidden());
    EXPECT_EQ(MousePointer(), PointerDefault);
    // The dialog stays open on the folder it imported.
    EXPECT_TRUE(frmMigration::IsLoaded());
    EXPECT_EQ(form->dirDirectory->Path(), Source);
    EXPECT_EQ(Styles.size(), 2u);
}

} // namespace
