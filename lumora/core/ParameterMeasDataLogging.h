#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Acquisition time and sample count of a data-logging run. Its seven integers are a layout contract
// with the driver libraries, which compile this same declaration.
class CParameterMeasDataLogging {
public:
    CParameterMeasDataLogging() = default;
    CParameterMeasDataLogging(const CParameterMeasDataLogging&) = default;
    CParameterMeasDataLogging& operator=(const CParameterMeasDataLogging&) = default;
    virtual ~CParameterMeasDataLogging() = default;

    int AcqTimeHour = 0;
    int AcqTimeMinute = 0;
    int AcqTimeSecond = 30;
    int AutoNPLC = 0;
    int DataLoggingMeas = 0;
    unsigned DataAcqNumber = 0;
    unsigned FileSize = 0;
};
static_assert(sizeof(int) == 4 && sizeof(unsigned) == 4 && sizeof(double) == 8);
static_assert(sizeof(CParameterMeasDataLogging) == sizeof(void*) + 7 * 4 + (sizeof(void*) == 8 ? 4 : 0));

// The most samples of a multimeter capture or run: its buffer, tested by the measurement settings
// dialogs in the modes that measure with the multimeter.
constexpr int kMaxDataAcqNumber = 6000000;

// The seconds a run of hours:minutes:seconds lasts; a time that is not positive counts as 10 s. The
// run's sample count is computed from it, and the run lasts it.
inline double DataAcqSeconds(float hours, float minutes, float seconds) {
    const double total = static_cast<double>(hours) * 3600.0 + static_cast<double>(minutes) * 60.0 + seconds;
    return total > 0.0 ? total : 10.0;
}

// Samples of a run of hours:minutes:seconds at nplc power-line cycles per sample, not capped: the
// settings dialogs test this against the instruments' limits. A period that is not positive counts as
// 1 s, the time is DataAcqSeconds; an undefined count is 0.
inline double CountDataAcqSamples(float hours, float minutes, float seconds, double nplc,
                                  double lineFrequency) {
    double period = nplc / lineFrequency;
    if (!(period > 0.0))
        period = 1.0;
    const double total = DataAcqSeconds(hours, minutes, seconds);
    const double count = std::ceil(total / period);
    return std::isnan(count) ? 0.0 : count;
}

// The sample count of a run as an int: a count beyond int (a time no run lasts) is the largest int.
inline int CalcDataAcqNumber(float hours, float minutes, float seconds, double nplc, double lineFrequency) {
    const double count = CountDataAcqSamples(hours, minutes, seconds, nplc, lineFrequency);
    if (!(count < static_cast<double>(std::numeric_limits<int>::max())))
        return std::numeric_limits<int>::max();
    return static_cast<int>(count);
}

// Whole seconds that 'count' samples last at a cycles per sample and b Hz: floor(count / (b / a)).
// A result beyond int saturates; an undefined one is 0.
inline int CalcCountPerPeriod(unsigned count, double a, double b) {
    const double seconds = std::floor(static_cast<double>(count) / (b / a));
    if (std::isnan(seconds))
        return 0;
    if (seconds >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (seconds <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(seconds);
}
