#pragma once

#include <QString>
#include <ctime>

namespace platform {

struct SLocalTime {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int dayOfWeek = 0; // 0 Sunday
};

// The local time now, to the millisecond.
SLocalTime GetLocalTime();

// strftime codes ("%Y-%m-%d_%H-%M-%S") on a local time, in the C locale; at most 'maxLength' characters.
// An empty text when the time cannot be converted.
QString FormatTime(std::time_t time, const QString& format, int maxLength = 256);

} // namespace platform
