#include "system_settings/frmCountrySetting.h"

#include "foundation/frmResource.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modSettings.h"
#include "platform/LoadedForms.h"
#include "platform/ModalDialog.h"
#include "platform/OleDate.h"
#include "platform/Twips.h"
#include "system_settings/DesignControls.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

namespace {

frmCountrySetting* g_instance = nullptr;

constexpr int ClientWidth = 5880;
constexpr int ClientHeight = 2880;
constexpr int RowHeight = 375;
constexpr int16_t EnglishLanguage = 2;

// The language options keep their own names in every language.
const char* const LanguageOptions[7] = {"", "&Deutsch", "&English", "&Français", "&Italiano", "E&spañol", "&?"};

struct Captions {
    const char* window;
    const char* language;
    const char* dateFormat;
    const char* formats[3];
};
// Languages 1 to 5.
const Captions CaptionTable[5] = {
    {"Ländereinstellungen", "Sprache", "Datumsformat", {"&TT.MM.JJJJ", "&MM/TT/JJJJ", "&JJJJ-MM-TT"}},
    {"Country settings", "Language", "Date format", {"&DD.MM.YYYY", "&MM/DD/YYYY", "&YYYY-MM-DD"}},
    {"Réglages pour le pays", "Langue", "Format de date", {"&JJ.MM.AAAA", "&MM/JJ/AAAA", "&AAAA-MM-JJ"}},
    {"Configurazione dei paesi", "Lingua", "Formato data", {"&GG.MM.AAAA", "&MM/GG/AAAA", "&AAAA-MM-GG"}},
    {"Configuración para el pais", "Idioma", "Formato fecha", {"&DD.MM.AAAA", "&MM/DD/AAAA", "&AAAA-MM-DD"}},
};

size_t At(int index)
{
    return static_cast<size_t>(index);
}

} // namespace

frmCountrySetting* frmCountrySetting::Instance()
{
    if (!g_instance) {
        g_instance = new frmCountrySetting();
        g_instance->Form_Load();
    }
    return g_instance;
}

bool frmCountrySetting::IsLoaded()
{
    return g_instance != nullptr;
}

int frmCountrySetting::ShowForm()
{
    return ShowModal(*Instance());
}

