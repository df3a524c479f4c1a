#pragma once
// Small procedures that many windows share: filling lists from the settings
// arrays, keeping a window on top, the read-out label of the
// charts, selecting and limiting typed text, a blocking wait, and exchanging
// two values.
#include "foundation/Records.h"

#include <QString>
#include <utility>
#include <vector>

class DrawingSurface;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QWidget;

// Clears the control and adds elements 1 to the upper bound (element 0 is
// never shown). The control has no current item afterwards.
void FillListFromArray(const std::vector<QString>& values, QComboBox* control);
void FillListFromArray(const std::vector<QString>& values, QListWidget* control);

// The same with the names of styles 1 to the upper bound, in the collated
// order of the locale (letter case ignored), as every style list shows them.
void FillListWithStyles(const std::vector<Style>& styles, QComboBox* control);
void FillListWithStyles(const std::vector<Style>& styles, QListWidget* control);

// Prints the text with its top at y on a picture box's surface or the
// printer: alignment 1 ends it at x, 2 centres it on x, any other value
// starts it at x. CurrentX ends at the end of the text, CurrentY at y.
void PrintAligned(DrawingSurface& target, const QString& text, int alignment, double x, double y);

// Keeps the window above all others and shows it, without taking the focus.
void SetTopMost(QWidget* window);

// Shows the read-out label near the point (x, y) of its container, in the
// container's scale (the user scale of a PictureBox, else pixels): caption
// " text ", centred on x and one and a half label heights above the point,
// below the point when it would leave the top of the picture, and moved
// sideways to stay within the picture's width.
void ShowLabelAt(double x, double y, const QString& text, QLabel* label);

// Hides the label and empties its caption.
void HideLabel(QLabel* label);

// Selects the whole text of the field.
void SelectAllText(QLineEdit* field);
void SelectAllText(QComboBox* field);
void SelectAllText(QPlainTextEdit* field);

// When the text is longer than maxLength: beeps, cuts it to its first
// maxLength characters and puts the caret back where it was (at most at the
// end). Otherwise nothing happens. A box with the text-input helper
// (platform/TextInput) and the same limit never gets that long: its own limit
// cuts what was inserted first, with the same beep.
void LimitTextLength(QLineEdit* field, int maxLength);
void LimitTextLength(QComboBox* field, int maxLength);

// Waits the given milliseconds on a monotonic clock without handling any
// window event.
void Delay(int milliseconds);

// Exchanges the two values.
template <typename T>
void SwapVariants(T& a, T& b)
{
    std::swap(a, b);
}
