#include "foundation/modWindow.h"

#include "platform/PictureBox.h"
#include "platform/SortedList.h"
#include "platform/TextInput.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <cmath>

void FillListFromArray(const std::vector<QString>& values, QComboBox* control)
{
    control->clear();
    for (size_t i = 1; i < values.size(); ++i)
        control->addItem(values[i]);
    control->setCurrentIndex(-1);
}

void FillListFromArray(const std::vector<QString>& values, QListWidget* control)
{
    control->clear();
    for (size_t i = 1; i < values.size(); ++i)
        control->addItem(values[i]);
    control->setCurrentRow(-1);
}

namespace {

QStringList StyleNames(const std::vector<Style>& styles)
{
    QStringList names;
    for (size_t i = 1; i < styles.size(); ++i)
        names << styles[i].Name;
    return SortCollated(names);
}

} // namespace

void FillListWithStyles(const std::vector<Style>& styles, QComboBox* control)
{
    control->clear();
    control->addItems(StyleNames(styles));
    control->setCurrentIndex(-1);
}

void FillListWithStyles(const std::vector<Style>& styles, QListWidget* control)
{
    control->clear();
    control->addItems(StyleNames(styles));
    control->setCurrentRow(-1);
}

void PrintAligned(DrawingSurface& target, const QString& text, int alignment, double x, double y)
{
    target.PrintAligned(text, alignment, x, y);
}

void SetTopMost(QWidget* window)
{
    if (!window->testAttribute(Qt::WA_ShowWithoutActivating))
        window->setAttribute(Qt::WA_ShowWithoutActivating, true);
    if (!(window->windowFlags() & Qt::WindowStaysOnTopHint))
        window->setWindowFlag(Qt::WindowStaysOnTopHint, true);   // hides a shown window
    window->show();
    window->raise();
}

void ShowLabelAt(double x, double y, const QString& text, QLabel* label)
{
    label->setText(QStringLiteral(" ") + text + QStringLiteral(" "));
    label->adjustSize();
    QWidget* container = label->parentWidget();
    if (!container)
        return;

    // Everything in pixels of the container: the picture's area and the point.
    QRectF area = QRectF(container->rect());
    double px = x;
    double py = y;
    if (auto* box = qobject_cast<PictureBox*>(container)) {
        const QRect inside = box->contentsRect();
        const DrawingSurface& surface = box->Surface();
        area = QRectF(inside.left(), inside.top(), surface.PixelWidth(), surface.PixelHeight());
        px = inside.left() + surface.PixelFromX(x);
        py = inside.top() + surface.PixelFromY(y);
    }
    const double w = label->width();
    const double h = label->height();

    double left = px - w / 2.0;
    if (left + w > area.right())
        left = area.right() - w;
    if (left < area.left())
        left = area.left();

    // Above the point; below it when the picture's top would cut the label.
    double top = py - 1.5 * h;
    if (top < area.top())
        top = py + 0.5 * h;
    label->move(static_cast<int>(std::lround(left)), static_cast<int>(std::lround(top)));
    label->raise();
    label->setVisible(true);
}

void HideLabel(QLabel* label)
{
    label->setVisible(false);
    label->setText(QString());
}

void SelectAllText(QLineEdit* field)
{
    field->setSelection(0, static_cast<int>(field->text().size()));
}

void SelectAllText(QComboBox* field)
{
    if (field->lineEdit())
        SelectAllText(field->lineEdit());
}

void SelectAllText(QPlainTextEdit* field)
{
    field->selectAll();
}

void LimitTextLength(QLineEdit* field, int maxLength)
{
    const QString text = field->text();
    if (text.size() <= maxLength)
        return;
    const int caret = field->cursorPosition();
    InputBeep();
    field->setText(text.left(maxLength));
    field->setCursorPosition(std::min(caret, maxLength));
}

void LimitTextLength(QComboBox* field, int maxLength)
{
    if (field->lineEdit())
        LimitTextLength(field->lineEdit(), maxLength);
}

void Delay(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() <= milliseconds)
        QThread::yieldCurrentThread();
}
