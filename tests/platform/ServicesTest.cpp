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

TEST(StringTable, LanguageLayerTakesPrecedenceForItsIds) {
    platform::RegisterStrings({{51500, u"错误：甲"}, {51501, u"错误：乙"}});
    platform::RegisterStrings({{51500, u"Error: A"}}, platform::eStringLayer::Language);
    EXPECT_EQ(platform::LoadString(51500), QStringLiteral("Error: A"));
    EXPECT_EQ(platform::LoadString(51501), QStringLiteral("错误：乙"));
    platform::ClearStrings(platform::eStringLayer::Language);
    EXPECT_EQ(platform::LoadString(51500), QStringLiteral("错误：甲"));
    EXPECT_TRUE(platform::LoadString(1).isEmpty());
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
