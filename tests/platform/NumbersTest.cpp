#include "platform/Numbers.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>

namespace {

struct SIntCase {
    const char* text;
    std::int32_t expected;
};

TEST(Numbers, WToIFollowsTheCRuntime) {
    const SIntCase cases[] = {{"42", 42},
                              {"  -17xyz", -17},
                              {"+8", 8},
                              {"", 0},
                              {"abc", 0},
                              {"3.9", 3},
                              {"99999999999", INT32_MAX},
                              {"-99999999999", INT32_MIN}};
    for (const auto& c : cases)
        EXPECT_EQ(platform::WToI(QString::fromLatin1(c.text)), c.expected) << c.text;
}

TEST(Numbers, WcsToULWrapsNegativesAndSaturates) {
    EXPECT_EQ(platform::WcsToUL(QStringLiteral("150000")), 150000u);
    EXPECT_EQ(platform::WcsToUL(QStringLiteral("-1")), 0xFFFFFFFFu);
    EXPECT_EQ(platform::WcsToUL(QStringLiteral("4294967296")), 0xFFFFFFFFu);
    EXPECT_EQ(platform::WcsToUL(QStringLiteral("x")), 0u);
}

// A decimal-comma locale must not change what is read or written.
class NumbersUnderCommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"}) {
            if (std::setlocale(LC_NUMERIC, name) != nullptr) {
                m_active = true;
                break;
            }
        }
    }
    void TearDown() override { std::setlocale(LC_NUMERIC, "C"); }
    bool m_active = false;
};

TEST_F(NumbersUnderCommaLocale, TextIsTheSameAsInTheCLocale) {
    EXPECT_DOUBLE_EQ(platform::WToF(QStringLiteral("0.010000")), 0.01);
    EXPECT_DOUBLE_EQ(platform::WToF(QStringLiteral(" 1e-9 A")), 1e-9);
    EXPECT_EQ(platform::CFormat("%f", 0.01), QStringLiteral("0.010000"));
    EXPECT_EQ(platform::CFormat("%.3e|%d", 123456.0, -5), QStringLiteral("1.235e+05|-5"));
    if (!m_active)
        GTEST_LOG_(INFO) << "no decimal-comma locale installed; checked under the C locale only";
}

// A display format with the fewest decimals, widened when the value has more: the text reads back as
// the same double.
TEST(Numbers, FormatExactNeverChangesTheValue) {
    const struct {
        const char* name;
        double value;
        int decimals;
        const char* text;
    } rows[] = {
        {"whole format over a whole value", 5.0, 0, "5"},
        {"whole format over tenths", 3.3, 0, "3.3"},
        {"a value that would round up", 4.6, 0, "4.6"},
        {"padded to the decimals asked", 1.5, 3, "1.500"},
        {"digits beyond six", 0.1234567, 2, "0.1234567"},
        {"small values", 1e-7, 0, "0.0000001"},
        {"negative", -2.25, 1, "-2.25"},
        {"large", 4e9, 0, "4000000000"},
    };
    for (const auto& row : rows) {
        const QString text = platform::FormatExact(row.value, row.decimals);
        EXPECT_EQ(text, QString::fromLatin1(row.text)) << row.name;
        EXPECT_EQ(platform::WToF(text), row.value) << row.name;
    }
}

TEST(Numbers, LongFormatsAreNotCut) {
    const QString big = platform::CFormat("%.300f", 1.0);
    EXPECT_EQ(big.size(), 302);
}

} // namespace

namespace {

std::string Printed(const char* format, int precision, double v) {
    char text[512];
    std::snprintf(text, sizeof(text), format, precision, v);
    return text;
}

struct SAppendCase {
    const char* name;
    double value;
};

// Exact ties, carries into a new digit, the edges of the fast forms and values no fast form takes.
const SAppendCase kAppendCases[] = {
    {"zero", 0.0},
    {"negative zero", -0.0},
    {"exact tie 0.125", 0.125},
    {"exact tie 2.5", 2.5},
    {"tie below", 0.375},
    {"carry", 9.9999999999},
    {"carry to a new decade", 99999.99999995},
    {"tiny", 4.9e-324},
    {"large", 1.7976931348623157e308},
    {"just under 2^53 scaled", 8.999999e6},
    {"near a decade", 1e-5},
    {"near a decade below", 9.9999999999999e-6},
    {"negative", -1234.5678},
    {"infinity", std::numeric_limits<double>::infinity()},
    {"negative infinity", -std::numeric_limits<double>::infinity()},
    {"not a number", std::numeric_limits<double>::quiet_NaN()},
};

void ExpectLikePrintf(double v, int precision, const std::string& where) {
    std::string fixed = "|", exponent = "|";
    platform::AppendFixed(fixed, v, precision);
    platform::AppendExponent(exponent, v, precision);
    ASSERT_EQ(fixed, "|" + Printed("%.*f", precision, v)) << where << " %." << precision << "f";
    ASSERT_EQ(exponent, "|" + Printed("%.*e", precision, v)) << where << " %." << precision << "e";
}

} // namespace

TEST(Numbers, AppendedNumbersAreWhatPrintfWrites) {
    for (const auto& c : kAppendCases)
        for (int precision = 0; precision <= 17; ++precision)
            ExpectLikePrintf(c.value, precision, c.name);
}

// Random magnitudes from 1e-20 to 1e20, and values made to lie on or next to a decimal tie.
TEST(Numbers, AppendedNumbersMatchPrintfOverRandomValues) {
    std::mt19937_64 rng(20261210);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> decade(-20, 20), digits(0, 15);
    for (int i = 0; i < 300000; ++i) {
        const int precision = digits(rng);
        double v = mantissa(rng) * std::pow(10.0, decade(rng));
        if (i % 3 == 0) {
            // (k + 0.5) / 10^precision and its neighbours
            const double tie = (std::floor(std::fabs(v)) + 0.5) / std::pow(10.0, precision);
            v = i % 2 == 0 ? tie : std::nextafter(tie, 0.0);
        }
        ExpectLikePrintf(v, precision, "random " + std::to_string(i));
    }
}
