#include "DeviceUnderTest.h"

#include <cmath>
#include <cstdint>

namespace benchsim {
namespace {

// Deterministic noise in [-1, 1) from the instant, in microsecond steps.
double Noise(double t) {
    std::uint64_t x = static_cast<std::uint64_t>(std::llround(t * 1e6)) * 0x9E3779B97F4A7C15ull;
    x ^= x >> 31;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 29;
    return static_cast<double>(x >> 11) / static_cast<double>(1ull << 52) - 1.0;
}

} // namespace

double CDeviceUnderTest::Current(double t) const {
    const SProfile& p = m_profile;
    double phase = std::fmod(t - p.burstOffset, p.burstPeriod);
    if (phase < 0)
        phase += p.burstPeriod;
    if (phase < p.burstWidth)
        return p.burstCurrent + p.burstNoise * Noise(t);
    return p.sleepCurrent + p.sleepNoise * Noise(t);
}

} // namespace benchsim
