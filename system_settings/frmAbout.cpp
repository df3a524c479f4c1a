#include "system_settings/frmAbout.h"

#include "foundation/frmResource.h"
#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "foundation/modLog.h"
#include "foundation/modMessage.h"
#include "platform/Colors.h"
#include "platform/LoadedForms.h"
#include "platform/ModalDialog.h"
#include "platform/PictureBox.h"
#include "platform/Twips.h"
#include "platform/WindowCaption.h"
#include "system_settings/DesignControls.h"
#include "system_settings/modVersionHistory.h"

#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

namespace {

frmAbout* g_instance = nullptr;

constexpr int ClientWidth = 5910;
constexpr int ClientHeight = 4635;
constexpr int AnimationInterval = 150;   // milliseconds
constexpr int GestureButton = 2;         // right
constexpr int GestureShift = 7;          // Shift + Ctrl + Alt
constexpr int32_t HistoryGrey = 0xC0C0C0;

// Between the version and its release date.
const char* const VersionSeparator = " - ";

struct Captions {
    const char* versionWord;
    const char* animation;
};
// Languages 1 to 5; the sixth has no texts.
const Captions CaptionTable[5] = {
    {"Version", "Messung läuft ..."},
    {"Version", "Measuring ..."},
    {"Version", "Mesure en cours ..."},
    {"Versione", "Misura in corso ..."},
    {"Versión", "Medición en curso ..."},
};

QLabel* NewLabel(QWidget* parent, const QString& name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

void SetTextColour(QWidget* control, int32_t colour)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, ToQColor(colour));
    control->setPalette(palette);
}

void Toggle(QWidget* control)
{
    control->setVisible(control->isHidden());
}

} // namespace

const char* const frmAbout::MakerAddress = "https://www.example.com/";

frmAbout* frmAbout::Instance()
{
    if (!g_instance) {
        g_instance = new frmAbout();
        g_instance->Form_Load();
    }
    return g_instance;
}

bool frmAbout::IsLoaded()
{
    return g_instance != nullptr;
}

int frmAbout::ShowForm()
{
    return ShowModal(*Instance());
}

frmAbout::frmAbout()
{
    setObjectName(QStringLiteral("frmAbout"));
    SetWindowCaption(*this, QString());
    // Unloading from outside ends the dialog as closing it does.
    RegisterForm(this, [this] { done(QDialog::Rejected); });
    SetDesignFont(this);
    setFixedSize(TwipsToPixels(ClientWidth), TwipsToPixels(ClientHeight));

    for (int i = 1; i <= 2; ++i) {
        auto* line = new LineControl(this);
        line->setObjectName(QStringLiteral("linHorizontal_%1").arg(i));
        line->SetBorderWidth(2);
        line->SetBorderColor(0x808080);
        const int y = i == 1 ? 900 : 2940;
        line->SetEnds(0, y, ClientWidth, y);
        linHorizontal[static_cast<size_t>(i)] = line;
    }

    lblQUINTARA = NewLabel(this, QStringLiteral("lblQUINTARA"));
    PlaceControl(lblQUINTARA, 1545, 240, 2910, 240);
    lblVersion = NewLabel(this, QStringLiteral("lblVersion"));
    PlaceControl(lblVersion, 1755, 540, 2490, 240);
    for (QLabel* label : {lblQUINTARA, lblVersion}) {
        label->setAlignment(Qt::AlignCenter);
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
    }
    SetTextColour(lblQUINTARA, vbBlue);
    lblVersion->installEventFilter(this);

    imgQUINTARA = NewLabel(this, QStringLiteral("imgQUINTARA"));
    PlaceControl(imgQUINTARA, 2760, 1140, 480, 480);

    fraAnimation = new QGroupBox(this);
    fraAnimation->setObjectName(QStringLiteral("fraAnimation"));
    PlaceControl(fraAnimation, 240, 1740, 5415, 975);
    fraAnimation->setVisible(false);
    for (int i = 1; i <= 2; ++i) {
        QLabel* picture = NewLabel(fraAnimation, QStringLiteral("imgAnimation_%1").arg(i));
        PlaceControl(picture, 120, 180, 675, 675);
        picture->setAlignment(Qt::AlignCenter);
        imgAnimation[static_cast<size_t>(i)] = picture;
    }
    lblAnimation = NewLabel(fraAnimation, QStringLiteral("lblAnimation"));
    PlaceControl(lblAnimation, 960, 390, 4200, 255);

    timAnimation = new QTimer(this);
    timAnimation->setObjectName(QStringLiteral("timAnimation"));
    connect(timAnimation, &QTimer::timeout, this, [this] { timAnimation_Timer(); });

    // The history covers the product picture when it is shown.
    txtHistory = new QPlainTextEdit(this);
    txtHistory->setObjectName(QStringLiteral("txtHistory"));
    PlaceControl(txtHistory, 240, 1080, 5415, 1635);
    txtHistory->setReadOnly(true);
    txtHistory->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtHistory->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtHistory->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtHistory->setTabStopDistance(txtHistory->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")) + 10);
    QPalette grey = txtHistory->palette();
    grey.setColor(QPalette::Base, ToQColor(HistoryGrey));
    txtHistory->setPalette(grey);
    txtHistory->setVisible(false);

    imgZOLVERA = NewLabel(this, QStringLiteral("imgZOLVERA"));
    PlaceControl(imgZOLVERA, 540, 3120, 1320, 480);
    imgZOLVERA->installEventFilter(this);

    cmdClose = new QPushButton(this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    PlaceControl(cmdClose, 3270, 3120, 2055, 435);
    cmdClose->setDefault(true);
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });

    lblURL = NewLabel(this, QStringLiteral("lblURL"));
    PlaceControl(lblURL, 3270, 4140, 2460, 240);
    SetTextColour(lblURL, vbBlue);
    lblURL->setCursor(Qt::PointingHandCursor);
    lblURL->installEventFilter(this);
}

