#include "Numbers.h"
#include "ParseNumber.h"

#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <locale.h>

namespace platform {
namespace {

locale_t CLocale() {
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

// Switches the calling thread to the C locale for the lifetime of the object.
class CScopedCLocale {
public:
    CScopedCLocale() : m_previous(uselocale(CLocale())) {}
    ~CScopedCLocale() { uselocale(m_previous); }
    CScopedCLocale(const CScopedCLocale&) = delete;
    CScopedCLocale& operator=(const CScopedCLocale&) = delete;

private:
    locale_t m_previous;
};

std::string VFormat(const char* format, va_list args) {
    CScopedCLocale cLocale;
    char small[256];
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(small, sizeof(small), format, copy);
    va_end(copy);
    if (n < 0)
        return {};
    if (static_cast<size_t>(n) < sizeof(small))
        return std::string(small, static_cast<size_t>(n));
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), format, args);
    big.resize(static_cast<size_t>(n));
    return big;
}

} // namespace

std::int32_t WToI(const QString& text) {
    return ReadPrefixInt(text).value;
}

double WToF(const QString& text) {
    return ReadPrefixDouble(text).value;
}

std::uint32_t WcsToUL(const QString& text, int base) {
    return ReadPrefixUInt(text, base).value;
}

QString CFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = VFormat(format, args);
    va_end(args);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string CFormatA(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = VFormat(format, args);
    va_end(args);
    return text;
}

namespace {

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr std::uint64_t kPow10Int[] = {1ull,
                                       10ull,
                                       100ull,
                                       1000ull,
                                       10000ull,
                                       100000ull,
                                       1000000ull,
                                       10000000ull,
                                       100000000ull,
                                       1000000000ull,
                                       10000000000ull,
                                       100000000000ull,
                                       1000000000000ull,
                                       10000000000000ull,
                                       100000000000000ull,
                                       1000000000000000ull,
                                       10000000000000000ull};
// The fast forms handle this many decimals; more go through std::to_chars.
constexpr int kFastPrecision = 15;

char* FormatChars(char* at, double v, int precision, std::chars_format format) {
    return std::to_chars(at, at + kNumberChars, v, format, std::clamp(precision, 0, 40)).ptr;
}

// p rounded to the nearest integer when p (one correct rounding of the exact scaled value) lies far
// enough from a half-integer that the exact value rounds the same way; false near a tie.
bool RoundScaled(double p, std::uint64_t& rounded) {
    const double whole = std::floor(p);
    const double fraction = p - whole;
    // Two units in the last place of p, at least: more than p's distance from the exact value.
    const double spacing = p * 0x1p-51 + std::numeric_limits<double>::denorm_min();
    if (std::fabs(fraction - 0.5) <= spacing)
        return false;
    rounded = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1u : 0u);
    return true;
}

// The decimal digits of value, at least minDigits of them (leading zeros), two at a time.
char* PutDigits(char* at, std::uint64_t value, int minDigits) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    int count = 1;
    while (count < static_cast<int>(std::size(kPow10Int)) && value >= kPow10Int[count])
        ++count;
    count = std::max(count, minDigits);
    char* const end = at + count;
    char* digit = end;
    while (value >= 100) {
        const auto pair = static_cast<unsigned>(value % 100) * 2;
        value /= 100;
        *--digit = kPairs[pair + 1];
        *--digit = kPairs[pair];
    }
    if (value >= 10) {
        *--digit = kPairs[value * 2 + 1];
        *--digit = kPairs[value * 2];
    } else {
        *--digit = static_cast<char>('0' + value);
    }
    while (digit > at)
        *--digit = '0';
    return end;
}

// sign, integer part, point and the decimals of a scaled value.
char* PutScaled(char* at, bool negative, std::uint64_t scaled, int precision) {
    if (negative)
        *at++ = '-';
    at = PutDigits(at, scaled / kPow10Int[precision], 1);
    if (precision > 0) {
        *at++ = '.';
        at = PutDigits(at, scaled % kPow10Int[precision], precision);
    }
    return at;
}

