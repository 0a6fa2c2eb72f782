#include "common/xmlfile/TextHelpers.h"

#include <clocale>
#include <gtest/gtest.h>

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
