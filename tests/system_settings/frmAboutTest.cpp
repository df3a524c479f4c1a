#include "SystemSettingsFixture.h"

#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "system_settings/frmAbout.h"
#include "system_settings/modVersionHistory.h"

#include <QDate>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

namespace {

// Takes the addresses the desktop would open.
class LinkRecorder : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> Opened;
public slots:
    void Open(const QUrl& url) { Opened.push_back(url); }
};

class AboutTest : public SystemSettingsFixture {
protected:
    // Visible once the window is shown (the window's tests do not show it).
    static bool Shown(const QWidget* control) { return control->isVisibleTo(control->window()); }
};

constexpr Qt::KeyboardModifiers AllThree = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;

TEST_F(AboutTest, VersionLabelAndButtonByLanguageAndDateFormat)
{
    const struct {
        int16_t language;
        int16_t dateFormat;
        const char* word;   // the version's, before the program's version
        const char* date;   // after it: the release date (the changelog entry's) in this form
        const char* close;
    } rows[] = {
        {2, 1, "Version", " - dd.MM.yyyy", "&Close"},
        {1, 2, "Version", " - MM/dd/yyyy", "&Schliessen"},
        {5, 3, "Versión", " - yyyy-MM-dd", "&Cerrar"},
        {3, 3, "Version", " - yyyy-MM-dd", "&Fermer"},
        {4, 1, "Versione", " - dd.MM.yyyy", "&Chiudere"},
        {5, 1, "Versión", " - dd.MM.yyyy", "&Cerrar"},
        // The sixth language has no version word; an unknown date format no date.
        {6, 1, "", " - dd.MM.yyyy", "&"},
        {2, 9, "Version", " - ", "&Close"},
    };
    const QDate released = QDate::fromString(QLatin1String(ProgramReleaseDate), Qt::ISODate);
    ASSERT_TRUE(released.isValid());
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.language << " " << row.dateFormat);
        Language = row.language;
        DateFormat = row.dateFormat;
        frmAbout* form = frmAbout::Instance();
        EXPECT_EQ(form->lblVersion->text(), QString::fromUtf8(row.word) + u' ' + QLatin1String(ProgramVersion)
                                                + QLocale::c().toString(released, QString::fromUtf8(row.date)));
        EXPECT_EQ(form->cmdClose->text(), QString::fromUtf8(row.close));
        // A blank: an empty title would show the program's file name.
        EXPECT_EQ(form->windowTitle(), QStringLiteral(" "));
        // Names and the address are the same in every language.
        EXPECT_EQ(form->lblQUINTARA->text(), QStringLiteral("ZOLVERA D 7110 QUINTARA III"));
        EXPECT_EQ(form->lblURL->text(), QStringLiteral("https://www.example.com/"));
        EXPECT_TRUE(form->cmdClose->isDefault());
        form->cmdClose_Click();
        EXPECT_FALSE(frmAbout::IsLoaded());
    }
}

TEST_F(AboutTest, OnlyARightReleaseWithShiftCtrlAndAltTogglesTheHiddenParts)
{
    const struct {
        Qt::MouseButton button;
        Qt::KeyboardModifiers keys;
        bool toggles;
    } rows[] = {
        {Qt::RightButton, AllThree, true},
        {Qt::RightButton, Qt::ControlModifier | Qt::AltModifier, false},
        {Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, false},
        {Qt::RightButton, Qt::ShiftModifier | Qt::AltModifier, false},
        {Qt::RightButton, Qt::NoModifier, false},
        {Qt::LeftButton, AllThree, false},
        {Qt::MiddleButton, AllThree, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.button << " " << row.keys.toInt());
        frmAbout* form = frmAbout::Instance();
        EXPECT_FALSE(Shown(form->txtHistory));
        EXPECT_FALSE(Shown(form->fraAnimation));
        Release(form->lblVersion, row.button, row.keys);
        EXPECT_EQ(Shown(form->txtHistory), row.toggles);
        // Each gesture toggles its own part only.
        EXPECT_FALSE(Shown(form->fraAnimation));
        Release(form->imgZOLVERA, row.button, row.keys);
        EXPECT_EQ(Shown(form->fraAnimation), row.toggles);
        EXPECT_EQ(form->timAnimation->isActive(), row.toggles);
        form->cmdClose_Click();
    }
}

