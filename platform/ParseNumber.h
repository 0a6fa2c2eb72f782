#pragma once

#include <QStringView>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

// Reading numbers from text, by one of two rules, always in the C locale whatever the process locale:
//
// strict   what a user types into a dialog, a pane or the options: the whole text but blanks around it
//          (QChar::isSpace) is one decimal number: an optional sign, ASCII digits with at most one
//          point, an optional exponent ("1e-3"). No digit grouping ("0,005" and "3,300" are not
//          numbers), no unit ("5V"), no hexadecimal, no other script's digits; the value must be
//          finite ("inf", "nan", "1e400" are refused). An integer has no point and no exponent and
//          fits in 32 bits.
// prefix   what instrument replies, files and records hold, read as the C runtime's wcstod / _wtof /
//          _wtoi / wcstoul read them: leading white space, then the longest number there (decimal,
//          or "0x" hexadecimal), whatever follows it ("2.5V" is 2.5, "1,5" is 1).
//
// Each gives its value with a fault, never a silent 0: a caller that needs the CRT's "0 when there is
// no number" says so where it reads (platform::WToF and friends in Numbers.h do exactly that).
namespace platform {

enum class ENumberFault : std::uint8_t {
    eNone,       // a number
    eNoNumber,   // empty, only blanks, or no number where one must begin
    eExtraText,  // strict: a number and then something that is not a blank ("5V", "0,005", "1 2")
    eOutOfRange, // beyond the type: a double overflowing ("1e400"), an integer beyond 32 bits
    eNotFinite,  // "inf", "infinity", "nan"
};

template <typename T> struct SNumber {
    // The number; 0 unless fault is eNone, except for the prefix rule's eOutOfRange and eNotFinite,
    // where it is what the C runtime gives (infinity or NaN for a double, the saturated integer).
    T value{};
    ENumberFault fault = ENumberFault::eNoNumber;
    // When it is a number: the characters read, leading white space included (the prefix rule), or
    // the whole text (the strict rule).
    qsizetype length = 0;

    bool Ok() const { return fault == ENumberFault::eNone; }
    explicit operator bool() const { return Ok(); }
};

// ---- strict ----------------------------------------------------------------------------------------

SNumber<double> ReadStrictDouble(QStringView text);
SNumber<std::int32_t> ReadStrictInt(QStringView text);

// ---- prefix ----------------------------------------------------------------------------------------

// wcstod / _wtof: a value that overflows is eOutOfRange with the infinity wcstod gives; one that
// underflows is the nearest double (a denormal, or 0), no fault.
SNumber<double> ReadPrefixDouble(QStringView text);
// _wtoi: decimal digits; beyond 32 bits is eOutOfRange with INT32_MIN or INT32_MAX.
SNumber<std::int32_t> ReadPrefixInt(QStringView text);
// wcstoul with a 32-bit unsigned long: an optional '-' negates modulo 2^32, beyond 32 bits is
// eOutOfRange with UINT32_MAX. Base 0 chooses 8, 10 or 16 from the prefix.
SNumber<std::uint32_t> ReadPrefixUInt(QStringView text, int base = 10);

// The prefix rule on raw characters, for readers of millions of fields: kept inline so that they
// compile into the readers' loops.
//
// ParseNumberPrefix: the end of the number at the start of [first, last), or null when there is none
// or it is not finite (its fault, when asked for, says which); value is set only when there is one.
// DecimalFromChars: std::from_chars for a decimal number (an optional '-', no blanks, no '+'), the same
// value to the bit, with the common short form done at once.
inline std::from_chars_result DecimalFromChars(const char* first, const char* last, double& value);
inline const char* ParseNumberPrefix(const char* first, const char* last, double& value);
inline const char* ParseNumberPrefix(const char* first, const char* last, double& value, ENumberFault& fault);
inline const char16_t* ParseNumberPrefix(const char16_t* first, const char16_t* last, double& value);
inline const char16_t* ParseNumberPrefix(const char16_t* first, const char16_t* last, double& value,
                                         ENumberFault& fault);

// ---- the inline part ---------------------------------------------------------------------------------

namespace number_detail {

inline bool IsSpace(unsigned c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

inline char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether [first, last) begins with the lower-case word, in any case.
inline bool StartsWithWord(const char* first, const char* last, const char* word) {
    for (; *word != '\0'; ++word, ++first) {
        if (first == last || Lower(*first) != *word)
            return false;
    }
    return true;
}

// Whether a decimal number that from_chars found out of range is too large (else it is too small:
// from_chars takes denormals, so it is 0, as wcstod gives it).
inline bool Overflows(const char* first, const char* last) {
    std::int64_t leading = 0; // digits before the point after leading zeros
    std::int64_t zeros = 0;   // zeros after the point before the first other digit, when leading is 0
    const char* p = first;
    while (p < last && *p == '0')
        ++p;
    while (p < last && IsDigit(*p)) {
        ++leading;
        ++p;
    }
    if (p < last && *p == '.') {
        ++p;
        if (leading == 0) {
            while (p < last && *p == '0') {
                ++zeros;
                ++p;
            }
        }
        while (p < last && IsDigit(*p))
            ++p;
    }
    std::int64_t exponent = 0;
    if (p < last && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negative = false;
        if (p < last && (*p == '+' || *p == '-'))
            negative = *p++ == '-';
        while (p < last && IsDigit(*p)) {
            exponent = std::min<std::int64_t>(exponent * 10 + (*p - '0'), 1'000'000'000);
            ++p;
        }
        if (negative)
            exponent = -exponent;
    }
    const std::int64_t magnitude = leading > 0 ? leading - 1 + exponent : exponent - zeros - 1;
    return magnitude > 0;
}

// Whether the text begins with "inf" or "nan" (in any case), the words strtod reads as such.
inline bool IsNotFiniteWord(const char* first, const char* last) {
    return StartsWithWord(first, last, "inf") || StartsWithWord(first, last, "nan");
}

} // namespace number_detail

// Up to 15 significant digits and a power of ten up to 22 are exact doubles, so their product or
// quotient is the correctly rounded value, the one from_chars gives (the fast path of Clinger).
// Anything else goes to from_chars.
inline std::from_chars_result DecimalFromChars(const char* first, const char* last, double& value) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    using number_detail::IsDigit;
    const char* p = first;
    const bool negative = p < last && *p == '-';
    if (negative)
        ++p;
    std::uint64_t mantissa = 0;
    int exponent = 0;
    auto digitsFrom = [&](const char* q) {
        for (unsigned d; q < last && (d = static_cast<unsigned char>(*q) - '0') <= 9; ++q)
            mantissa = mantissa * 10 + d;
        return q;
    };
    const char* integer = p;
    while (p < last && *p == '0')
        ++p;
    const char* significantFrom = p;
    p = digitsFrom(p);
    std::ptrdiff_t significant = p - significantFrom;
    bool digits = p > integer;
    if (p < last && *p == '.') {
        const char* fraction = ++p;
        // Zeros after the point count as significant only after a digit that is not one.
        if (significant == 0) {
            while (p < last && *p == '0')
                ++p;
        }
        const char* fractionDigits = p;
        p = digitsFrom(p);
        significant += p - fractionDigits;
        exponent = -static_cast<int>(std::min<std::ptrdiff_t>(p - fraction, 100000));
        digits = digits || p > fraction;
    }
    if (digits && significant <= 15) {
        if (p < last && (*p == 'e' || *p == 'E')) {
            const char* q = p + 1;
            const bool down = q < last && *q == '-';
            if (q < last && (*q == '+' || *q == '-'))
                ++q;
            int power = 0;
            const char* powerDigits = q;
            for (; q < last && IsDigit(*q) && power < 1000; ++q)
                power = power * 10 + (*q - '0');
            if (q > powerDigits && q < last && IsDigit(*q))
                return std::from_chars(first, last, value);
            if (q > powerDigits) {
                exponent += down ? -power : power;
                p = q;
            }
        }
        if (mantissa == 0 || (exponent >= -22 && exponent <= 22)) {
            const auto m = static_cast<double>(mantissa);
            const double v = mantissa == 0   ? 0.0
                             : exponent >= 0 ? m * kPowers[exponent]
                                             : m / kPowers[-exponent];
            value = negative ? -v : v;
            return {p, std::errc()};
        }
    }
    return std::from_chars(first, last, value);
}

inline const char* ParseNumberPrefix(const char* first, const char* last, double& value,
                                     ENumberFault& fault) {
    using namespace number_detail;
    while (first < last && IsSpace(static_cast<unsigned char>(*first)))
        ++first;
    bool negative = false;
    if (first < last && (*first == '+' || *first == '-'))
        negative = *first++ == '-';
    fault = ENumberFault::eNoNumber;
    if (first == last)
        return nullptr;
    double v = 0.0;
    const char* end = nullptr;
    if (last - first >= 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X')) {
        const auto [ptr, ec] = std::from_chars(first + 2, last, v, std::chars_format::hex);
        if (ec == std::errc()) {
            end = ptr;
        } else if (ec == std::errc::invalid_argument) {
            // "0x" without a hexadecimal digit after it: the number is the "0".
            v = 0.0;
            end = first + 1;
        } else {
            fault = ENumberFault::eOutOfRange;
            return nullptr;
        }
    } else if (IsDigit(*first) || *first == '.') {
        const auto [ptr, ec] = DecimalFromChars(first, last, v);
        if (ec == std::errc::invalid_argument)
            return nullptr;
        if (ec == std::errc::result_out_of_range) {
            if (Overflows(first, ptr)) {
                fault = ENumberFault::eOutOfRange;
                return nullptr;
            }
            v = 0.0;
        }
        end = ptr;
    } else {
        if (IsNotFiniteWord(first, last))
            fault = ENumberFault::eNotFinite;
        return nullptr;
    }
    if (!std::isfinite(v)) {
        fault = ENumberFault::eOutOfRange;
        return nullptr;
    }
    fault = ENumberFault::eNone;
    value = negative ? -v : v;
    return end;
}

inline const char* ParseNumberPrefix(const char* first, const char* last, double& value) {
    ENumberFault fault;
    return ParseNumberPrefix(first, last, value, fault);
}

inline const char16_t* ParseNumberPrefix(const char16_t* first, const char16_t* last, double& value,
                                         ENumberFault& fault) {
    while (first < last && number_detail::IsSpace(*first))
        ++first;
    // A number is ASCII: the run of ASCII characters that can belong to one is parsed narrow.
    const char16_t* run = first;
    auto partOfNumber = [](char16_t c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
               c == u'.' || c == u'+' || c == u'-';
    };
    while (run < last && partOfNumber(*run))
        ++run;
    const auto length = static_cast<std::size_t>(run - first);
    char small[128];
    std::string large;
    char* narrow = small;
    if (length > sizeof small) {
        large.resize(length);
        narrow = large.data();
    }
    for (std::size_t i = 0; i < length; ++i)
        narrow[i] = static_cast<char>(first[i]);
    const char* end = ParseNumberPrefix(narrow, narrow + length, value, fault);
    return end != nullptr ? first + (end - narrow) : nullptr;
}

inline const char16_t* ParseNumberPrefix(const char16_t* first, const char16_t* last, double& value) {
    ENumberFault fault;
    return ParseNumberPrefix(first, last, value, fault);
}

} // namespace platform
