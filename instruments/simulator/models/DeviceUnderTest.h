#pragma once

namespace benchsim {

// A battery-powered device that sleeps at a few microamps and wakes periodically for short
// bursts of milliamps, the profile the bench is built to measure. Its current is a pure
// function of time, so every instrument reading the same instant sees the same value.
class CDeviceUnderTest {
public:
    struct SProfile {
        double sleepCurrent = 4.5e-6;  // amperes while asleep
        double sleepNoise = 0.15e-6;   // peak noise while asleep
        double burstCurrent = 12.0e-3; // amperes during a burst
        double burstNoise = 0.4e-3;    // peak noise during a burst
        double burstPeriod = 0.1;      // seconds between bursts
        double burstWidth = 0.002;     // seconds of each burst
        double burstOffset = 0.013;    // first burst after this time
    };

    CDeviceUnderTest() = default;
    explicit CDeviceUnderTest(const SProfile& profile) : m_profile(profile) {}

    // The current drawn at simulated time t (seconds).
    double Current(double t) const;
    const SProfile& Profile() const { return m_profile; }

private:
    SProfile m_profile;
};

} // namespace benchsim