frmAbout::~frmAbout()
{
    if (g_instance == this)
        g_instance = nullptr;
}

void frmAbout::Form_Load()
{
    InitForm();
}

void frmAbout::InitForm()
{
    SetCaptions(Language);
    lblQUINTARA->setText(QString::fromUtf8(ProductTitle));
    const frmResource* resource = frmResource::Instance();
    imgZOLVERA->setPixmap(resource->imgZOLVERA);
    imgQUINTARA->setPixmap(resource->imgQUINTARA);
    for (size_t i = 1; i <= 2; ++i)
        imgAnimation[i]->setPixmap(resource->imgAnimation[i]);
}

void frmAbout::SetCaptions(int16_t language)
{
    const bool known = language >= 1 && language <= 5;
    const QString word = known ? QString::fromUtf8(CaptionTable[language - 1].versionWord) : QString();
    lblVersion->setText(word + u' ' + QString::fromLatin1(ProgramVersion) + QString::fromLatin1(VersionSeparator)
                        + FormatDateText(ReleaseDate(), DateFormat));
    lblAnimation->setText(known ? QString::fromUtf8(CaptionTable[language - 1].animation) : QString());
    cmdClose->setText(SetStandardButtonCaptions(cmdClose, language));
    lblURL->setText(QString::fromLatin1(MakerAddress));
}

void frmAbout::ClearForm()
{
    timAnimation->setInterval(0);
    timAnimation->stop();
    imgZOLVERA->setPixmap(QPixmap());
    imgQUINTARA->setPixmap(QPixmap());
    for (size_t i = 1; i <= 2; ++i)
        imgAnimation[i]->setPixmap(QPixmap());
}

void frmAbout::OpenLink(const QString& target)
{
    // Whether a browser could be started is not examined.
    QDesktopServices::openUrl(QUrl(target));
}

void frmAbout::cmdClose_Click()
{
    // The button is also the cancel button: Enter and Esc both close.
    reject();
}

void frmAbout::lblVersion_MouseUp(int button, int shift)
{
    if (button != GestureButton || shift != GestureShift)
        return;
    Toggle(txtHistory);
    // Built anew at every gesture, so the dates follow the date format.
    txtHistory->setPlainText(VersionHistoryText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void frmAbout::imgZOLVERA_MouseUp(int button, int shift)
{
    if (button != GestureButton || shift != GestureShift)
        return;
    Toggle(imgAnimation[1]);
    imgAnimation[2]->setVisible(imgAnimation[1]->isHidden());
    timAnimation->setInterval(AnimationInterval);
    if (timAnimation->isActive())
        timAnimation->stop();
    else
        timAnimation->start();
    Toggle(fraAnimation);
}

void frmAbout::lblURL_MouseUp(int button, int /*shift*/)
{
    if (button == 1)
        OpenLink(QString::fromLatin1(MakerAddress));
}

void frmAbout::timAnimation_Timer()
{
    Toggle(imgAnimation[1]);
    Toggle(imgAnimation[2]);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int button = MouseButtonCode(mouse->button());
        const int shift = ShiftCode(mouse->modifiers());
        if (watched == lblVersion)
            lblVersion_MouseUp(button, shift);
        else if (watched == imgZOLVERA)
            imgZOLVERA_MouseUp(button, shift);
        else if (watched == lblURL)
            lblURL_MouseUp(button, shift);
    }
    return QDialog::eventFilter(watched, event);
}

void frmAbout::done(int result)
{
    QDialog::done(result);
    Form_Unload();
}

void frmAbout::Form_Unload()
{
    ClearForm();
    if (g_instance == this)
        g_instance = nullptr;
    deleteLater();
}
