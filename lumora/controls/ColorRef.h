#pragma once

#include <QColor>
#include <cstdint>

namespace controls {

// Colours are stored as 0x00BBGGRR values and converted only when painting.
using COLORREF = std::uint32_t;
// A colour slot that is not set.
constexpr COLORREF CLR_UNSET = 0xFFFFFFFFu;

constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>(r & 0xFF) | (static_cast<COLORREF>(g & 0xFF) << 8) |
           (static_cast<COLORREF>(b & 0xFF) << 16);
}
constexpr int GetRValue(COLORREF c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GetGValue(COLORREF c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int GetBValue(COLORREF c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

inline QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
inline COLORREF ToColorRef(const QColor& c) {
    return RGB(c.red(), c.green(), c.blue());
}

} // namespace controls
