#include "SystemSettingsFixture.h"

#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modMessage.h"
#include "system_settings/DesignControls.h"
#include "system_settings/frmSystemSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>

#include <array>
#include <set>

namespace {

using Positions = std::array<int16_t, 6>;

const QColor Grey(192, 192, 192);
const QColor Green(0, 255, 0);

class SystemConfigurationTest : public SystemSettingsFixture {
protected:
    // Loads the dialog from these settings.
    static frmSystemSettings* Open(bool switchBox, const Positions& positions)
    {
        SwitchBoxUsed = switchBox;
        PortDevice = positions;
        return frmSystemSettings::Instance();
    }
    // What a drag from the palette onto a slot does.
    static void Drop(frmSystemSettings* form, int row, int slot)
    {
        ASSERT_TRUE(form->imgInstrument_MouseDown(row, 1));
        form->picSBChannel_DragDrop(slot);
    }
    // The rows whose icons cannot be picked up; in the palette the label
    // agrees with its icon (the keyboard's name stays readable).
    static std::set<int> DisabledRows(const frmSystemSettings* form)
    {
        std::set<int> rows;
        for (int i = 0; i <= 16; ++i) {
            if (i != 1) {
                EXPECT_EQ(form->imgInstrument[i]->isEnabled(), form->lblInstrument[i]->isEnabled()) << i;
            }
            if (!form->imgInstrument[i]->isEnabled())
                rows.insert(i);
        }
        return rows;
    }
    static std::array<int16_t, 6> Slots(const frmSystemSettings* form) { return form->ChannelInstrument; }
    static QColor SlotColour(const frmSystemSettings* form, int c)
    {
        return form->picSBChannel[c]->palette().color(QPalette::Window);
    }
    static QMimeData* OurDrag(int row)
    {
        auto* data = new QMimeData;
        data->setData(QString::fromLatin1(frmSystemSettings::InstrumentRowMimeType), QByteArray::number(row));
        return data;
    }
    // Sends a drag-enter and a drop of the data onto the slot; answers
    // whether the slot took the drag.
    static bool DragOnto(frmSystemSettings* form, int slot, const QMimeData* data)
    {
        QLabel* target = form->picSBChannel[slot];
        QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(QPointF(5, 5), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        EXPECT_EQ(enter.isAccepted(), drop.isAccepted());
        return drop.isAccepted();
    }
};

// The families themselves are the instrument table's test; here, that a drop
// blocks the placed row's family and a replacement or "none" frees it.
TEST_F(SystemConfigurationTest, APlacedRowBlocksItsFamilyUntilAnotherRowTakesItsPlace)
{
    frmSystemSettings* form = Open(true, {});
    // The keyboard never moves; "none" is always there.
    EXPECT_EQ(DisabledRows(form), std::set<int>{1});
    Drop(form, 10, 1);
    Drop(form, 13, 5);
    EXPECT_EQ(DisabledRows(form), (std::set<int>{1, 7, 9, 10, 11, 13, 14, 16}));
    EXPECT_EQ(form->lblSBChannel[1]->text(), ModelShortName[10]);
    Drop(form, 12, 1);
    EXPECT_EQ(Slots(form), (std::array<int16_t, 6>{0, 12, 0, 0, 0, 13}));
    EXPECT_EQ(DisabledRows(form), (std::set<int>{1, 12, 13, 14}));
    Drop(form, 0, 5);
    EXPECT_EQ(DisabledRows(form), (std::set<int>{1, 12}));
    EXPECT_EQ(form->lblSBChannel[5]->text(), QStringLiteral("---"));
    form->cmdCancel_Click();
}

TEST_F(SystemConfigurationTest, OnlyTheLeftButtonOnAnEnabledIconHighlightsTheSlots)
{
    frmSystemSettings* form = Open(false, {});
    // The mouse through the window: right and middle buttons do nothing.
    for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        Press(form->imgInstrument[5], button);
        EXPECT_FALSE(form->Highlighted) << button;
        EXPECT_FALSE(form->imgInstrument_MouseDown(5, button == Qt::RightButton ? 2 : 4));
    }

    // A left press on a disabled icon reaches nothing: the keyboard, and a
    // placed row's family.
    Drop(form, 6, 3);
    for (const int row : {1, 5, 6}) {
        Press(form->imgInstrument[row], Qt::LeftButton);
        EXPECT_FALSE(form->Highlighted) << row;
    }

    // The left button: every slot turns green, the hidden ones too, and the
    // drag icon takes the pressed row's picture and place.
    ASSERT_TRUE(form->imgInstrument_MouseDown(8, 1));
    EXPECT_TRUE(form->Highlighted);
    EXPECT_EQ(form->DragInstrument, 8);
    for (int c = 1; c <= 5; ++c)
        EXPECT_EQ(SlotColour(form, c), Green) << c;
    EXPECT_EQ(form->grab().toImage().pixelColor(form->picSBChannel[3]->geometry().topLeft() + QPoint(3, 3)), Green);
    EXPECT_EQ(form->imgDDInstrument->pixmap().toImage(), form->imgInstrument[8]->pixmap().toImage());

