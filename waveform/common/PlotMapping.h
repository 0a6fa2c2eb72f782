#pragma once

#include <QRect>
#include <cmath>

// Mapping between axis values and pixels of a plot area: linear, or logarithmic (base 10) per axis.
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
    bool logX = false, logY = false; // logarithmic axes take positive limits only

    // Pixels per unit of a linear axis.
    double PixelsPerUnitX() const { return area.Width() / (hMax - hMin); }
    double PixelsPerUnitY() const { return area.Height() / (vMax - vMin); }

    // Unrounded pixels; ClampPixel/ToPixel make ints of them.
    double XRaw(double x) const {
        if (logX)
            return area.left + Fraction(x, hMin, hMax) * area.Width();
        return area.left + (x - hMin) * PixelsPerUnitX();
    }
    double YRaw(double y) const {
        if (logY)
            return area.bottom - Fraction(y, vMin, vMax) * area.Height();
        // As a share of the span, so that the highest value lies on the top edge exactly; through the
        // pixels per unit it may round to the row above the plot.
        return area.bottom - (y - vMin) / (vMax - vMin) * area.Height();
    }
    int XPixel(double x) const { return ToPixel(XRaw(x)); }
    int YPixel(double y) const { return ToPixel(YRaw(y)); }

    double XValue(int px) const {
        if (logX)
            return Along(static_cast<double>(px - area.left) / area.Width(), hMin, hMax);
        return hMin + (px - area.left) * (hMax - hMin) / area.Width();
    }
    double YValue(int py) const {
        if (logY)
            return Along(1.0 - static_cast<double>(py - area.top) / area.Height(), vMin, vMax);
        return vMax - (py - area.top) * (vMax - vMin) / area.Height();
    }

private:
    // Where v lies between lo and hi in decades (0 at lo, 1 at hi), and the value at such a fraction.
    static double Fraction(double v, double lo, double hi) {
        return (std::log10(v) - std::log10(lo)) / (std::log10(hi) - std::log10(lo));
    }
    static double Along(double fraction, double lo, double hi) {
        return std::pow(10.0, std::log10(lo) + fraction * (std::log10(hi) - std::log10(lo)));
    }
};

} // namespace waveform
