#include "ParseNumber.h"

#include <limits>

namespace platform {
namespace {

using number_detail::IsSpace;

// The text without the blanks around it.
QStringView Trimmed(QStringView text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].isSpace())
        ++first;
    while (last > first && text[last - 1].isSpace())
        --last;
    return text.mid(first, last - first);
}

// The leading ASCII characters of the text (the only ones a number can have).
std::string AsciiPrefix(QStringView text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x80 || c == 0)
            break;
        bytes.push_back(static_cast<char>(c));
    }
    return bytes;
}

template <typename T> SNumber<T> Fault(ENumberFault fault, T value = T()) {
    SNumber<T> result;
    result.value = value;
    result.fault = fault;
    return result;
}

template <typename T> SNumber<T> Number(T value, qsizetype length) {
    SNumber<T> result;
    result.value = value;
    result.fault = ENumberFault::eNone;
    result.length = length;
    return result;
}

// An optional sign and decimal digits from p as a 32-bit integer: eNoNumber without digits, eOutOfRange
// with the saturated value beyond 32 bits. end is after the digits.
SNumber<std::int32_t> SignedDecimal(const char* p, const char* last, const char*& end) {
    end = p;
    bool negative = false;
    if (p < last && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    if (p == last || !number_detail::IsDigit(*p))
        return Fault<std::int32_t>(ENumberFault::eNoNumber);
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    const std::int64_t limit = negative ? kMax + 1 : kMax;
    std::int64_t magnitude = 0;
    bool over = false;
    for (; p < last && number_detail::IsDigit(*p); ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > limit) {
            magnitude = limit;
            over = true;
        }
    }
    end = p;
    const auto value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return over ? Fault(ENumberFault::eOutOfRange, value) : Number(value, 0);
}

} // namespace

SNumber<double> ReadStrictDouble(QStringView text) {
    const QStringView trimmed = Trimmed(text);
    const std::string bytes = AsciiPrefix(trimmed);
    const char* first = bytes.data();
    const char* const last = first + bytes.size();
    bool negative = false;
    if (first < last && (*first == '+' || *first == '-'))
        negative = *first++ == '-';
    if (first == last || !(number_detail::IsDigit(*first) || *first == '.')) {
        const bool word = number_detail::IsNotFiniteWord(first, last);
        return Fault<double>(word ? ENumberFault::eNotFinite : ENumberFault::eNoNumber);
    }
    double value = 0.0;
    const auto [end, ec] = DecimalFromChars(first, last, value);
    if (ec == std::errc::invalid_argument)
        return Fault<double>(ENumberFault::eNoNumber);
    if (static_cast<qsizetype>(end - bytes.data()) != trimmed.size())
        return Fault<double>(ENumberFault::eExtraText);
    if (ec == std::errc::result_out_of_range) {
        if (number_detail::Overflows(first, end))
            return Fault<double>(ENumberFault::eOutOfRange);
        value = 0.0;
    }
    return Number(negative ? -value : value, text.size());
}

SNumber<std::int32_t> ReadStrictInt(QStringView text) {
    const QStringView trimmed = Trimmed(text);
    const std::string bytes = AsciiPrefix(trimmed);
    const char* end = nullptr;
    SNumber<std::int32_t> result = SignedDecimal(bytes.data(), bytes.data() + bytes.size(), end);
    if (result.fault == ENumberFault::eNoNumber)
        return result;
    if (static_cast<qsizetype>(end - bytes.data()) != trimmed.size())
        return Fault<std::int32_t>(ENumberFault::eExtraText);
    if (!result.Ok())
        return Fault<std::int32_t>(result.fault);
    result.length = text.size();
    return result;
}

SNumber<double> ReadPrefixDouble(QStringView text) {
    const auto* first = reinterpret_cast<const char16_t*>(text.utf16());
    const char16_t* const last = first + text.size();
    double value = 0.0;
    ENumberFault fault = ENumberFault::eNoNumber;
    const char16_t* end = ParseNumberPrefix(first, last, value, fault);
    if (end != nullptr)
        return Number(value, end - first);
    // What wcstod gives for the numbers it reads that are not finite.
    const char16_t* p = first;
    while (p < last && IsSpace(*p))
        ++p;
    const bool negative = p < last && *p == u'-';
    if (fault == ENumberFault::eOutOfRange)
        return Fault(fault, negative ? -HUGE_VAL : HUGE_VAL);
    if (fault == ENumberFault::eNotFinite) {
        if (p < last && (*p == u'+' || *p == u'-'))
            ++p;
        const bool infinite = p < last && (*p == u'i' || *p == u'I');
        const double v = infinite ? HUGE_VAL : std::numeric_limits<double>::quiet_NaN();
        return Fault(fault, negative ? -v : v);
    }
    return Fault<double>(fault);
}

SNumber<std::int32_t> ReadPrefixInt(QStringView text) {
    const std::string bytes = AsciiPrefix(text);
    const char* p = bytes.data();
    const char* const last = p + bytes.size();
    while (p < last && IsSpace(static_cast<unsigned char>(*p)))
        ++p;
    const char* end = nullptr;
    SNumber<std::int32_t> result = SignedDecimal(p, last, end);
    if (result.fault != ENumberFault::eNoNumber)
        result.length = end - bytes.data();
    return result;
}

SNumber<std::uint32_t> ReadPrefixUInt(QStringView text, int base) {
    const std::string bytes = AsciiPrefix(text);
    const char* p = bytes.data();
    const char* const last = p + bytes.size();
    while (p < last && IsSpace(static_cast<unsigned char>(*p)))
        ++p;
    bool negative = false;
    if (p < last && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    if (base != 0 && (base < 2 || base > 36))
        return Fault<std::uint32_t>(ENumberFault::eNoNumber);
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        const char lower = number_detail::Lower(c);
        return lower >= 'a' && lower <= 'z' ? lower - 'a' + 10 : 99;
    };
    // "0x" is taken for base 16 (and chooses it for base 0) only when a hexadecimal digit follows;
    // a leading 0 chooses 8 for base 0.
    const bool hexPrefix = last - p >= 3 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && digit(p[2]) < 16;
    if (base == 0)
        base = hexPrefix ? 16 : (p < last && *p == '0' ? 8 : 10);
    if (base == 16 && hexPrefix)
        p += 2;
    if (p == last || digit(*p) >= base)
        return Fault<std::uint32_t>(ENumberFault::eNoNumber);
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    std::uint64_t value = 0;
    bool over = false;
    for (; p < last && digit(*p) < base; ++p) {
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit(*p));
        if (value > kMax) {
            value = kMax;
            over = true;
        }
    }
    const qsizetype length = p - bytes.data();
    if (over) {
        SNumber<std::uint32_t> result = Fault<std::uint32_t>(ENumberFault::eOutOfRange, std::uint32_t(kMax));
        result.length = length;
        return result;
    }
    const auto u = static_cast<std::uint32_t>(value);
    return Number(negative ? static_cast<std::uint32_t>(0u - u) : u, length);
}

} // namespace platform