    // A drop anywhere else only greys the slots.
    form->Form_DragDrop();
    EXPECT_FALSE(form->Highlighted);
    for (int c = 1; c <= 5; ++c)
        EXPECT_EQ(SlotColour(form, c), Grey) << c;
    // A drop on a slot without the highlight changes nothing.
    form->picSBChannel_DragDrop(3);
    EXPECT_EQ(Slots(form), (std::array<int16_t, 6>{0, 0, 0, 6, 0, 0}));
    form->cmdCancel_Click();
}

TEST_F(SystemConfigurationTest, SlotsTakeOnlyOurOwnDragWhileHighlighted)
{
    frmSystemSettings* form = Open(true, {});
    QMimeData foreign;
    foreign.setText(QStringLiteral("9"));
    QMimeData* ours = OurDrag(9);

    // Not highlighted: even our own format is refused.
    EXPECT_FALSE(DragOnto(form, 2, ours));
    ASSERT_TRUE(form->imgInstrument_MouseDown(9, 1));
    // Data from another program is refused and changes nothing.
    EXPECT_FALSE(DragOnto(form, 2, &foreign));
    EXPECT_EQ(Slots(form), (std::array<int16_t, 6>{}));
    // Our drag lands.
    EXPECT_TRUE(DragOnto(form, 2, ours));
    EXPECT_EQ(Slots(form), (std::array<int16_t, 6>{0, 0, 9, 0, 0, 0}));
    delete ours;
    form->cmdCancel_Click();
}

// Without the switch box only position 0 is shown; a row left in a hidden
// position blocks nothing and does not count as placed: message 5.
TEST_F(SystemConfigurationTest, NoInstrumentPlacedGivesMessage5AndKeepsTheDialog)
{
    PortDevice = {0, 9, 0, 0, 0, 0};
    const std::string before = SaveBaseline();
    frmSystemSettings* form = Open(false, {0, 9, 0, 0, 0, 0});
    EXPECT_EQ(Slots(form), (std::array<int16_t, 6>{}));
    EXPECT_EQ(DisabledRows(form), std::set<int>{1});
    form->cmdOK_Click();
    EXPECT_EQ(Presenter.Shown, std::vector<MessageRequest>{ComposeMessage(5, {}, 2)});
    EXPECT_EQ(Presenter.Shown[0].Text, QStringLiteral("Invalid configuration."));
    EXPECT_TRUE(frmSystemSettings::IsLoaded());
    // The refused OK leaves the working settings as they were, too.
    EXPECT_FALSE(SwitchBoxUsed);
    EXPECT_EQ(PortDevice, (Positions{0, 9, 0, 0, 0, 0}));
    EXPECT_EQ(SettingsBytes(), before);
    form->cmdCancel_Click();
    EXPECT_FALSE(frmSystemSettings::IsLoaded());
}

TEST_F(SystemConfigurationTest, TickingOrUntickingEmptiesEverySlot)
{
    frmSystemSettings* form = Open(true, {0, 10, 5, 2, 13, 15});
    EXPECT_EQ(Slots(form), (std::array<int16_t, 6>{0, 10, 5, 2, 13, 15}));
    for (const bool ticked : {false, true}) {
        SCOPED_TRACE(ticked);
        form->chkSwitchbox->click();
        ASSERT_EQ(form->chkSwitchbox->isChecked(), ticked);
        EXPECT_EQ(Slots(form), (std::array<int16_t, 6>{}));
        EXPECT_EQ(DisabledRows(form), std::set<int>{1});
        for (int c = 1; c <= 5; ++c) {
            EXPECT_EQ(form->lblSBChannel[c]->text(), QStringLiteral("---")) << c;
            // Only the middle slot and the computer's line stay without the box.
            EXPECT_EQ(form->picSBChannel[c]->isVisibleTo(form), ticked || c == 3) << c;
            EXPECT_EQ(form->linNullmodem[c]->isVisibleTo(form), ticked) << c;
        }
        EXPECT_TRUE(form->linNullmodem[0]->isVisibleTo(form));
        EXPECT_EQ(form->imgSwitchbox->isVisibleTo(form), ticked);
    }
    form->cmdCancel_Click();
    EXPECT_EQ(PortDevice, (Positions{0, 10, 5, 2, 13, 15}));
}

TEST_F(SystemConfigurationTest, OkStoresThePositionsOfTheSlotsShown)
{
    const struct {
        const char* name;
        bool storedBox;
        Positions stored;
        int dropRow, dropSlot;   // 0, 0 for none
        bool box;
        Positions expected;
    } rows[] = {
        {"no box, row 12 in the middle", false, {}, 12, 3, false, {12, 0, 0, 0, 0, 0}},
        {"box, row 12 on channel 3", true, {}, 12, 3, true, {0, 0, 0, 12, 0, 0}},
        {"box kept, position 0 dropped", true, {4, 2, 0, 0, 0, 0}, 0, 0, true, {0, 2, 0, 0, 0, 0}},
        {"no box kept, rows behind it dropped", false, {7, 3, 0, 0, 5, 0}, 0, 0, false, {7, 0, 0, 0, 0, 0}},
        {"no box, the stored row replaced", false, {7, 0, 0, 0, 0, 0}, 15, 3, false, {15, 0, 0, 0, 0, 0}},
        {"a row outside the table stored as none", true, {0, 99, 4, -3, 0, 17}, 0, 0, true, {0, 0, 4, 0, 0, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string before = SaveBaseline();
        frmSystemSettings* form = Open(row.storedBox, row.stored);
        if (row.dropSlot != 0)
            Drop(form, row.dropRow, row.dropSlot);
        form->cmdOK_Click();
        EXPECT_FALSE(frmSystemSettings::IsLoaded());
        // Written to the file at once.
        EXPECT_NE(SettingsBytes(), before);
        ReloadSettings();
        EXPECT_EQ(SwitchBoxUsed, row.box);
        EXPECT_EQ(PortDevice, row.expected);
    }
    EXPECT_TRUE(Presenter.Shown.empty());
}

TEST_F(SystemConfigurationTest, CancelAfterDropsChangesNeitherGlobalsNorFile)
{
    PortDevice = {0, 2, 0, 10, 0, 0};
    SwitchBoxUsed = true;
    const std::string before = SaveBaseline();
    ScriptedDialogRunner runner;
    runner.Then([this](QDialog& dialog) {
        auto* form = qobject_cast<frmSystemSettings*>(&dialog);
        ASSERT_NE(form, nullptr);
        Drop(form, 12, 1);
        Drop(form, 0, 3);
        form->chkSwitchbox->click();
        Drop(form, 14, 3);
        form->cmdCancel_Click();
    });
    runner.Then([](QDialog& dialog) {
        auto* form = qobject_cast<frmSystemSettings*>(&dialog);
        EXPECT_EQ(form->size(), QSize(533, 493));
        EXPECT_TRUE(form->cmdOK->isDefault());
        EXPECT_FALSE(form->cmdCancel->autoDefault());
        dialog.reject();   // Esc or the close box
    });
    EXPECT_EQ(frmSystemSettings::ShowForm(), QDialog::Rejected);
    EXPECT_EQ(frmSystemSettings::ShowForm(), QDialog::Rejected);
    EXPECT_EQ(runner.Ran, std::vector<QString>(2, QStringLiteral("frmSystemSettings")));
    EXPECT_EQ(PortDevice, (Positions{0, 2, 0, 10, 0, 0}));
    EXPECT_EQ(SettingsBytes(), before);
}

TEST_F(SystemConfigurationTest, CaptionsByLanguageAndTheKeyboardName)
{
    ModelShortName[1] = QStringLiteral("Handmessung");
    Language = 3;
    frmSystemSettings* form = Open(false, {});
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("Configuration du système"));
    EXPECT_EQ(form->cmdCancel->text(), QStringLiteral("&Annuler"));
    // Names are not translated.
    EXPECT_EQ(form->chkSwitchbox->text(), QStringLiteral("&D 7120 Switchbox"));
    EXPECT_EQ(form->lblInstrument[1]->text(), QStringLiteral("Handmessung"));
    form->cmdCancel_Click();
    InitConstants();
}

TEST_F(SystemConfigurationTest, CaptionsOfEveryLanguage)
{
    const struct {
        int16_t language;
        const char* window;
        const char* frame;
        const char* cancel;
    } rows[] = {
        {1, "Systemkonfiguration", "Instrumentenauswahl", "&Abbrechen"},
        {2, "System configuration", "Instrument selection", "&Cancel"},
        {3, "Configuration du système", "Choix des instruments", "&Annuler"},
        {4, "Configurazione del sistema", "Selezione degli strumenti", "&Annulla"},
        {5, "Configuración del sistema", "Selección de aparatos", "&Finalizar"},
        {6, "", "", "&"},
    };
    ModelShortName[1] = QStringLiteral("Handmessung");
    for (const auto& row : rows) {
        Language = row.language;
        frmSystemSettings* form = Open(false, {});
        EXPECT_EQ(form->windowTitle(), QString::fromUtf8(row.window));
        EXPECT_EQ(form->fraInstrument->title(), QString::fromUtf8(row.frame));
        EXPECT_EQ(form->cmdOK->text(), QStringLiteral("&OK"));
        EXPECT_EQ(form->cmdCancel->text(), QString::fromUtf8(row.cancel));
        EXPECT_EQ(form->chkSwitchbox->text(), QStringLiteral("&D 7120 Switchbox"));
        EXPECT_EQ(form->lblInstrument[1]->text(), QStringLiteral("Handmessung"));
        EXPECT_EQ(form->lblInstrument[15]->text(), QStringLiteral("Lister"));
        form->cmdCancel_Click();
    }
    InitConstants();
}

} // namespace
