#pragma once

#include <QString>
#include <string>
#include <string_view>

// 16-bit text for file and wire formats; wchar_t is 32 bits here and is never used for them.
namespace platform {

std::u16string ToU16(const QString& text);
QString FromU16(std::u16string_view text);

// Upper-cases ASCII letters only, whatever the locale ("μA" stays "μA").
QString AsciiUpper(const QString& text);
QString AsciiLower(const QString& text);

// Case-insensitive comparison of ASCII letters; other characters compare exactly.
bool EqualsAsciiNoCase(const QString& a, const QString& b);

} // namespace platform
