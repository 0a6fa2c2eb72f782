#pragma once

#include <QString>
#include <cstdint>

// Measures the duration of a run on the monotonic clock.
class CHighResElapsedTimer {
public:
    CHighResElapsedTimer();
    virtual ~CHighResElapsedTimer() = default;

    // Takes the counter now as the start.
    void Start();

    // "%.2d.%.2d.%.2d.%.3d": hours, minutes, seconds and milliseconds since the start.
    QString GetElapsedText();

    // The same text for a duration in seconds (3723.5 gives "01.02.03.500").
    static QString FormatElapsed(double seconds);

private:
    std::int64_t m_startCount = 0;
    QString m_text;
};
