#pragma once

#include <atomic>
#include <chrono>

namespace benchsim {

// The simulated instruments' time: wall-clock time since construction, multiplied by a scale, so
// that tests can run a one-second capture in a few milliseconds.
class CSimClock {
public:
    CSimClock();

    // Simulated seconds per wall-clock second (1 = real time). Values ≤ 0 are ignored.
    void SetScale(double scale);
    double Scale() const { return m_scale.load(); }
    // Simulated seconds since the clock started.
    double Now() const;

private:
    const std::chrono::steady_clock::time_point m_start;
    std::atomic<double> m_scale{1.0};
    // Simulated time reached when the scale last changed, and the wall time of that change.
    std::atomic<double> m_baseSim{0.0};
    std::atomic<double> m_baseWall{0.0};
};

} // namespace benchsim
