#include "platform/LocalTime.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(LocalTime, FormatsWithStrftimeCodes) {
    std::tm tm{};
    tm.tm_year = 2026 - 1900;
    tm.tm_mon = 11;
    tm.tm_mday = 10;
    tm.tm_hour = 8;
    tm.tm_min = 5;
    tm.tm_sec = 9;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    EXPECT_EQ(platform::FormatTime(t, QStringLiteral("QX_Log_%Y-%m-%d_%H-%M-%S.txt")),
              QStringLiteral("QX_Log_2026-12-10_08-05-09.txt"));
    const auto now = platform::GetLocalTime();
    EXPECT_GE(now.year, 2024);
    EXPECT_GE(now.millisecond, 0);
    EXPECT_LT(now.millisecond, 1000);
}

TEST(MessageBox, GoesThroughTheInstalledSink) {
    QString seen;
    unsigned flags = 0;
    auto previous = platform::SetMessageBoxSink([&](const QString& text, const QString&, unsigned f) {
        seen = text;
        flags = f;
        return platform::IDYES;
    });
    EXPECT_EQ(platform::MessageBox(QStringLiteral("错误：测试"), platform::MB_ICONSTOP), platform::IDYES);
    EXPECT_EQ(seen, QStringLiteral("错误：测试"));
    EXPECT_EQ(flags, platform::MB_ICONSTOP);
    platform::SetMessageBoxSink(previous);
}

// This test's own table; no table holds IDS_TEST_NONE.
enum : int { IDS_TEST_NONE = 1, IDS_TEST_A = 51500, IDS_TEST_B = 51501 };

TEST(StringTable, LanguageLayerTakesPrecedenceForItsIds) {
    platform::RegisterStrings({{IDS_TEST_A, u"错误：甲"}, {IDS_TEST_B, u"错误：乙"}});
    platform::RegisterStrings({{IDS_TEST_A, u"Error: A"}}, platform::eStringLayer::Language);
    EXPECT_EQ(platform::LoadString(IDS_TEST_A), QStringLiteral("Error: A"));
    EXPECT_EQ(platform::LoadString(IDS_TEST_B), QStringLiteral("错误：乙"));
    platform::ClearStrings(platform::eStringLayer::Language);
    EXPECT_EQ(platform::LoadString(IDS_TEST_A), QStringLiteral("错误：甲"));
    EXPECT_TRUE(platform::LoadString(IDS_TEST_NONE).isEmpty());
}

TEST(Profile, ValuesPersistInTheirSection) {
    QTemporaryDir dir;
    platform::SetProfileFileOverride(dir.path() + QStringLiteral("/profile.ini"));
    EXPECT_EQ(platform::GetProfileInt(QStringLiteral("Config"), QStringLiteral("Language"), 7), 7);
    EXPECT_TRUE(platform::WriteProfileInt(QStringLiteral("Config"), QStringLiteral("Language"), 1));
    EXPECT_EQ(platform::GetProfileInt(QStringLiteral("Config"), QStringLiteral("Language"), 7), 1);
    EXPECT_TRUE(platform::WriteProfileString(QStringLiteral("CLumoraView"), QStringLiteral("LastPath"),
                                             QStringLiteral("/数据/a.csv")));
    EXPECT_EQ(platform::GetProfileString(QStringLiteral("CLumoraView"), QStringLiteral("LastPath")),
              QStringLiteral("/数据/a.csv"));
    platform::SetProfileFileOverride(QString());
}

} // namespace