frmCountrySetting::frmCountrySetting()
{
    setObjectName(QStringLiteral("frmCountrySetting"));
    // Unloading from outside ends the dialog as closing it does.
    RegisterForm(this, [this] { done(QDialog::Rejected); });
    SetDesignFont(this);
    setFixedSize(TwipsToPixels(ClientWidth), TwipsToPixels(ClientHeight));

    fraLanguage = new QGroupBox(this);
    fraLanguage->setObjectName(QStringLiteral("fraLanguage"));
    PlaceControl(fraLanguage, 120, 120, 2520, 2640);
    grpLanguage = new QButtonGroup(this);
    for (int i = 1; i <= 6; ++i) {
        const int top = 300 + (i - 1) * RowHeight;
        auto* flag = new QLabel(fraLanguage);
        flag->setObjectName(QStringLiteral("imgLanguage_%1").arg(i));
        PlaceControl(flag, 180, top, 480, 330);
        flag->installEventFilter(this);
        imgLanguage[At(i)] = flag;
        auto* option = new QRadioButton(QString::fromUtf8(LanguageOptions[i]), fraLanguage);
        option->setObjectName(QStringLiteral("optLanguage_%1").arg(i));
        PlaceControl(option, 780, top + 38, 1620, 255);
        option->installEventFilter(this);
        grpLanguage->addButton(option, i);
        optLanguage[At(i)] = option;
    }
    connect(grpLanguage, &QButtonGroup::idClicked, this, [this](int id) { optLanguage_Click(id); });

    fraDateformat = new QGroupBox(this);
    fraDateformat->setObjectName(QStringLiteral("fraDateformat"));
    PlaceControl(fraDateformat, 2760, 120, 3000, 1500);
    grpDateFormat = new QButtonGroup(this);
    for (int j = 1; j <= 3; ++j) {
        const int top = 300 + (j - 1) * RowHeight;
        auto* option = new QRadioButton(fraDateformat);
        option->setObjectName(QStringLiteral("optDateFormat_%1").arg(j));
        PlaceControl(option, 180, top, 1560, 255);
        option->installEventFilter(this);
        grpDateFormat->addButton(option, j);
        optDateFormat[At(j)] = option;
        auto* sample = new QLabel(fraDateformat);
        sample->setObjectName(QStringLiteral("lblDateFormat_%1").arg(j));
        PlaceControl(sample, 1800, top, 1080, 255);
        sample->installEventFilter(this);
        lblDateFormat[At(j)] = sample;
    }

    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    PlaceControl(cmdOK, 3240, 2385, 1215, 375);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    cmdCancel = new QPushButton(this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    PlaceControl(cmdCancel, 4545, 2385, 1215, 375);
    cmdCancel->setAutoDefault(false);
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    // The design's texts, which the sixth language leaves standing.
    SetCaptions(EnglishLanguage);
}

frmCountrySetting::~frmCountrySetting()
{
    if (g_instance == this)
        g_instance = nullptr;
}

void frmCountrySetting::Form_Load()
{
    InitForm();
}

void frmCountrySetting::InitForm()
{
    SetCaptions(Language);
    const frmResource* resource = frmResource::Instance();
    for (int i = 1; i <= 6; ++i)
        imgLanguage[At(i)]->setPixmap(resource->imgLanguage[At(i)]);
    const double today = Today();
    for (int j = 1; j <= 3; ++j)
        lblDateFormat[At(j)]->setText(FormatDateText(today, j));
    const int16_t selected = IsBetween(Language, 1, 6) ? Language : EnglishLanguage;
    optLanguage[At(selected)]->setChecked(true);
    // Selecting the option is a click in the design: the dialog takes the
    // texts of the selected language, English for a language it does not
    // know (which would leave even the buttons blank).
    optLanguage_Click(selected);
    optDateFormat[At(IsBetween(DateFormat, 1, 3) ? DateFormat : 1)]->setChecked(true);
}

void frmCountrySetting::SetCaptions(int16_t language)
{
    cmdOK->setText(SetStandardButtonCaptions(cmdOK, language));
    cmdCancel->setText(SetStandardButtonCaptions(cmdCancel, language));
    if (language < 1 || language > 5) {
        setWindowTitle(QString());
        return;
    }
    const Captions& texts = CaptionTable[language - 1];
    setWindowTitle(QString::fromUtf8(texts.window));
    fraLanguage->setTitle(QString::fromUtf8(texts.language));
    fraDateformat->setTitle(QString::fromUtf8(texts.dateFormat));
    for (int j = 1; j <= 3; ++j)
        optDateFormat[At(j)]->setText(QString::fromUtf8(texts.formats[j - 1]));
}

void frmCountrySetting::ReleasePictures()
{
    for (int i = 1; i <= 6; ++i)
        imgLanguage[At(i)]->setPixmap(QPixmap());
}

int frmCountrySetting::SelectedLanguage() const
{
    return grpLanguage->checkedId() > 0 ? grpLanguage->checkedId() : 0;
}

int frmCountrySetting::SelectedDateFormat() const
{
    return grpDateFormat->checkedId() > 0 ? grpDateFormat->checkedId() : 0;
}

void frmCountrySetting::cmdOK_Click()
{
    // Loading always selects one option in each frame.
    if (SelectedLanguage() > 0)
        Language = static_cast<int16_t>(SelectedLanguage());
    if (SelectedDateFormat() > 0)
        DateFormat = static_cast<int16_t>(SelectedDateFormat());
    SaveSettingsTelling();
    accept();
}

void frmCountrySetting::cmdCancel_Click()
{
    reject();
}

void frmCountrySetting::optLanguage_Click(int index)
{
    // A preview only: Language changes on OK.
    SetCaptions(static_cast<int16_t>(index));
}

void frmCountrySetting::optLanguage_DblClick(int index)
{
    optLanguage[At(index)]->setChecked(true);
    cmdOK_Click();
}

void frmCountrySetting::imgLanguage_Click(int index)
{
    optLanguage[At(index)]->setFocus();
    optLanguage[At(index)]->setChecked(true);
    // Selecting by program raises no click of its own.
    optLanguage_Click(index);
}

void frmCountrySetting::imgLanguage_DblClick(int index)
{
    optLanguage[At(index)]->setChecked(true);
    cmdOK_Click();
}

void frmCountrySetting::optDateFormat_DblClick(int index)
{
    optDateFormat[At(index)]->setChecked(true);
    cmdOK_Click();
}

void frmCountrySetting::lblDateFormat_Click(int index)
{
    optDateFormat[At(index)]->setFocus();
    optDateFormat[At(index)]->setChecked(true);
}

void frmCountrySetting::lblDateFormat_DblClick(int index)
{
    optDateFormat[At(index)]->setChecked(true);
    cmdOK_Click();
}

bool frmCountrySetting::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (m_unloaded || (type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick))
        return QDialog::eventFilter(watched, event);
    if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return QDialog::eventFilter(watched, event);
    const bool dbl = type == QEvent::MouseButtonDblClick;
    for (int i = 1; i <= 6; ++i) {
        if (watched == imgLanguage[At(i)]) {
            dbl ? imgLanguage_DblClick(i) : imgLanguage_Click(i);
            return true;
        }
        if (dbl && watched == optLanguage[At(i)]) {
            optLanguage_DblClick(i);
            return true;
        }
    }
    for (int j = 1; j <= 3; ++j) {
        if (watched == lblDateFormat[At(j)]) {
            dbl ? lblDateFormat_DblClick(j) : lblDateFormat_Click(j);
            return true;
        }
        if (dbl && watched == optDateFormat[At(j)]) {
            optDateFormat_DblClick(j);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmCountrySetting::done(int result)
{
    QDialog::done(result);
    Form_Unload();
}

void frmCountrySetting::Form_Unload()
{
    m_unloaded = true;
    ReleasePictures();
    if (g_instance == this)
        g_instance = nullptr;
    deleteLater();
}
