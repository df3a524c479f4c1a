#include "system_settings/frmReferenceTitle.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modRecords.h"
#include "foundation/modSettings.h"
#include "foundation/modWindow.h"
#include "platform/LoadedForms.h"
#include "platform/ModalDialog.h"
#include "platform/TextInput.h"
#include "platform/Twips.h"
#include "system_settings/DesignControls.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

frmReferenceTitle* g_instance = nullptr;

constexpr int ClientWidth = 10560;
constexpr int ClientHeight = 2295;
constexpr int RowHeight = 420;
constexpr int SlotCount = 6;
// A title is as long as a text box takes.
constexpr int TitleMaxLength = 32767;

struct SlotDesign {
    const char* frameName;
    const char* caption;   // the same in every language
    const char* boxName;
};
const SlotDesign Slots[SlotCount] = {
    {"fraGerman", "Deutsch", "txtReferenceTitleG"},     {"fraEnglish", "English", "txtReferenceTitleE"},
    {"fraFrench", "Français", "txtReferenceTitleF"},    {"fraItalian", "Italiano", "txtReferenceTitleI"},
    {"fraSpanish", "Espagnol", "txtReferenceTitleS"},   {"fraUnknown", "?", "txtReferenceTitleU"},
};

// Languages 1 to 5 and the sixth slot.
const char* const WindowCaptions[SlotCount] = {
    "Referenztitel", "Reference titles", "Titres des références", "Titoli delle referenze",
    "Titulos del las referencias", "?",
};

using GotFocusHandler = void (frmReferenceTitle::*)(int);
const GotFocusHandler GotFocusHandlers[SlotCount] = {
    &frmReferenceTitle::txtReferenceTitleG_GotFocus, &frmReferenceTitle::txtReferenceTitleE_GotFocus,
    &frmReferenceTitle::txtReferenceTitleF_GotFocus, &frmReferenceTitle::txtReferenceTitleI_GotFocus,
    &frmReferenceTitle::txtReferenceTitleS_GotFocus, &frmReferenceTitle::txtReferenceTitleU_GotFocus,
};

size_t TitleIndex(int slot, int reference)
{
    return static_cast<size_t>((slot - 1) * 3 + (reference - 2));
}

} // namespace

frmReferenceTitle* frmReferenceTitle::Instance()
{
    if (!g_instance) {
        g_instance = new frmReferenceTitle();
        g_instance->Form_Load();
    }
    return g_instance;
}

bool frmReferenceTitle::IsLoaded()
{
    return g_instance != nullptr;
}

int frmReferenceTitle::ShowForm()
{
    return ShowModal(*Instance());
}

