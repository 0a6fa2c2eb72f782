#include "ListSortCompare.h"

#include "platform/Numbers.h"

#include <QDateTime>
#include <QLocale>
#include <cmath>
#include <cstdint>
#include <limits>

namespace controls {
namespace {

int Sign(std::int64_t value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// The difference clamped to int, so that far-apart values keep their order.
int ClampedDifference(std::int64_t difference) {
    if (difference > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (difference < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(difference);
}

int CompareNumberOrText(const QString& a, const QString& b, Qt::CaseSensitivity sensitivity) {
    const std::int32_t x = platform::WToI(a);
    const std::int32_t y = platform::WToI(b);
    if (x != 0 && y != 0 && x != y && a == QString::number(x) && b == QString::number(y))
        return Sign(static_cast<std::int64_t>(x) - y);
    return QString::compare(a, b, sensitivity);
}

constexpr double kHalfSecond = 5.787037037037037e-06;

int CompareDates(const QString& a, const QString& b) {
    double x = 0.0, y = 0.0;
    const bool okX = ParseListDate(a, x);
    const bool okY = ParseListDate(b, y);
    if (okX && okY)
        return std::fabs(x - y) < kHalfSecond ? 0 : (x < y ? -1 : 1);
    if (!okX && !okY)
        return 0;
    return 1;
}

} // namespace

bool ParseListDate(const QString& text, double& days) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    const QLocale locale = QLocale::system();
    QDateTime when;
    for (const QLocale::FormatType format : {QLocale::ShortFormat, QLocale::LongFormat}) {
        when = locale.toDateTime(trimmed, format);
        if (when.isValid())
            break;
        const QDate date = locale.toDate(trimmed, format);
        if (date.isValid()) {
            when = QDateTime(date, QTime(0, 0));
            break;
        }
    }
    for (const char* format : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd H:mm:ss", "yyyy/M/d H:mm:ss",
                               "yyyy-MM-dd HH:mm", "yyyy/M/d H:mm", "yyyy-MM-dd", "yyyy/M/d"}) {
        if (when.isValid())
            break;
        when = QDateTime::fromString(trimmed, QString::fromLatin1(format));
    }
    if (!when.isValid()) {
        const QTime time = QTime::fromString(trimmed, QStringLiteral("H:mm:ss"));
        if (!time.isValid())
            return false;
        when = QDateTime(QDate(1899, 12, 30), time);
    }
    // Linear days: whole days from the epoch plus the time of day, also before the epoch.
    const qint64 wholeDays = QDate(1899, 12, 30).daysTo(when.date());
    days = static_cast<double>(wholeDays) + when.time().msecsSinceStartOfDay() / 86400000.0;
    return true;
}

int CompareListTexts(int type, const QString& a, const QString& b) {
    switch (type) {
    case eSortNone:
        return 0;
    case eSortInteger:
        return Sign(static_cast<std::int64_t>(platform::WToI(a)) - platform::WToI(b));
    case eSortDouble: {
        const double difference = platform::WToF(a) - platform::WToF(b);
        if (std::isnan(difference))
            return 0;
        if (difference >= static_cast<double>(std::numeric_limits<int>::max()))
            return std::numeric_limits<int>::max();
        if (difference <= static_cast<double>(std::numeric_limits<int>::min()))
            return std::numeric_limits<int>::min();
        return ClampedDifference(static_cast<std::int64_t>(std::trunc(difference)));
    }
    case eSortNumberOrText:
        return CompareNumberOrText(a, b, Qt::CaseSensitive);
    case eSortTextNoCase:
        return QString::compare(a, b, Qt::CaseInsensitive);
    case eSortNumberOrTextNoCase:
        return CompareNumberOrText(a, b, Qt::CaseInsensitive);
    case eSortDate:
        return CompareDates(a, b);
    default:
        return QString::compare(a, b, Qt::CaseSensitive);
    }
}

} // namespace controls
