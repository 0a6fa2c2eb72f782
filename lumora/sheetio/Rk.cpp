#include "lumora/sheetio/Rk.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

namespace SheetIO {

namespace {

double FromUpperBits(uint32_t upper) {
    const uint64_t bits = static_cast<uint64_t>(upper & 0xFFFFFFFCu) << 32;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// The upper 32 bits of w when its lowest 34 bits are clear, so the float form holds w exactly.
bool FloatForm(double w, uint32_t& upper) {
    uint64_t bits;
    std::memcpy(&bits, &w, sizeof bits);
    if ((bits & 0x3FFFFFFFFull) != 0)
        return false;
    upper = static_cast<uint32_t>(bits >> 32);
    return true;
}

// w rounded to the nearest integer, ties to even, as nearbyint rounds in the default mode, but
// without a call: adding and taking away 1.5 x 2^52 leaves no fraction bits. A w of 2^51 or more
// has none to lose.
double RoundToInteger(double w) {
    if (!(std::fabs(w) < 0x1p51))
        return w;
    constexpr double shifter = 0x1.8p52;
    const double r = (w + shifter) - shifter;
    return r == 0.0 ? std::copysign(0.0, w) : r;
}

} // namespace

CRkNumber DecodeRk(uint32_t rk) {
    const bool scaled = (rk & 1u) != 0;
    if (rk & 2u) {
        const int32_t n = static_cast<int32_t>(rk) >> 2;
        if (!scaled)
            return {true, n, static_cast<double>(n)};
        if (n % 100 == 0)
            return {true, n / 100, static_cast<double>(n / 100)};
        return {false, 0, n / 100.0};
    }
    const double v = FromUpperBits(rk);
    return {false, 0, scaled ? v / 100.0 : v};
}

bool EncodeRkDouble(double v, uint32_t& rk) {
    if (!std::isfinite(v))
        return false;
    uint32_t upper;
    if (FloatForm(v, upper)) {
        rk = upper;
        return true;
    }
    // v is not 0 here, so neither candidate may be 0; most measured values fail on the bits alone.
    const double scaled = v * 100.0;
    for (double w : {scaled, RoundToInteger(scaled)}) {
        if (w != 0.0 && FloatForm(w, upper) && FromUpperBits(upper) / 100.0 == v) {
            rk = upper | 1u;
            return true;
        }
    }
    return false;
}

bool EncodeRkInteger(int32_t v, uint32_t& rk) {
    if (v < -(1 << 29) || v >= (1 << 29))
        return false;
    rk = (static_cast<uint32_t>(v) << 2) | 2u;
    return true;
}

} // namespace SheetIO
