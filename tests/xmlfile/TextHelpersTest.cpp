#include "common/xmlfile/TextHelpers.h"

#include <clocale>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>

namespace {

struct SDoubleCase {
    int decimals;
    double value;
    const char* expected;
};

const SDoubleCase kDoubleCases[] = {
    {3, 2.5, "2.5"},        {2, 0.05, "0.05"}, {0, 7.0, "7"},
    {4, 1.0, "1"},          {2, 0.001, "0"},   {8, 0.00012345, "0.00012345"},
    {3, -1.2346, "-1.235"}, {0, 10.0, "10"},   {2, 100.0, "100"},
    {-1, 1.5, "1.5"},       {-1, 2.0, "2"},    {6, 123456.789, "123456.789"},
    {1, -0.25, "-0.2"},     {2, -0.001, "-0"}, {-1, 100.0, "100"},
};

void CheckDoubles() {
    for (const auto& c : kDoubleCases)
        EXPECT_EQ(FormatDouble(c.decimals, c.value), QString::fromLatin1(c.expected))
            << c.decimals << " " << c.value;
}

TEST(TextHelpers, FormatDoubleTrimsZeros) {
    CheckDoubles();
}

TEST(TextHelpers, FormatDoubleIgnoresADecimalCommaLocale) {
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr)
        << "de_DE.UTF-8 is installed on the build machines";
    CheckDoubles();
    std::setlocale(LC_NUMERIC, "C");
}

// FormatDouble's digits are printf's: checked against the C library over ties, carries and extremes.
TEST(TextHelpers, FormatDoubleWritesPrintfDigits) {
    const double values[] = {0.125,        2.5,   0.5,     1.005,      2.675, 9.9999999951, 0.000000005,
                             0.0000000049, 1e300, -1e-300, 123.456789, 1e22,  -0.0,         100.0};
    for (const int decimals : {-1, 0, 2, 8, 15}) {
        for (const double v : values) {
            char printed[512];
            std::snprintf(printed, sizeof(printed), "%.*f", decimals < 0 ? 6 : decimals, v);
            std::string expected = printed;
            if (expected.find('.') != std::string::npos) {
                while (expected.size() > 1 && expected.back() == '0')
                    expected.pop_back();
                if (expected.back() == '.')
                    expected.pop_back();
            }
            EXPECT_EQ(FormatDouble(decimals, v).toStdString(), expected) << decimals << " " << v;
            std::string appended = ";";
            AppendDouble(appended, decimals, v);
            EXPECT_EQ(appended, ";" + expected) << decimals << " " << v;
        }
    }
}

struct SSplitCase {
    const char* name;
    const char* text;
    const char* separator;
    QStringList expected;
};

TEST(TextHelpers, SplitString) {
    const SSplitCase cases[] = {
        {"plain", "a,b,c", ",", {"a", "b", "c"}},
        {"adjacent", "a;;b", ";", {"a", "", "b"}},
        {"leading", ",a,b", ",", {",a,b"}},
        {"only the separator", ",", ",", {","}},
        {"separator later again", "a,,", ",", {"a", ""}},
        {"trailing", "a,b,", ",", {"a", "b"}},
        {"none", "abc", ",", {"abc"}},
        {"empty", "", ",", {}},
        {"long separator", "x<>y<>z", "<>", {"x", "y", "z"}},
        {"empty separator", "abc", "", {"abc"}},
    };
    for (const auto& c : cases) {
        QStringList out{QStringLiteral("stale")};
        const int n = SplitString(QString::fromLatin1(c.text), QString::fromLatin1(c.separator), out);
        EXPECT_EQ(out, c.expected) << c.name;
        EXPECT_EQ(n, c.expected.size()) << c.name;
    }
}

TEST(TextHelpers, FindInStringArray) {
    const QStringList headers{QStringLiteral("Time"), QStringLiteral("Current DC"),
                              QStringLiteral("Voltage")};
    EXPECT_EQ(FindInStringArray(headers, QStringLiteral("Current")), 1);
    EXPECT_EQ(FindInStringArray(headers, QStringLiteral("Volt")), 2);
    EXPECT_EQ(FindInStringArray(headers, QStringLiteral("CCDF")), -1);
    EXPECT_EQ(FindInStringArray(QStringList(), QStringLiteral("Time")), -1);
}

TEST(TextHelpers, FormatDateTime) {
    const QDateTime t(QDate(2026, 3, 4), QTime(5, 6, 7));
    EXPECT_EQ(FormatDateTime(t, QStringLiteral("QX_Log_%Y-%m-%d_%H-%M-%S.txt")),
              QStringLiteral("QX_Log_2026-03-04_05-06-07.txt"));
    EXPECT_EQ(FormatDateTime(QDateTime(), QStringLiteral("%Y")), QString());
}

} // namespace
