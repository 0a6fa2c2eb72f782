#include "DialogUnits.h"

#include <QFontMetrics>
#include <cstdint>
#include <limits>

namespace controls {

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    std::int64_t quotient = product / c;
    const std::int64_t remainder = product % c;
    // Round half away from zero.
    if (2 * (remainder < 0 ? -remainder : remainder) >= (c < 0 ? -static_cast<std::int64_t>(c) : c))
        quotient += ((product < 0) != (c < 0)) ? -1 : 1;
    if (quotient > std::numeric_limits<int>::max() || quotient < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(quotient);
}

QSize DialogBaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int width = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    return QSize(width, metrics.height());
}

QRect DialogUnitsToPixels(const QFont& font, const QRect& dialogUnits) {
    const QSize base = DialogBaseUnits(font);
    const int left = MulDiv(dialogUnits.x(), base.width(), 4);
    const int top = MulDiv(dialogUnits.y(), base.height(), 8);
    const int right = MulDiv(dialogUnits.x() + dialogUnits.width(), base.width(), 4);
    const int bottom = MulDiv(dialogUnits.y() + dialogUnits.height(), base.height(), 8);
    return QRect(left, top, right - left, bottom - top);
}

} // namespace controls
