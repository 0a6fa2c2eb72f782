#pragma once

#include <QColor>
#include <cstdint>

// Colours are stored as 0x00BBGGRR values, as the parameter files hold them.
using COLORREF = std::uint32_t;

namespace waveform {

constexpr COLORREF Rgb(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

inline QColor ToQColor(COLORREF colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

inline COLORREF FromQColor(const QColor& colour) {
    return Rgb(colour.red(), colour.green(), colour.blue());
}

} // namespace waveform
