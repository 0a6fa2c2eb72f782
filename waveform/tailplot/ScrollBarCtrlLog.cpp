#include "waveform/tailplot/ScrollBarCtrlLog.h"

#include <algorithm>
#include <cmath>

CScrollBarCtrlLog::CScrollBarCtrlLog(QWidget* parent) : CScrollBarCtrl(parent) {
    SetFullRange(1.0, 1.0);
    SetVisibleRange(1.0, 1.0);
}

CScrollBarCtrlLog::~CScrollBarCtrlLog() = default;

QRect CScrollBarCtrlLog::ThumbRect() const {
    const QRect track = TrackRect();
    const int length = IsVertical() ? track.height() : track.width();
    double a = 0.0, b = 1.0; // fractions of the track
    if (FullMin() > 0.0 && VisibleMin() > 0.0 && FullMax() > 0.0 && VisibleMax() > 0.0) {
        const double lo = std::min(std::log10(FullMin()), std::log10(VisibleMin()));
        const double span = std::max(std::log10(VisibleMax()), std::log10(FullMax())) - lo;
        // An empty span shows the thumb over the whole track instead of dividing by zero.
        if (span > 0.0 && std::isfinite(span)) {
            a = (std::log10(VisibleMin()) - lo) / span;
            b = (std::log10(VisibleMax()) - lo) / span;
        }
    }
    auto clampFraction = [](double f) { return std::isfinite(f) ? std::clamp(f, 0.0, 1.0) : 0.0; };
    const int from = static_cast<int>(clampFraction(a) * length),
              to = static_cast<int>(clampFraction(b) * length);
    if (IsVertical())
        return QRect(track.left(), track.top() + length - to, track.width(), std::max(1, to - from));
    return QRect(track.left() + from, track.top(), std::max(1, to - from), track.height());
}

double CScrollBarCtrlLog::DecadeStep(double value, bool up) {
    if (!(value > 0.0) || !std::isfinite(value))
        return value;
    int e = static_cast<int>(std::floor(std::log10(value)));
    double decade = std::pow(10.0, e);
    // log10 may land one decade off right at a power of ten.
    if (decade > value) {
        --e;
        decade = std::pow(10.0, e);
    } else if (decade * 10 <= value) {
        ++e;
        decade = std::pow(10.0, e);
    }
    // A mantissa a hair below a whole number (from an earlier step) counts as that number.
    const double digit = std::trunc(value / decade * (1 + 1e-12));
    if (up)
        return (digit + 1) * decade;
    if (digit <= 1)
        return 9 * decade / 10;
    return (digit - 1) * decade;
}

void CScrollBarCtrlLog::Step(double, bool up, bool arrow) {
    // up is the first arrow's direction: the upper arrow raises the values, the left arrow lowers them.
    const bool raise = up == static_cast<bool>(IsVertical());
    if (arrow) {
        SetVisibleRange(DecadeStep(VisibleMin(), raise), DecadeStep(VisibleMax(), raise));
    } else {
        const double factor = raise ? 1.01 : 0.99;
        SetVisibleRange(VisibleMin() * factor, VisibleMax() * factor);
    }
    update();
    Notify(kCodeMoved);
}
