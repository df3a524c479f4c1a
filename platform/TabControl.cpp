#include "platform/TabControl.h"

#include "platform/PictureBox.h"
#include "platform/Twips.h"

#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QTabBar>
#include <algorithm>

namespace {

// A row of tabs as wide as their captions with a small margin, so that the
// eight display tabs of a window fit side by side; when they do not, every
// tab gives up the same share and none scrolls out of sight.
class TabRow : public QTabBar
{
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override
    {
        QSize size = QTabBar::tabSizeHint(index);
        size.setWidth(CaptionWidth(index));
        int total = 0;
        for (int i = 0; i < count(); ++i)
            total += CaptionWidth(i);
        if (total > width() && width() > 0)
            size.setWidth(std::max(CaptionWidth(index) - (total - width() + count() - 1) / count(), 1));
        return size;
    }

    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }

    // The style draws the tabs; the captions are drawn here, centred on the
    // whole tab, since the style's own margins would cut them.
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        const int current = currentIndex();
        for (int pass = 0; pass < 2; ++pass) {
            for (int i = 0; i < count(); ++i) {
                // The current tab last, so that it lies over its neighbours.
                if ((i == current) != (pass == 1))
                    continue;
                QStyleOptionTab option;
                initStyleOption(&option, i);
                painter.drawControl(QStyle::CE_TabBarTabShape, option);
                const QRect area = option.rect.adjusted(0, 0, 0, i == current ? 0 : 2);
                painter.setPen(palette().color(isTabEnabled(i) ? QPalette::Active : QPalette::Disabled,
                                               QPalette::WindowText));
                painter.drawText(area, Qt::AlignCenter | Qt::TextShowMnemonic, option.text);
            }
        }
    }

private:
    static constexpr int CaptionMargin = 14;

    int CaptionWidth(int index) const
    {
        return fontMetrics().horizontalAdvance(QString(tabText(index)).remove(QLatin1Char('&'))) + CaptionMargin;
    }
};

} // namespace

TabControl::TabControl(QWidget* parent) : QWidget(parent)
{
    m_bar = new TabRow(this);
    m_bar->setDrawBase(false);
    m_bar->setExpanding(false);
    m_bar->setUsesScrollButtons(false);
    m_bar->setMouseTracking(true);
    m_bar->installEventFilter(this);
    m_pages = new QStackedWidget(this);
    m_pages->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    m_pages->setMouseTracking(true);
    setMouseTracking(true);
    connect(m_bar, &QTabBar::currentChanged, this, &TabControl::BarChanged);
    LayOut();
}

int TabControl::AddTab(const QString& caption)
{
    // The bar makes its first tab current while tabs are added; that is no
    // choice of the user.
    const QSignalBlocker blocker(m_bar);
    auto* page = new QWidget();
    // A move over a page's free area reaches the control by propagation.
    page->setMouseTracking(true);
    m_pages->addWidget(page);
    const int index = m_bar->addTab(caption);
    if (m_current < 0)
        m_current = 0;
    m_bar->setCurrentIndex(m_current);
    m_pages->setCurrentIndex(m_current);
    LayOut();
    return index;
}

int TabControl::Tabs() const { return m_bar->count(); }

int TabControl::Tab() const { return m_current; }

void TabControl::SetTab(int index)
{
    if (index < 0 || index >= m_bar->count())
        return;
    const QSignalBlocker blocker(m_bar);
    m_current = index;
    m_bar->setCurrentIndex(index);
    m_pages->setCurrentIndex(index);
}

bool TabControl::TabEnabled(int index) const { return m_bar->isTabEnabled(index); }

void TabControl::SetTabEnabled(int index, bool enabled)
{
    if (index < 0 || index >= m_bar->count())
        return;
    // Disabling the current tab makes the bar move to another one; the
    // program's own rule chooses the tab, so the current one is put back.
    const QSignalBlocker blocker(m_bar);
    m_bar->setTabEnabled(index, enabled);
    if (m_bar->currentIndex() != m_current)
        m_bar->setCurrentIndex(m_current);
}

QString TabControl::TabCaption(int index) const { return m_bar->tabText(index); }

void TabControl::SetTabCaption(int index, const QString& caption)
{
    if (index < 0 || index >= m_bar->count())
        return;
    m_bar->setTabText(index, caption);
    LayOut();
}

QWidget* TabControl::Page(int index) const
{
    if (index < 0 || index >= m_pages->count())
        return nullptr;
    return m_pages->widget(index);
}

QPoint TabControl::PageOrigin() const
{
    // From the bar's wanted height, not its present geometry, so that the
    // answer holds before the control is first shown.
    const int frame = m_pages->frameWidth();
    return QPoint(frame, m_bar->sizeHint().height() + frame);
}

void TabControl::BarChanged(int index)
{
    const int previous = m_current;
    m_current = index;
    m_pages->setCurrentIndex(index);
    emit Click(previous);
}

void TabControl::LayOut()
{
    const int barHeight = m_bar->sizeHint().height();
    m_bar->setGeometry(0, 0, width(), barHeight);
    m_pages->setGeometry(0, barHeight, width(), std::max(height() - barHeight, 0));
    // The stack sizes only the page on show; the others follow here, so that
    // a control on a hidden page is already where it will be shown.
    const QRect inside = m_pages->contentsRect();
    for (int i = 0; i < m_pages->count(); ++i)
        m_pages->widget(i)->setGeometry(inside);
}

void TabControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayOut();
}

void TabControl::EmitMove(QWidget* source, QMouseEvent* event)
{
    const QPointF at = event->position() + QPointF(source->mapTo(this, QPoint(0, 0)));
    emit MouseMove(MouseButtonCode(event->buttons()), ShiftCode(event->modifiers()), PixelsToTwips(at.x()),
                   PixelsToTwips(at.y()));
}

void TabControl::mouseMoveEvent(QMouseEvent* event)
{
    EmitMove(this, event);
    event->accept();
}

bool TabControl::eventFilter(QObject* watched, QEvent* event)
{
    // The bar may keep a move for itself; it is taken here and not passed
    // on, so it is raised once.
    if (watched == m_bar && event->type() == QEvent::MouseMove) {
        EmitMove(m_bar, static_cast<QMouseEvent*>(event));
        event->accept();
        return true;
    }
    // The wheel would step through the tabs and redraw a page each time,
    // as the pointer merely passes the tab row; tabs change by a click or
    // the keyboard only.
    if (watched == m_bar && event->type() == QEvent::Wheel) {
        event->ignore();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ApplyTwipsPlaces(const std::vector<QWidget*>& controls, const std::map<const QWidget*, TwipsRect>& places,
                      const TabControl* tabs)
{
    const QPoint pageOrigin = tabs ? tabs->PageOrigin() : QPoint(0, 0);
    for (QWidget* control : controls) {
        const auto found = places.find(control);
        if (found == places.end())
            continue;
        const TwipsRect& place = found->second;
        const bool onPage = tabs && control != tabs && tabs->isAncestorOf(control);
        const QPoint origin = onPage ? pageOrigin : QPoint(0, 0);
        control->setGeometry(TwipsToPixels(place.Left) - origin.x(), TwipsToPixels(place.Top) - origin.y(),
                             TwipsToPixels(place.Width), TwipsToPixels(place.Height));
    }
}
