#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>

// Number texts in the C locale, whatever the process locale, with the 32-bit results the stored
// files were written for.
namespace platform {

// The C runtime's _wtoi, _wtof and wcstoul: the value of the prefix rule (ParseNumber.h), and 0 where
// the text holds no number. Only for what a stored format or a reply defines that way; a reader that
// must tell "no number" from 0 uses ReadPrefixInt / ReadPrefixDouble / ReadPrefixUInt.
// _wtoi: out of range saturates at INT32_MIN / INT32_MAX.
std::int32_t WToI(const QString& text);
// _wtof: out of range gives the infinity wcstod gives, "inf" and "nan" what they say.
double WToF(const QString& text);
// wcstoul with a 32-bit unsigned long: an optional '-' negates modulo 2^32, out of range gives
// UINT32_MAX. Base 0 chooses 8, 10 or 16 from the prefix.
std::uint32_t WcsToUL(const QString& text, int base = 10);

// printf-style formatting in the C locale ("%.6f", "%d", "%.3e", ...).
QString CFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string CFormatA(const char* format, ...) __attribute__((format(printf, 1, 2)));

// v as "%.<minDecimals>f" when that reads back as v, else with as many more decimals as it takes (the
// shortest such text): a display format that never changes the value.
QString FormatExact(double v, int minDecimals);

// Appends v as "%.<precision>f" or "%.<precision>e" would write it (same digits, same rounding, "inf",
// "nan"), through std::to_chars: no locale, no format parsing, for writers of millions of numbers.
// The precision is bounded to 0..40.
void AppendFixed(std::string& out, double v, int precision);
void AppendExponent(std::string& out, double v, int precision);

// The same into a buffer with room for kNumberChars characters; the end of the text.
constexpr std::size_t kNumberChars = 400;
char* FormatFixed(char* at, double v, int precision);
char* FormatExponent(char* at, double v, int precision);

} // namespace platform