frmReferenceTitle::frmReferenceTitle()
{
    setObjectName(QStringLiteral("frmReferenceTitle"));
    // Unloading from outside ends the dialog as closing it does.
    RegisterForm(this, [this] { done(QDialog::Rejected); });
    SetDesignFont(this);
    setFixedSize(TwipsToPixels(ClientWidth), TwipsToPixels(ClientHeight));

    fraReferenceTitle = new QGroupBox(this);
    fraReferenceTitle->setObjectName(QStringLiteral("fraReferenceTitle"));
    PlaceControl(fraReferenceTitle, 120, 120, 960, 1560);
    for (int r = 2; r <= 4; ++r) {
        auto* label = new QLabel(QStringLiteral("Ref. %1:").arg(r), fraReferenceTitle);
        label->setObjectName(QStringLiteral("lblReferenceTitle_%1").arg(r));
        PlaceControl(label, 120, 330 + (r - 2) * RowHeight, 780, 255);
        lblReferenceTitle[static_cast<size_t>(r)] = label;
    }

    std::array<QGroupBox**, SlotCount> frames = {&fraGerman, &fraEnglish, &fraFrench,
                                                 &fraItalian, &fraSpanish, &fraUnknown};
    for (int slot = 1; slot <= SlotCount; ++slot) {
        const SlotDesign& design = Slots[slot - 1];
        auto* frame = new QGroupBox(QString::fromUtf8(design.caption), this);
        frame->setObjectName(QString::fromLatin1(design.frameName));
        PlaceControl(frame, 1200 + (slot - 1) * 1560, 120, 1440, 1560);
        *frames[static_cast<size_t>(slot - 1)] = frame;
        for (int r = 2; r <= 4; ++r) {
            auto* box = new QLineEdit(frame);
            box->setObjectName(QStringLiteral("%1_%2").arg(QString::fromLatin1(design.boxName)).arg(r));
            PlaceControl(box, 120, 300 + (r - 2) * RowHeight, 1200, 315);
            // Only what the settings file can hold is typed or pasted.
            InstallTextInput(box, TitleMaxLength);
            box->installEventFilter(this);
            SlotBoxes(slot)[static_cast<size_t>(r)] = box;
        }
    }

    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    PlaceControl(cmdOK, 7890, 1800, 1215, 375);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    cmdCancel = new QPushButton(this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    PlaceControl(cmdCancel, 9225, 1800, 1215, 375);
    cmdCancel->setAutoDefault(false);
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

frmReferenceTitle::~frmReferenceTitle()
{
    if (g_instance == this)
        g_instance = nullptr;
}

frmReferenceTitle::TitleBoxes& frmReferenceTitle::SlotBoxes(int slot)
{
    std::array<TitleBoxes*, SlotCount> boxes = {&txtReferenceTitleG, &txtReferenceTitleE, &txtReferenceTitleF,
                                               &txtReferenceTitleI, &txtReferenceTitleS, &txtReferenceTitleU};
    return *boxes[static_cast<size_t>(slot - 1)];
}

const frmReferenceTitle::TitleBoxes& frmReferenceTitle::SlotBoxes(int slot) const
{
    return const_cast<frmReferenceTitle*>(this)->SlotBoxes(slot);
}

QLineEdit* frmReferenceTitle::TitleBox(int slot, int reference) const
{
    if (slot < 1 || slot > SlotCount || reference < 2 || reference > 4)
        return nullptr;
    return SlotBoxes(slot)[static_cast<size_t>(reference)];
}

void frmReferenceTitle::Form_Load()
{
    InitForm();
}

void frmReferenceTitle::InitForm()
{
    SetCaptions(Language);
    for (int slot = 1; slot <= SlotCount; ++slot) {
        for (int r = 2; r <= 4; ++r)
            TitleBox(slot, r)->setText(GetReferenceTitle(r, slot));
    }
}

void frmReferenceTitle::SetCaptions(int16_t language)
{
    const bool known = language >= 1 && language <= SlotCount;
    setWindowTitle(known ? QString::fromUtf8(WindowCaptions[language - 1]) : QString());
    cmdOK->setText(SetStandardButtonCaptions(cmdOK, language));
    cmdCancel->setText(SetStandardButtonCaptions(cmdCancel, language));
}

void frmReferenceTitle::ClearTitles()
{
    for (int slot = 1; slot <= SlotCount; ++slot) {
        for (int r = 2; r <= 4; ++r)
            TitleBox(slot, r)->clear();
    }
}

void frmReferenceTitle::cmdOK_Click()
{
    for (int slot = 1; slot <= SlotCount; ++slot) {
        for (int r = 2; r <= 4; ++r) {
            const size_t index = TitleIndex(slot, r);
            // Blanks around and every trailing colon go; one colon comes back.
            const QString title = AppendColon(TitleBox(slot, r)->text());
            RefTitles.Titles[index] = title.isEmpty() ? DefaultReferenceTitles.Titles[index] : title + u':';
        }
    }
    SaveSettingsTelling();
    accept();
}

void frmReferenceTitle::cmdCancel_Click()
{
    reject();
}

void frmReferenceTitle::txtReferenceTitleG_GotFocus(int index)
{
    SelectAllText(txtReferenceTitleG[static_cast<size_t>(index)]);
}

void frmReferenceTitle::txtReferenceTitleE_GotFocus(int index)
{
    SelectAllText(txtReferenceTitleE[static_cast<size_t>(index)]);
}

void frmReferenceTitle::txtReferenceTitleF_GotFocus(int index)
{
    SelectAllText(txtReferenceTitleF[static_cast<size_t>(index)]);
}

void frmReferenceTitle::txtReferenceTitleI_GotFocus(int index)
{
    SelectAllText(txtReferenceTitleI[static_cast<size_t>(index)]);
}

void frmReferenceTitle::txtReferenceTitleS_GotFocus(int index)
{
    SelectAllText(txtReferenceTitleS[static_cast<size_t>(index)]);
}

void frmReferenceTitle::txtReferenceTitleU_GotFocus(int index)
{
    SelectAllText(txtReferenceTitleU[static_cast<size_t>(index)]);
}

bool frmReferenceTitle::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        for (int slot = 1; slot <= SlotCount; ++slot) {
            for (int r = 2; r <= 4; ++r) {
                if (watched != TitleBox(slot, r))
                    continue;
                // After the click that gave the focus has placed the caret.
                const GotFocusHandler handler = GotFocusHandlers[slot - 1];
                QTimer::singleShot(0, this, [this, handler, r] { (this->*handler)(r); });
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmReferenceTitle::done(int result)
{
    QDialog::done(result);
    Form_Unload();
}

void frmReferenceTitle::Form_Unload()
{
    ClearTitles();
    if (g_instance == this)
        g_instance = nullptr;
    deleteLater();
}
