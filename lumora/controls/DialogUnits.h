#pragma once

#include <QFont>
#include <QRect>

namespace controls {

// a * b / c rounded half away from zero in 64-bit arithmetic; -1 when c is 0 or the result overflows.
int MulDiv(int a, int b, int c);

// Dialog base units of a font: x is the average width of the Latin letters, y the line height.
QSize DialogBaseUnits(const QFont& font);

// A rectangle in dialog units (x and width in quarters of the base width, y and height in eighths
// of the base height) converted to pixels for the font.
QRect DialogUnitsToPixels(const QFont& font, const QRect& dialogUnits);

} // namespace controls
