#include "printing/frmPreview.h"

#include "foundation/modGeneral.h"
#include "foundation/modGlobals.h"
#include "platform/ModalDialog.h"
#include "platform/MousePointer.h"
#include "platform/PictureBox.h"
#include "platform/Twips.h"
#include "platform/WindowCaption.h"
#include "printing/modPrinter.h"

#include <QBuffer>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

namespace {

frmPreview* g_instance = nullptr;

// An A4 sheet (210 mm x 297 mm) and the visible part: the page's full width
// and a third of its height.
constexpr double PageWidthTwips = 11907;
constexpr double PageHeightTwips = 16839.9;
constexpr double ViewWidthTwips = 11906;
constexpr double ViewHeightTwips = 5613;
// The page is shown 4 units to the left, at three times the visible height.
constexpr double PageShift = 4;
constexpr double ShownHeight = 3 * 141.0;

// zlib's fast end: a page of text and lines packs to a few dozen kilobytes
// either way, and packing stays well below the time a page takes to draw.
constexpr int PngQuality = 80;

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

frmPreview* frmPreview::Instance()
{
    if (!g_instance) {
        g_instance = new frmPreview();
        g_instance->Form_Load();
    }
    return g_instance;
}

bool frmPreview::IsLoaded()
{
    return g_instance != nullptr;
}

int frmPreview::ShowForm()
{
    return ShowModal(*Instance());
}

void frmPreview::Unload()
{
    delete g_instance;
    g_instance = nullptr;
}

frmPreview::frmPreview()
{
    setObjectName(QStringLiteral("frmPreview"));
    // The window has a fixed size: nothing to maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    picPreview = new PictureBox(this);
    picPreview->setObjectName(QStringLiteral("picPreview"));
    const int frame = 2 * picPreview->frameWidth();
    picPreview->setFixedSize(TwipsToPixels(ViewWidthTwips) + frame, TwipsToPixels(ViewHeightTwips) + frame);

    scrY = new QScrollBar(Qt::Vertical, this);
    scrY->setObjectName(QStringLiteral("scrY"));
    // The scroll bar's own wheel handling moves three small steps a notch.
    scrY->installEventFilter(this);
    picPreview->installEventFilter(this);

    for (int index = 1; index <= 2; ++index) {
        auto* button = new QPushButton(index == 1 ? QStringLiteral("<<") : QStringLiteral(">>"), this);
        button->setObjectName(QStringLiteral("cmdPage%1").arg(index));
        cmdPage[static_cast<size_t>(index)] = button;
    }
    cmdClose = new QPushButton(this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    // A focused button would otherwise take Return for itself.
    for (QPushButton* button : {cmdPage[1], cmdPage[2], cmdClose}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    auto* view = new QHBoxLayout();
    view->setSpacing(0);
    view->addWidget(picPreview);
    view->addWidget(scrY);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(cmdPage[1]);
    buttons->addWidget(cmdPage[2]);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(view);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdPage[1], &QPushButton::clicked, this, [this] { cmdPage_Click(1); });
    connect(cmdPage[2], &QPushButton::clicked, this, [this] { cmdPage_Click(2); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    connect(scrY, &QScrollBar::valueChanged, this, [this] { scrY_Change(); });
}

frmPreview::~frmPreview()
{
    if (g_instance == this)
        g_instance = nullptr;
    if (IsPageSource(OutputObject))
        OutputObject = nullptr;
}

void frmPreview::Form_Load()
{
    InitForm();
    CurrentPage = 0;
}

void frmPreview::InitForm()
{
    SetCaptions(Language);
    sources_.clear();
    packed_.clear();
    sources_.push_back(NewPageSurface());
    packed_.emplace_back();
    expandedIndex_ = -1;
    expanded_ = QImage();
    scrY->setMinimum(0);
    scrY->setMaximum(100);
    scrY->setSingleStep(2);
    scrY->setPageStep(10);
    scrY->setValue(scrY->minimum());
}

void frmPreview::SetCaptions(int16_t language)
{
    static const char* const titles[5] = {"Vorschau", "Preview", "Prévision", "Previsione", "Vista previa"};
    SetWindowCaption(*this, language >= 1 && language <= 5 ? U(titles[language - 1]) : QString());
    cmdClose->setText(SetStandardButtonCaptions(cmdClose, language));
}

std::unique_ptr<DrawingSurface> frmPreview::NewPageSurface() const
{
    return std::make_unique<DrawingSurface>(TwipsToPixels(PageWidthTwips), TwipsToPixels(PageHeightTwips));
}

DrawingSurface* frmPreview::picSource(int index)
{
    const int count = picSourceCount();
    if (index >= 0 && index < count)
        return sources_[static_cast<size_t>(index)].get();
    if (index != count)
        return nullptr;
    // Loading the next page finishes the one before it.
    PackPage(count - 1);
    sources_.push_back(NewPageSurface());
    packed_.emplace_back();
    return sources_.back().get();
}

int frmPreview::picSourceCount() const
{
    return static_cast<int>(sources_.size());
}

bool frmPreview::IsPageSource(const DrawingSurface* surface) const
{
    if (!surface)
        return false;
    return std::any_of(sources_.begin(), sources_.end(),
                       [surface](const std::unique_ptr<DrawingSurface>& s) { return s.get() == surface; });
}

void frmPreview::PackPage(int index)
{
    if (index < 0 || index >= picSourceCount())
        return;
    DrawingSurface& page = *sources_[static_cast<size_t>(index)];
    if (page.Image().isNull())
        return;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!page.Image().save(&buffer, "PNG", PngQuality))
        return;   // kept raw: larger, but still there
    packed_[static_cast<size_t>(index)] = png;
    page.SetImageTarget(0, 0);
}

QImage frmPreview::PageImage(int index)
{
    if (index < 0 || index >= picSourceCount())
        return QImage();
    const QImage& raw = sources_[static_cast<size_t>(index)]->Image();
    if (!raw.isNull())
        return raw;
    if (expandedIndex_ != index) {
        expanded_ = QImage::fromData(packed_[static_cast<size_t>(index)], "PNG");
        expandedIndex_ = index;
    }
    return expanded_;
}

void frmPreview::PackPages()
{
    PackPage(picSourceCount() - 1);
}

qint64 frmPreview::PageBytes() const
{
    qint64 bytes = expanded_.sizeInBytes();
    for (size_t i = 0; i < sources_.size(); ++i)
        bytes += sources_[i]->Image().sizeInBytes() + packed_[i].size();
    return bytes;
}

void frmPreview::ScrollImage(int x, int y)
{
    DrawingSurface& view = picPreview->Surface();
    view.Cls();
    view.Scale(0, 0, 100, 141);
    const int range = std::max(scrY->maximum(), 1);
    view.PaintPicture(PageImage(CurrentPage), -(x + PageShift), -y * 141.0 / range * 3, 100, ShownHeight);
    UpdatePageButtons();
}

void frmPreview::UpdatePageButtons()
{
    cmdPage[1]->setEnabled(CurrentPage >= 1);
    cmdPage[2]->setEnabled(CurrentPage < picSourceCount() - 1);
}

void frmPreview::ClearPages()
{
    if (IsPageSource(OutputObject))
        OutputObject = nullptr;
    sources_.clear();
    packed_.clear();
    sources_.push_back(NewPageSurface());
    packed_.emplace_back();
    expandedIndex_ = -1;
    expanded_ = QImage();
    CurrentPage = 0;
    picPreview->Surface().Cls();
}

void frmPreview::Form_Unload()
{
    ClearPages();
}

void frmPreview::cmdPage_Click(int index)
{
    MousePointerGuard hourglass(PointerHourglass);
    CurrentPage += index == 1 ? -1 : 1;
    CurrentPage = std::clamp(CurrentPage, 0, picSourceCount() - 1);
    // A new page is shown from its top.
    scrY->setValue(scrY->minimum());
    ScrollImage(0, scrY->value());
    UpdatePageButtons();
}

void frmPreview::scrY_Change()
{
    MousePointerGuard hourglass(PointerHourglass);
    ScrollImage(0, scrY->value());
}

void frmPreview::cmdClose_Click()
{
    reject();
}

void frmPreview::wheelEvent(QWheelEvent* event)
{
    wheelDelta_ += event->angleDelta().y();
    const int notches = wheelDelta_ / QWheelEvent::DefaultDeltasPerStep;
    wheelDelta_ -= notches * QWheelEvent::DefaultDeltasPerStep;
    if (notches != 0)
        scrY->setValue(scrY->value() - notches * scrY->singleStep());
    event->accept();
}

bool frmPreview::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == scrY || watched == picPreview) && event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmPreview::done(int result)
{
    QDialog::done(result);
    Form_Unload();
}
