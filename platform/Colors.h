#pragma once
// Colours as the program stores and passes them: a 32-bit value 0x00BBGGRR,
// red in the low byte. Values with the high bit set (0x800000nn) name a
// system colour of the user interface.
#include <QColor>
#include <cstdint>

constexpr int32_t vbBlack = 0x000000;
constexpr int32_t vbRed = 0x0000FF;
constexpr int32_t vbGreen = 0x00FF00;
constexpr int32_t vbYellow = 0x00FFFF;
constexpr int32_t vbBlue = 0xFF0000;
constexpr int32_t vbMagenta = 0xFF00FF;
constexpr int32_t vbCyan = 0xFFFF00;
constexpr int32_t vbWhite = 0xFFFFFF;

// System colours (high bit set, the low byte selects the element).
constexpr int32_t vbWindowBackground = static_cast<int32_t>(0x80000005u);
constexpr int32_t vbWindowText = static_cast<int32_t>(0x80000008u);
constexpr int32_t vbButtonFace = static_cast<int32_t>(0x8000000Fu);
constexpr int32_t vbButtonText = static_cast<int32_t>(0x80000012u);
constexpr int32_t vbHighlight = static_cast<int32_t>(0x8000000Du);
constexpr int32_t vbHighlightText = static_cast<int32_t>(0x8000000Eu);
constexpr int32_t vbButtonShadow = static_cast<int32_t>(0x80000010u);
constexpr int32_t vbInfoText = static_cast<int32_t>(0x80000017u);
constexpr int32_t vbInfoBackground = static_cast<int32_t>(0x80000018u);

// The colour value of red, green and blue; each part is limited to 0..255.
int32_t RGB(int red, int green, int blue);

// The 16 colours of the classic palette by number 0..15 (0 black, 1 blue,
// 2 green, 3 cyan, 4 red, 5 magenta, 6 yellow, 7 white, 8 grey, 9..15 the
// light variants). Any other number gives black.
int32_t QBColor(int number);

// Conversions to and from Qt. A system colour resolves against the
// application palette; an unknown one is black.
QColor ToQColor(int32_t colour);
int32_t FromQColor(const QColor& colour);
