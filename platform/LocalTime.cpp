#include "LocalTime.h"

#include <locale.h>
#include <sys/time.h>
#include <vector>

namespace platform {

SLocalTime GetLocalTime() {
    timeval now{};
    gettimeofday(&now, nullptr);
    std::tm local{};
    const std::time_t seconds = now.tv_sec;
    localtime_r(&seconds, &local);
    SLocalTime t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    t.millisecond = static_cast<int>(now.tv_usec / 1000);
    t.dayOfWeek = local.tm_wday;
    return t;
}

QString FormatTime(std::time_t time, const QString& format, int maxLength) {
    std::tm local{};
    if (localtime_r(&time, &local) == nullptr || maxLength <= 0)
        return {};
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    const QByteArray fmt = format.toUtf8();
    std::vector<char> buffer(static_cast<size_t>(maxLength) * 4 + 1);
    const size_t n = strftime_l(buffer.data(), buffer.size(), fmt.constData(), &local, cLocale);
    return QString::fromUtf8(buffer.data(), static_cast<qsizetype>(n)).left(maxLength);
}

} // namespace platform
