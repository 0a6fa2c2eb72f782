#include "platform/ParseNumber.h"

#include <QString>
#include <clocale>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

namespace {

using platform::ENumberFault;

const char* FaultName(ENumberFault fault) {
    switch (fault) {
    case ENumberFault::eNone:
        return "none";
    case ENumberFault::eNoNumber:
        return "no number";
    case ENumberFault::eExtraText:
        return "extra text";
    case ENumberFault::eOutOfRange:
        return "out of range";
    case ENumberFault::eNotFinite:
        return "not finite";
    }
    return "?";
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct SDoubleCase {
    const char* name;
    QString text;
    ENumberFault fault;
    double value; // compared to the bit (the sign of zero included) when fault is eNone
};

TEST(ParseNumber, StrictDoubleIsTheWholeTextAsOneDecimalNumber) {
    const SDoubleCase cases[] = {
        {"a decimal comma", u"0,005"_qs, ENumberFault::eExtraText, 0},
        {"a decimal point", u"0.005"_qs, ENumberFault::eNone, 0.005},
        {"digit grouping", u"3,300"_qs, ENumberFault::eExtraText, 0},
        {"grouping of thousands", u"30,000"_qs, ENumberFault::eExtraText, 0},
        {"an exponent", u"1e-3"_qs, ENumberFault::eNone, 0.001},
        {"a capital exponent", u"2.5E+2"_qs, ENumberFault::eNone, 250},
        {"blanks around", u" 5 "_qs, ENumberFault::eNone, 5},
        {"tabs and an ideographic space around", u"\t7\u3000"_qs, ENumberFault::eNone, 7},
        {"a unit", u"5V"_qs, ENumberFault::eExtraText, 0},
        {"a blank inside", u"1 2"_qs, ENumberFault::eExtraText, 0},
        {"empty", u""_qs, ENumberFault::eNoNumber, 0},
        {"blanks only", u"   "_qs, ENumberFault::eNoNumber, 0},
        {"not a number", u"nan"_qs, ENumberFault::eNotFinite, 0},
        {"infinity", u"inf"_qs, ENumberFault::eNotFinite, 0},
        {"negative infinity spelt out", u"-Infinity"_qs, ENumberFault::eNotFinite, 0},
        {"overflowing", u"1e400"_qs, ENumberFault::eOutOfRange, 0},
        {"a digit run overflowing", QString(400, u'9'), ENumberFault::eOutOfRange, 0},
        {"underflowing to zero", u"1e-400"_qs, ENumberFault::eNone, 0},
        {"a denormal", u"4.9406564584124654e-324"_qs, ENumberFault::eNone, 4.9406564584124654e-324},
        {"negative zero", u"-0"_qs, ENumberFault::eNone, -0.0},
        {"a plus sign", u"+4"_qs, ENumberFault::eNone, 4},
        {"a leading point", u".5"_qs, ENumberFault::eNone, 0.5},
        {"a trailing point", u"5."_qs, ENumberFault::eNone, 5},
        {"a lone point", u"."_qs, ENumberFault::eNoNumber, 0},
        {"a lone sign", u"-"_qs, ENumberFault::eNoNumber, 0},
        {"two signs", u"+-1"_qs, ENumberFault::eNoNumber, 0},
        {"an exponent without digits", u"1e"_qs, ENumberFault::eExtraText, 0},
        {"hexadecimal", u"0x10"_qs, ENumberFault::eExtraText, 0},
        {"an Arabic-Indic digit", u"\u0663"_qs, ENumberFault::eNoNumber, 0},
        {"a fullwidth digit", u"\uFF15"_qs, ENumberFault::eNoNumber, 0},
        {"a digit then an Arabic-Indic digit", u"5\u0663"_qs, ENumberFault::eExtraText, 0},
        {"a character after a NUL", QStringLiteral("5") + QChar(0) + u"6"_qs, ENumberFault::eExtraText, 0},
        {"seventeen digits", u"0.10000000000000001"_qs, ENumberFault::eNone, 0.1},
    };
    for (const SDoubleCase& c : cases) {
        const auto result = platform::ReadStrictDouble(c.text);
        EXPECT_STREQ(FaultName(result.fault), FaultName(c.fault)) << c.name;
        EXPECT_EQ(result.Ok(), c.fault == ENumberFault::eNone) << c.name;
        if (c.fault == ENumberFault::eNone)
            EXPECT_TRUE(SameBits(result.value, c.value)) << c.name << ": " << result.value;
        else
            EXPECT_EQ(result.value, 0.0) << c.name;
    }
}

struct SIntCase {
    const char* name;
    QString text;
    ENumberFault fault;
    std::int32_t value;
};

TEST(ParseNumber, StrictIntIsTheWholeTextAsOneDecimalInteger) {
    const SIntCase cases[] = {
        {"digits", u"42"_qs, ENumberFault::eNone, 42},
        {"blanks around", u" 5 "_qs, ENumberFault::eNone, 5},
        {"digit grouping", u"1,000"_qs, ENumberFault::eExtraText, 0},
        {"a decimal comma", u"0,005"_qs, ENumberFault::eExtraText, 0},
        {"a point", u"5.0"_qs, ENumberFault::eExtraText, 0},
        {"an exponent", u"1e3"_qs, ENumberFault::eExtraText, 0},
        {"a unit", u"5s"_qs, ENumberFault::eExtraText, 0},
        {"empty", u""_qs, ENumberFault::eNoNumber, 0},
        {"a word", u"nan"_qs, ENumberFault::eNoNumber, 0},
        {"negative", u"-17"_qs, ENumberFault::eNone, -17},
        {"a plus sign", u"+8"_qs, ENumberFault::eNone, 8},
        {"leading zeros", u"007"_qs, ENumberFault::eNone, 7},
        {"the largest", u"2147483647"_qs, ENumberFault::eNone, 2147483647},
        {"the smallest", u"-2147483648"_qs, ENumberFault::eNone, -2147483647 - 1},
        {"one above the largest", u"2147483648"_qs, ENumberFault::eOutOfRange, 0},
        {"one below the smallest", u"-2147483649"_qs, ENumberFault::eOutOfRange, 0},
        {"many digits", QString(60, u'9'), ENumberFault::eOutOfRange, 0},
        {"an Arabic-Indic digit", u"\u0663"_qs, ENumberFault::eNoNumber, 0},
    };
    for (const SIntCase& c : cases) {
        const auto result = platform::ReadStrictInt(c.text);
        EXPECT_STREQ(FaultName(result.fault), FaultName(c.fault)) << c.name;
        EXPECT_EQ(result.value, c.value) << c.name;
    }
}

struct SPrefixCase {
    const char* name;
    QString text;
    ENumberFault fault;
    double value;
    qsizetype length;
};

TEST(ParseNumber, PrefixDoubleIsTheLeadingNumberAsWcstodReadsIt) {
    const double inf = std::numeric_limits<double>::infinity();
    const SPrefixCase cases[] = {
        {"a number and a unit", u"2.5V"_qs, ENumberFault::eNone, 2.5, 3},
        {"blanks, a sign, an exponent and a unit", u" -1e-3 A"_qs, ENumberFault::eNone, -0.001, 6},
        {"a reply with its line end", u"+5.000000E+00\n"_qs, ENumberFault::eNone, 5, 13},
        {"a decimal comma stops the number", u"1,5"_qs, ENumberFault::eNone, 1, 1},
        {"hexadecimal", u"0x10"_qs, ENumberFault::eNone, 16, 4},
        {"0x without a digit is the 0", u"0xg"_qs, ENumberFault::eNone, 0, 1},
        {"empty", u""_qs, ENumberFault::eNoNumber, 0, 0},
        {"a word", u"abc"_qs, ENumberFault::eNoNumber, 0, 0},
        {"a lone point", u"."_qs, ENumberFault::eNoNumber, 0, 0},
        {"an Arabic-Indic digit", u"\u0663"_qs, ENumberFault::eNoNumber, 0, 0},
        {"overflowing gives infinity", u"1e400"_qs, ENumberFault::eOutOfRange, inf, 0},
        {"negative overflow", u" -1e400"_qs, ENumberFault::eOutOfRange, -inf, 0},
        {"infinity", u"inf"_qs, ENumberFault::eNotFinite, inf, 0},
        {"negative infinity", u"-INF"_qs, ENumberFault::eNotFinite, -inf, 0},
        {"underflow", u"1e-400"_qs, ENumberFault::eNone, 0, 6},
    };
    for (const SPrefixCase& c : cases) {
        const auto result = platform::ReadPrefixDouble(c.text);
        EXPECT_STREQ(FaultName(result.fault), FaultName(c.fault)) << c.name;
        EXPECT_TRUE(SameBits(result.value, c.value)) << c.name << ": " << result.value;
        EXPECT_EQ(result.length, c.length) << c.name;
    }
    EXPECT_TRUE(std::isnan(platform::ReadPrefixDouble(u"nan"_qs).value));
    EXPECT_EQ(platform::ReadPrefixDouble(u"nan"_qs).fault, ENumberFault::eNotFinite);
}

TEST(ParseNumber, PrefixIntegersAsTheCRuntimeReadsThem) {
    const struct {
        const char* name;
        QString text;
        ENumberFault fault;
        std::int32_t value;
    } ints[] = {
        {"a number and text", u"  -17xyz"_qs, ENumberFault::eNone, -17},
        {"a fraction stops it", u"3.9"_qs, ENumberFault::eNone, 3},
        {"grouping stops it", u"1,000"_qs, ENumberFault::eNone, 1},
        {"empty", u""_qs, ENumberFault::eNoNumber, 0},
        {"a word", u"abc"_qs, ENumberFault::eNoNumber, 0},
        {"saturates above", u"99999999999"_qs, ENumberFault::eOutOfRange, 2147483647},
        {"saturates below", u"-99999999999"_qs, ENumberFault::eOutOfRange, -2147483647 - 1},
    };
    for (const auto& c : ints) {
        const auto result = platform::ReadPrefixInt(c.text);
        EXPECT_STREQ(FaultName(result.fault), FaultName(c.fault)) << c.name;
        EXPECT_EQ(result.value, c.value) << c.name;
    }
    const struct {
        const char* name;
        QString text;
        int base;
        ENumberFault fault;
        std::uint32_t value;
    } unsigneds[] = {
        {"decimal", u"150000"_qs, 10, ENumberFault::eNone, 150000u},
        {"a minus wraps", u"-1"_qs, 10, ENumberFault::eNone, 0xFFFFFFFFu},
        {"beyond 32 bits", u"4294967296"_qs, 10, ENumberFault::eOutOfRange, 0xFFFFFFFFu},
        {"a word", u"x"_qs, 10, ENumberFault::eNoNumber, 0u},
        {"hexadecimal with its prefix", u"0xFF00FF"_qs, 16, ENumberFault::eNone, 0xFF00FFu},
        {"hexadecimal without it", u"ff"_qs, 16, ENumberFault::eNone, 0xFFu},
        {"base 0 chooses sixteen", u"0x1A"_qs, 0, ENumberFault::eNone, 26u},
        {"base 0 chooses eight", u"017"_qs, 0, ENumberFault::eNone, 15u},
        {"two signs", u"+-1"_qs, 10, ENumberFault::eNoNumber, 0u},
    };
    for (const auto& c : unsigneds) {
        const auto result = platform::ReadPrefixUInt(c.text, c.base);
        EXPECT_STREQ(FaultName(result.fault), FaultName(c.fault)) << c.name;
        EXPECT_EQ(result.value, c.value) << c.name;
    }
}

// The process locale (Qt sets it from the environment) changes nothing.
TEST(ParseNumber, ADecimalCommaLocaleChangesNothing) {
    bool active = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            active = true;
            break;
        }
    }
    EXPECT_EQ(platform::ReadStrictDouble(u"0,5"_qs).fault, ENumberFault::eExtraText);
    EXPECT_EQ(platform::ReadStrictDouble(u"0.5"_qs).value, 0.5);
    EXPECT_EQ(platform::ReadPrefixDouble(u"0.5"_qs).value, 0.5);
    EXPECT_EQ(platform::ReadStrictInt(u"1.000"_qs).fault, ENumberFault::eExtraText);
    std::setlocale(LC_ALL, "C");
    if (!active)
        GTEST_LOG_(INFO) << "no decimal-comma locale installed; checked under the C locale only";
}

} // namespace
