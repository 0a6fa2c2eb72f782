#include "Numbers.h"

#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
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

// Only the leading ASCII part can hold a number; anything else ends it.
QByteArray NumberPrefix(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() >= 0x80 || c.unicode() == 0)
            break;
        bytes.append(static_cast<char>(c.unicode()));
    }
    return bytes;
}

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
    const QByteArray bytes = NumberPrefix(text);
    CScopedCLocale cLocale;
    errno = 0;
    const long long v = std::strtoll(bytes.constData(), nullptr, 10);
    if (v > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

double WToF(const QString& text) {
    const QByteArray bytes = NumberPrefix(text);
    CScopedCLocale cLocale;
    return std::strtod(bytes.constData(), nullptr);
}

std::uint32_t WcsToUL(const QString& text, int base) {
    const QByteArray bytes = NumberPrefix(text);
    const char* p = bytes.constData();
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (*p == '+' || *p == '-')
        return 0;
    CScopedCLocale cLocale;
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(p, &end, base);
    if (end == p)
        return 0;
    if (errno == ERANGE || v > std::numeric_limits<std::uint32_t>::max())
        return std::numeric_limits<std::uint32_t>::max();
    const auto u = static_cast<std::uint32_t>(v);
    return negative ? static_cast<std::uint32_t>(0u - u) : u;
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

void AppendChars(std::string& out, double v, int precision, std::chars_format format) {
    // The widest text: 309 integer digits of DBL_MAX, sign, point and 40 decimals.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof(buffer), v, format, std::clamp(precision, 0, 40));
    out.append(buffer, result.ptr);
}

} // namespace

void AppendFixed(std::string& out, double v, int precision) {
    AppendChars(out, v, precision, std::chars_format::fixed);
}

void AppendExponent(std::string& out, double v, int precision) {
    AppendChars(out, v, precision, std::chars_format::scientific);
}

} // namespace platform