// "%.<precision>f" from one multiplication by an exact power of ten, when the result is certain;
// null when it is not.
char* FormatFixedFast(char* at, double v, int precision) {
    if (precision < 0 || precision > kFastPrecision)
        return nullptr;
    const double magnitude = std::fabs(v);
    // Keeps the scaled value below 2^53, where every integer is exact; fails for inf and nan too.
    if (!(magnitude < 9.0e15 / kPow10[precision]))
        return nullptr;
    std::uint64_t scaled;
    if (!RoundScaled(magnitude * kPow10[precision], scaled))
        return nullptr;
    return PutScaled(at, std::signbit(v), scaled, precision);
}

// "%.<precision>e" the same way: the value scaled to precision + 1 digits by one exact power of ten.
char* FormatExponentFast(char* at, double v, int precision) {
    if (precision < 0 || precision > kFastPrecision)
        return nullptr;
    const double magnitude = std::fabs(v);
    if (!(magnitude >= 1e-200 && magnitude < 1e200))
        return nullptr;
    // log10 of 2^binary as a first guess; the loop below moves it to the right decade.
    int binary = 0;
    std::frexp(magnitude, &binary);
    int exponent = static_cast<int>(std::floor((binary - 1) * 0.30102999566398120));
    double scaled = 0.0;
    for (int attempt = 0; attempt < 4; ++attempt) {
        const int shift = precision - exponent;
        if (shift > 22 || shift < -22)
            return nullptr;
        scaled = shift >= 0 ? magnitude * kPow10[shift] : magnitude / kPow10[-shift];
        if (scaled < kPow10[precision])
            --exponent;
        else if (scaled >= kPow10[precision + 1])
            ++exponent;
        else
            break;
    }
    if (scaled < kPow10[precision] || scaled >= kPow10[precision + 1])
        return nullptr;
    std::uint64_t digits;
    if (!RoundScaled(scaled, digits))
        return nullptr;
    if (digits == kPow10Int[precision + 1]) {
        digits = kPow10Int[precision];
        ++exponent;
    }
    at = PutScaled(at, std::signbit(v), digits, precision);
    *at++ = 'e';
    *at++ = exponent < 0 ? '-' : '+';
    return PutDigits(at, static_cast<std::uint64_t>(exponent < 0 ? -exponent : exponent), 2);
}

} // namespace

char* FormatFixed(char* at, double v, int precision) {
    char* end = FormatFixedFast(at, v, precision);
    return end != nullptr ? end : FormatChars(at, v, precision, std::chars_format::fixed);
}

char* FormatExponent(char* at, double v, int precision) {
    char* end = FormatExponentFast(at, v, precision);
    return end != nullptr ? end : FormatChars(at, v, precision, std::chars_format::scientific);
}

void AppendFixed(std::string& out, double v, int precision) {
    char buffer[kNumberChars];
    out.append(buffer, FormatFixed(buffer, v, precision));
}

void AppendExponent(std::string& out, double v, int precision) {
    char buffer[kNumberChars];
    out.append(buffer, FormatExponent(buffer, v, precision));
}

QString FormatExact(double v, int minDecimals) {
    minDecimals = std::clamp(minDecimals, 0, 40);
    char buffer[kNumberChars];
    char* end = FormatFixed(buffer, v, minDecimals);
    double back = 0.0;
    if (!std::isfinite(v) || (std::from_chars(buffer, end, back).ec == std::errc() && back == v))
        return QString::fromLatin1(buffer, static_cast<qsizetype>(end - buffer));
    // The shortest text that reads back as v, with the decimals asked for at least.
    end = std::to_chars(buffer, buffer + kNumberChars, v, std::chars_format::fixed).ptr;
    QString text = QString::fromLatin1(buffer, static_cast<qsizetype>(end - buffer));
    const qsizetype point = text.indexOf(u'.');
    const qsizetype decimals = point < 0 ? 0 : text.size() - point - 1;
    if (decimals < minDecimals)
        text += (point < 0 ? QStringLiteral(".") : QString()) + QString(minDecimals - decimals, u'0');
    return text;
}

} // namespace platform
