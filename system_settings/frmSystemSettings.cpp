#include "system_settings/frmSystemSettings.h"

#include "foundation/frmResource.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modInstrument.h"
#include "foundation/modMessage.h"
#include "foundation/modSettings.h"
#include "platform/Colors.h"
#include "platform/LoadedForms.h"
#include "platform/ModalDialog.h"
#include "platform/PictureBox.h"
#include "platform/Twips.h"
#include "system_settings/DesignControls.h"

#include <QCheckBox>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>

namespace {

frmSystemSettings* g_instance = nullptr;

constexpr int16_t MsgInvalidConfiguration = 5;
constexpr int32_t SlotGrey = 0xC0C0C0;
constexpr int32_t SlotGreen = 0x00FF00;

// Where things stand (twips).
constexpr int ClientWidth = 7995;
constexpr int ClientHeight = 7395;
constexpr int SlotLeft[6] = {0, 900, 2280, 3720, 5280, 6720};
constexpr int SlotTop = 2340;
constexpr int SlotLabelTop = 2940;

// Lines 1 to 5 from the channel up to the switch box; line 0 from the
// computer down to the middle slot.
struct LineEnds {
    int x1, y1, x2, y2;
};
constexpr LineEnds NullmodemLines[6] = {
    {4020, 660, 4020, 2640}, {960, 2820, 2940, 1980}, {2340, 2820, 3480, 1980},
    {4020, 2640, 4020, 2040}, {5760, 2820, 4560, 1980}, {7200, 2820, 5160, 1980},
};

// The palette inside the frame: top left corner of each row's icon.
struct PaletteCell {
    int row, left, top;
};
constexpr PaletteCell Palette[] = {
    {0, 240, 1260},
    {2, 1260, 300}, {3, 2640, 300}, {4, 4020, 300}, {5, 5400, 300}, {6, 6780, 300},
    {8, 1260, 1260}, {9, 2640, 1260}, {10, 4020, 1260}, {16, 5400, 1260}, {11, 6780, 1260},
    {7, 1260, 2220}, {12, 2640, 2220}, {13, 4020, 2220}, {14, 5400, 2220}, {15, 6780, 2220},
};

struct Captions {
    const char* window;
    const char* frame;
};
// Languages 1 to 5; the sixth has no texts.
const Captions CaptionTable[5] = {
    {"Systemkonfiguration", "Instrumentenauswahl"},
    {"System configuration", "Instrument selection"},
    {"Configuration du système", "Choix des instruments"},
    {"Configurazione del sistema", "Selezione degli strumenti"},
    {"Configuración del sistema", "Selección de aparatos"},
};

QLabel* NewLabel(QWidget* parent, const QString& name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

size_t At(int index)
{
    return static_cast<size_t>(index);
}

} // namespace

const char* const frmSystemSettings::InstrumentRowMimeType = "application/x-quintara-instrument-row";

frmSystemSettings* frmSystemSettings::Instance()
{
    if (!g_instance) {
        g_instance = new frmSystemSettings();
        g_instance->Form_Load();
    }
    return g_instance;
}

bool frmSystemSettings::IsLoaded()
{
    return g_instance != nullptr;
}

int frmSystemSettings::ShowForm()
{
    return ShowModal(*Instance());
}

frmSystemSettings::frmSystemSettings()
{
    setObjectName(QStringLiteral("frmSystemSettings"));
    // Unloading from outside ends the dialog as closing it does.
    RegisterForm(this, [this] { done(QDialog::Rejected); });
    setWindowTitle(QStringLiteral("System configuration"));
    SetDesignFont(this);
    setFixedSize(TwipsToPixels(ClientWidth), TwipsToPixels(ClientHeight));

    // Lines first, so that every other control lies above them.
    linKeyboard = new LineControl(this);
    linKeyboard->setObjectName(QStringLiteral("linKeyboard"));
    linKeyboard->SetBorderWidth(2);
    linKeyboard->SetEnds(4260, 420, 6720, 420);
    for (int i = 0; i <= 5; ++i) {
        auto* line = new LineControl(this);
        line->setObjectName(QStringLiteral("linNullmodem_%1").arg(i));
        line->SetBorderWidth(2);
        const LineEnds& ends = NullmodemLines[i];
        line->SetEnds(ends.x1, ends.y1, ends.x2, ends.y2);
        linNullmodem[At(i)] = line;
    }

    imgPC = NewLabel(this, QStringLiteral("imgPC"));
    PlaceControl(imgPC, 3780, 180, 480, 480);
    imgSwitchbox = NewLabel(this, QStringLiteral("imgSwitchbox"));
    PlaceControl(imgSwitchbox, 2700, 840, 2685, 1185);

    chkSwitchbox = new QCheckBox(QStringLiteral("&D 7120 Switchbox"), this);
    chkSwitchbox->setObjectName(QStringLiteral("chkSwitchbox"));
    PlaceControl(chkSwitchbox, 900, 1320, 1635, 195);
    chkSwitchbox->setChecked(true);
    connect(chkSwitchbox, &QCheckBox::clicked, this, [this] { chkSwitchbox_Click(); });

    for (int c = 1; c <= 5; ++c) {
        QLabel* slot = NewLabel(this, QStringLiteral("picSBChannel_%1").arg(c));
        PlaceControl(slot, SlotLeft[c], SlotTop, 540, 540);
        slot->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        slot->setAlignment(Qt::AlignCenter);
        slot->setAutoFillBackground(true);
        slot->setAcceptDrops(true);
        slot->installEventFilter(this);
        picSBChannel[At(c)] = slot;
        QLabel* label = NewLabel(this, QStringLiteral("lblSBChannel_%1").arg(c));
        PlaceControl(label, SlotLeft[c] - 120, SlotLabelTop, 795, 195);
        label->setAlignment(Qt::AlignCenter);
        lblSBChannel[At(c)] = label;
        SetSlotColour(c, SlotGrey);
    }

    fraInstrument = new QGroupBox(this);
    fraInstrument->setObjectName(QStringLiteral("fraInstrument"));
    PlaceControl(fraInstrument, 180, 3360, 7635, 3195);

    // The keyboard stands beside the computer, always connected: never dragged.
    imgInstrument[1] = NewLabel(this, QStringLiteral("imgInstrument_1"));
    PlaceControl(imgInstrument[1], 6720, 180, 480, 480);
    imgInstrument[1]->setEnabled(false);
    lblInstrument[1] = NewLabel(this, QStringLiteral("lblInstrument_1"));
    PlaceControl(lblInstrument[1], 6000, 720, 1995, 195);
    lblInstrument[1]->setAlignment(Qt::AlignCenter);
    for (const PaletteCell& cell : Palette) {
        QLabel* icon = NewLabel(fraInstrument, QStringLiteral("imgInstrument_%1").arg(cell.row));
        PlaceControl(icon, cell.left, cell.top, 540, 540);
        icon->setAlignment(Qt::AlignCenter);
        icon->setCursor(Qt::OpenHandCursor);
        icon->installEventFilter(this);
        imgInstrument[At(cell.row)] = icon;
        QLabel* label = NewLabel(fraInstrument, QStringLiteral("lblInstrument_%1").arg(cell.row));
        PlaceControl(label, cell.left - 120, cell.top + 600, 795, 195);
        label->setAlignment(Qt::AlignCenter);
        lblInstrument[At(cell.row)] = label;
    }
    imgDDInstrument = NewLabel(fraInstrument, QStringLiteral("imgDDInstrument"));
    PlaceControl(imgDDInstrument, 60, 2040, 480, 480);
    imgDDInstrument->setVisible(false);

    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    PlaceControl(cmdOK, 180, 6780, 1215, 435);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    cmdCancel = new QPushButton(this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    PlaceControl(cmdCancel, 2520, 6780, 1215, 435);
    cmdCancel->setAutoDefault(false);
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

frmSystemSettings::~frmSystemSettings()
{
    if (g_instance == this)
        g_instance = nullptr;
}

void frmSystemSettings::Form_Load()
{
    InitForm();
    // The box starts ticked with everything of the switch box shown; a
    // different stored state runs the rule as a click would.
    const bool used = SwitchBoxUsed;
    if (chkSwitchbox->isChecked() != used) {
        chkSwitchbox->setChecked(used);
        chkSwitchbox_Click();
    }
    // Without the switch box only the middle slot is shown and holds
    // position 0. Rows left in positions 1 to 5 are not loaded: hidden slots
    // would block their families in the palette and let OK pass with no
    // instrument to be seen.
    if (used) {
        for (int c = 1; c <= 5; ++c)
            AssignChannel(ValidInstrumentCode(PortDevice[At(c)]), c);
    } else {
        AssignChannel(ValidInstrumentCode(PortDevice[0]), 3);
    }
}

void frmSystemSettings::InitForm()
{
    SetCaptions(Language);
    const frmResource* resource = frmResource::Instance();
    imgPC->setPixmap(resource->imgPC);
    imgSwitchbox->setPixmap(resource->imgSwitchbox);
    for (int i = 0; i <= 16; ++i) {
        imgInstrument[At(i)]->setPixmap(resource->imgInstrument[At(i)]);
        SetFittedCaption(lblInstrument[At(i)], ModelShortName[At(i)]);
    }
}

void frmSystemSettings::SetCaptions(int16_t language)
{
    const bool known = language >= 1 && language <= 5;
    setWindowTitle(known ? QString::fromUtf8(CaptionTable[language - 1].window) : QString());
    fraInstrument->setTitle(known ? QString::fromUtf8(CaptionTable[language - 1].frame) : QString());
    cmdOK->setText(SetStandardButtonCaptions(cmdOK, language));
    cmdCancel->setText(SetStandardButtonCaptions(cmdCancel, language));
}

void frmSystemSettings::ClearForm()
{
    for (int i = 0; i <= 16; ++i) {
        imgInstrument[At(i)]->setPixmap(QPixmap());
        lblInstrument[At(i)]->clear();
    }
    for (int c = 1; c <= 5; ++c) {
        picSBChannel[At(c)]->setPixmap(QPixmap());
        lblSBChannel[At(c)]->clear();
    }
    imgPC->setPixmap(QPixmap());
    imgSwitchbox->setPixmap(QPixmap());
    imgDDInstrument->setPixmap(QPixmap());
}

void frmSystemSettings::AssignChannel(int16_t instrument, int channel)
{
    const int16_t row = ValidInstrumentCode(instrument);
    picSBChannel[At(channel)]->setPixmap(frmResource::Instance()->imgInstrument[At(row)]);
    SetSlotColour(channel, SlotGrey);
    SetFittedCaption(lblSBChannel[At(channel)], ModelShortName[At(row)]);
    ChannelInstrument[At(channel)] = row;

    // Rows 0 ("none") and 1 (the keyboard) are never touched.
    for (int i = 2; i <= 16; ++i) {
        lblInstrument[At(i)]->setEnabled(true);
        imgInstrument[At(i)]->setEnabled(true);
    }
    for (int c = 1; c <= 5; ++c) {
        if (ChannelInstrument[At(c)] == 0)
            continue;
        for (const int16_t member : CompatibleInstruments(ChannelInstrument[At(c)])) {
            if (member < 2 || member > 16)
                continue;
            lblInstrument[At(member)]->setEnabled(false);
            imgInstrument[At(member)]->setEnabled(false);
        }
    }
}

void frmSystemSettings::HighlightChannels(bool on)
{
    Highlighted = on;
    for (int c = 1; c <= 5; ++c)
        SetSlotColour(c, on ? SlotGreen : SlotGrey);
}

bool frmSystemSettings::HasAnyInstrument() const
{
    for (int c = 1; c <= 5; ++c) {
        if (ChannelInstrument[At(c)] != 0)
            return true;
    }
    return false;
}

void frmSystemSettings::cmdOK_Click()
{
    if (!HasAnyInstrument()) {
        ShowMessage(MsgInvalidConfiguration);
        return;
    }
    SwitchBoxUsed = chkSwitchbox->isChecked();
    if (SwitchBoxUsed) {
        PortDevice[0] = 0;
        for (int c = 1; c <= 5; ++c)
            PortDevice[At(c)] = ChannelInstrument[At(c)];
    } else {
        PortDevice[0] = ChannelInstrument[3];
        for (int c = 1; c <= 5; ++c)
            PortDevice[At(c)] = 0;
    }
    // The new positions take effect at the next measurement; the port and
    // the main window are left as they are. A failed write is told, and the
    // dialog closes all the same: the positions hold for this run.
    SaveSettingsTelling();
    accept();
}

void frmSystemSettings::cmdCancel_Click()
{
    reject();
}

void frmSystemSettings::chkSwitchbox_Click()
{
    const bool used = chkSwitchbox->isChecked();
    imgSwitchbox->setVisible(used);
    for (int i = 1; i <= 5; ++i)
        linNullmodem[At(i)]->setVisible(used);
    for (int c = 1; c <= 5; ++c) {
        if (c == 3)
            continue;
        picSBChannel[At(c)]->setVisible(used);
        lblSBChannel[At(c)]->setVisible(used);
    }
    // Ticking or unticking loses the placing: every slot is emptied.
    for (int c = 1; c <= 5; ++c)
        AssignChannel(0, c);
}

bool frmSystemSettings::imgInstrument_MouseDown(int index, int button)
{
    if (button != 1 || index < 0 || index > 16)
        return false;
    DragInstrument = static_cast<int16_t>(index);
    HighlightChannels(true);
    QLabel* icon = imgInstrument[At(index)];
    imgDDInstrument->setPixmap(icon->pixmap());
    imgDDInstrument->move(fraInstrument->mapFrom(this, icon->mapTo(this, QPoint(0, 0))));
    return true;
}

void frmSystemSettings::picSBChannel_DragDrop(int index)
{
    if (Highlighted && index >= 1 && index <= 5) {
        AssignChannel(DragInstrument, index);
        imgDDInstrument->setPixmap(QPixmap());
    }
    HighlightChannels(false);
}

void frmSystemSettings::Form_DragDrop()
{
    HighlightChannels(false);
}

bool frmSystemSettings::AcceptsDrop(const QMimeData* data) const
{
    return Highlighted && data && data->hasFormat(QString::fromLatin1(InstrumentRowMimeType));
}

void frmSystemSettings::RunDrag(int index, const QPoint& hotSpot)
{
    QPointer<frmSystemSettings> self(this);
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(InstrumentRowMimeType), QByteArray::number(index));
    auto* drag = new QDrag(imgInstrument[At(index)]);
    drag->setMimeData(data);
    drag->setPixmap(imgDDInstrument->pixmap());
    drag->setHotSpot(hotSpot);
    // Dropped on a slot, dropped elsewhere or cancelled with Esc: the drag
    // ends with the slots grey again.
    drag->exec(Qt::MoveAction);
    if (self)
        Form_DragDrop();
}

void frmSystemSettings::SetSlotColour(int channel, int32_t colour)
{
    QLabel* slot = picSBChannel[At(channel)];
    QPalette palette = slot->palette();
    palette.setColor(QPalette::Window, ToQColor(colour));
    slot->setPalette(palette);
}

bool frmSystemSettings::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress) {
        for (int i = 0; i <= 16; ++i) {
            QLabel* icon = imgInstrument[At(i)];
            if (watched != icon)
                continue;
            // A disabled icon takes no mouse input, so it cannot be dragged.
            if (!icon->isEnabled())
                return true;
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (imgInstrument_MouseDown(i, MouseButtonCode(mouse->button())))
                RunDrag(i, mouse->position().toPoint());
            return true;
        }
    }
    if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) {
        for (int c = 1; c <= 5; ++c) {
            if (watched != picSBChannel[At(c)])
                continue;
            auto* drop = static_cast<QDropEvent*>(event);
            // Data from other programs, or a drag that is not ours, is refused.
            if (!AcceptsDrop(drop->mimeData())) {
                drop->ignore();
                return true;
            }
            drop->acceptProposedAction();
            if (type == QEvent::Drop)
                picSBChannel_DragDrop(c);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmSystemSettings::done(int result)
{
    QDialog::done(result);
    Form_Unload();
}

void frmSystemSettings::Form_Unload()
{
    ClearForm();
    if (g_instance == this)
        g_instance = nullptr;
    deleteLater();
}
