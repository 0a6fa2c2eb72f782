#include "platform/Numbers.h"

#include <clocale>
#include <gtest/gtest.h>

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

TEST(Numbers, LongFormatsAreNotCut) {
    const QString big = platform::CFormat("%.300f", 1.0);
    EXPECT_EQ(big.size(), 302);
}

} // namespace
