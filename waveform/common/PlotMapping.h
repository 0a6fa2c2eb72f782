#pragma once

#include <QRect>
#include <cmath>

// Linear mapping between axis values and pixels of a plot area.
namespace waveform {

// Pixel coordinates are kept within this bound before they become ints, so a sample far outside a
// zoomed-in view cannot overflow.
constexpr double kPixelLimit = 1 << 20;

inline double ClampPixel(double pixel) {
    if (std::isnan(pixel))
        return 0.0;
    return pixel < -kPixelLimit ? -kPixelLimit : pixel > kPixelLimit ? kPixelLimit : pixel;
}

inline int ToPixel(double pixel) {
    return static_cast<int>(ClampPixel(pixel));
}

// The area inside the axes, edges as stored: right and bottom are the far edge lines.
struct CPlotArea {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    // The area with its edge lines, as a QRect.
    QRect WithEdges() const { return QRect(QPoint(left, top), QPoint(right, bottom)); }
};

struct CPlotMapping {
    CPlotArea area;
    double hMin = 0.0, hMax = 1.0, vMin = 0.0, vMax = 1.0;

    double PixelsPerUnitX() const { return area.Width() / (hMax - hMin); }
    double PixelsPerUnitY() const { return area.Height() / (vMax - vMin); }

    // Unrounded pixels; ClampPixel/ToPixel make ints of them.
    double XRaw(double x) const { return area.left + (x - hMin) * PixelsPerUnitX(); }
    double YRaw(double y) const { return area.bottom - (y - vMin) * PixelsPerUnitY(); }
    int XPixel(double x) const { return ToPixel(XRaw(x)); }
    int YPixel(double y) const { return ToPixel(YRaw(y)); }

    double XValue(int px) const { return hMin + (px - area.left) * (hMax - hMin) / area.Width(); }
    double YValue(int py) const { return vMax - (py - area.top) * (vMax - vMin) / area.Height(); }
};

} // namespace waveform
