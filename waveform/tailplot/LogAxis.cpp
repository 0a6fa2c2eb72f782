#include "waveform/tailplot/LogAxis.h"

#include <cmath>

namespace tailplot {

namespace {

// Relative tolerance for comparing tick values computed in different ways.
constexpr double kTickTolerance = 1e-9;

double Decade(int exponent) {
    return std::pow(10.0, exponent);
}

// The exponent e with 10^e <= value < 10^(e+1), robust against log10 rounding.
int DecadeExponent(double value) {
    int e = static_cast<int>(std::floor(std::log10(value)));
    if (Decade(e) > value * (1 + kTickTolerance))
        --e;
    else if (Decade(e + 1) <= value * (1 + kTickTolerance))
        ++e;
    return e;
}

} // namespace

std::vector<CLogTick> LogTicks(double min, double max) {
    std::vector<CLogTick> ticks;
    if (!(min > 0.0) || !(max > min) || !std::isfinite(max))
        return ticks;
    const double below = max * (1 - kTickTolerance);
    int e = DecadeExponent(min);
    double step = Decade(e);
    double first = min;
    const double lead = min / step;
    if (std::trunc(lead * (1 + kTickTolerance)) != 1.0) {
        first = std::ceil(lead * (1 - kTickTolerance)) * step;
        if (first >= Decade(e + 1) * (1 - kTickTolerance)) {
            ++e;
            step = Decade(e);
            first = step;
        }
    }
    if (first >= below) {
        // The range ends before a whole multiple of its decade: only its limits.
        ticks.push_back({min, true});
        ticks.push_back({max, true});
        return ticks;
    }
    // After each major tick f of a decade of step s, eight minor ticks at f + s .. f + 8 s: counted from
    // the range's start in its first decade, from the power of ten in the others.
    double major = first;
    for (;;) {
        ticks.push_back({major, true});
        if (std::fabs(major - max) >= 1e-20) {
            for (int k = 1; k <= 8; ++k) {
                const double minor = major + k * step;
                if (minor >= below)
                    break;
                ticks.push_back({minor, false});
            }
        }
        ++e;
        step = Decade(e);
        if (step >= below)
            break;
        major = step;
    }
    ticks.push_back({max, true});
    return ticks;
}

} // namespace tailplot
