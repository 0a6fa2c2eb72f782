#include "waveform/common/NiceValues.h"

#include <cmath>

namespace waveform {

namespace {

// |x| scaled into [1, 10] with the power of ten taken out; x must be positive and finite.
double Mantissa(double x, int& decade) {
    double m = std::fabs(x);
    decade = 0;
    while (m > 10.0) {
        m /= 10.0;
        ++decade;
    }
    while (m < 1.0) {
        m *= 10.0;
        --decade;
    }
    return m;
}

bool Scalable(double x) {
    return std::isfinite(x) && x != 0.0;
}

double WithSign(double magnitude, double x) {
    return x < 0 ? -magnitude : magnitude;
}

} // namespace

double GetAdjacentScaleVertUpper(double x) {
    if (std::fabs(x) < 1e-20 || !Scalable(x))
        return x;
    int d = 0;
    const double m = Mantissa(x, d);
    const double n = m > 5 ? 10 : m > 2.5 ? 5 : m > 2 ? 2.5 : m > 1 ? 2 : 1;
    return WithSign(n * std::pow(10.0, d), x);
}

double GetAdjacentScaleVertLower(double x) {
    if (std::fabs(x) < 1e-20 || !Scalable(x))
        return x;
    int d = 0;
    const double m = Mantissa(x, d);
    const double n = m > 5 ? 5 : m > 2.5 ? 2.5 : m > 2 ? 2 : 1;
    return WithSign(n * std::pow(10.0, d), x);
}

double GetAdjacentScaleVertCenter(double x) {
    if (std::fabs(x) < 1e-20 || !Scalable(x))
        return x;
    int d = 0;
    const double m = Mantissa(x, d);
    const double n = std::trunc(std::floor(m * 10.0 + 0.5) / 10.0);
    return WithSign(n * std::pow(10.0, d), x);
}

double AlignAxisY(double span, double& value) {
    // A zero, negative, infinite or NaN span would never reach [1, 10].
    if (!(span > 0.0) || !std::isfinite(span))
        return 0.0;
    int d = 0;
    const double m = Mantissa(span, d);
    const double step = (m > 5 ? 10 : m > 2.5 ? 5 : m > 2 ? 2.5 : m > 1 ? 2 : 1) * std::pow(10.0, d);
    if (std::isfinite(value))
        value = step * std::trunc(value / step);
    return step;
}

} // namespace waveform