TEST_F(AboutTest, HistoryIsBuiltAtEachGestureInTheDateFormatOfThatMoment)
{
    frmAbout* form = frmAbout::Instance();
    EXPECT_TRUE(form->txtHistory->isReadOnly());
    EXPECT_EQ(form->txtHistory->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(form->txtHistory->palette().color(QPalette::Base), QColor(192, 192, 192));

    form->lblVersion_MouseUp(2, 7);
    EXPECT_TRUE(Shown(form->txtHistory));
    const QString shown = form->txtHistory->toPlainText();
    // CR LF shown as line breaks: 127 lines and the empty one after the last.
    EXPECT_EQ(shown.split(u'\n').size(), 128);
    EXPECT_FALSE(shown.contains(u'\r'));
    EXPECT_TRUE(shown.startsWith(QStringLiteral("8.0.0\t08.12.2011\t")));
    form->lblVersion_MouseUp(2, 7);
    EXPECT_FALSE(Shown(form->txtHistory));

    DateFormat = 3;
    form->lblVersion_MouseUp(2, 7);
    EXPECT_EQ(form->txtHistory->toPlainText(), VersionHistoryText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_TRUE(form->txtHistory->toPlainText().startsWith(QStringLiteral("8.0.0\t2011-12-08\t")));
    form->cmdClose_Click();

    // Each opening starts with the history hidden.
    form = frmAbout::Instance();
    EXPECT_FALSE(Shown(form->txtHistory));
    form->cmdClose_Click();
}

TEST_F(AboutTest, AnimationAlternatesItsPicturesWhileTheTimerRuns)
{
    frmAbout* form = frmAbout::Instance();
    // The panel starts hidden with both pictures set visible inside it.
    EXPECT_FALSE(Shown(form->fraAnimation));
    EXPECT_TRUE(form->imgAnimation[1]->isVisibleTo(form->fraAnimation));
    EXPECT_TRUE(form->imgAnimation[2]->isVisibleTo(form->fraAnimation));
    EXPECT_FALSE(form->timAnimation->isActive());

    form->imgZOLVERA_MouseUp(2, 7);
    EXPECT_TRUE(Shown(form->fraAnimation));
    EXPECT_FALSE(Shown(form->imgAnimation[1]));
    EXPECT_TRUE(Shown(form->imgAnimation[2]));
    EXPECT_TRUE(form->timAnimation->isActive());
    EXPECT_EQ(form->timAnimation->interval(), 150);
    for (const bool first : {true, false, true}) {
        form->timAnimation_Timer();
        EXPECT_EQ(Shown(form->imgAnimation[1]), first);
        EXPECT_EQ(Shown(form->imgAnimation[2]), !first);
    }
    form->imgZOLVERA_MouseUp(2, 7);
    EXPECT_FALSE(Shown(form->fraAnimation));
    EXPECT_FALSE(form->timAnimation->isActive());

    // Unloading stops a running animation.
    form->imgZOLVERA_MouseUp(2, 7);
    ASSERT_TRUE(form->timAnimation->isActive());
    QPointer<QTimer> timer(form->timAnimation);
    form->cmdClose_Click();
    ASSERT_TRUE(timer);
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(timer->interval(), 0);
    EXPECT_TRUE(form->imgZOLVERA->pixmap().isNull());
}

TEST_F(AboutTest, ALeftReleaseOnTheAddressOpensItOnce)
{
    LinkRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "Open");
    frmAbout* form = frmAbout::Instance();
    Release(form->lblURL, Qt::RightButton);
    Release(form->lblURL, Qt::MiddleButton);
    EXPECT_TRUE(recorder.Opened.empty());
    Release(form->lblURL, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(recorder.Opened.size(), 1u);
    EXPECT_EQ(recorder.Opened[0], QUrl(QStringLiteral("https://www.example.com/")));
    form->cmdClose_Click();
}

} // namespace

#include "frmAboutTest.moc"
