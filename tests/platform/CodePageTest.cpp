#include "platform/CodePage.h"
#include "platform/Utf16.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePage, ChineseTextRoundTripsThroughCp936Bytes) {
    const QString text = QStringLiteral("错误：启动软件");
    std::string ansi;
    ASSERT_TRUE(platform::TextToAnsi(text, ansi));
    // "错" is D2 FE in GB2312; every character of this text is two bytes.
    ASSERT_EQ(ansi.size(), 14u);
    EXPECT_EQ(static_cast<unsigned char>(ansi[0]), 0xB4);
    EXPECT_EQ(static_cast<unsigned char>(ansi[1]), 0xED);
    QString back;
    ASSERT_TRUE(platform::AnsiToText(ansi, back));
    EXPECT_EQ(back, text);
}

TEST(CodePage, UnmappableCharacterBecomesReplacementOrFails) {
    const QString text = QStringLiteral("a\u20AC\U0001F600b"); // euro sign maps (0x80), emoji does not
    std::string ansi;
    EXPECT_FALSE(platform::TextToAnsi(text, ansi));
    EXPECT_EQ(platform::ToAnsi(text), std::string("a\x80#b"));
}

struct SReplaceCase {
    const char* name;
    QString text;
    std::string expected;
};

// Whole texts are converted in one pass: what the code page lacks must be replaced where it stands,
// one '#' per character (a surrogate pair is one character), with the rest converted around it.
TEST(CodePage, UnmappableCharactersAreReplacedWhereTheyStand) {
    const QChar loneHigh(char16_t(0xD83D));
    const QChar loneLow(char16_t(0xDE00));
    const SReplaceCase cases[] = {
        {"first", QStringLiteral("\U0001F600ab"), "#ab"},
        {"last", QStringLiteral("ab\U0001F600"), "ab#"},
        {"two in a row", QStringLiteral("\U0001F600\U0001F601"), "##"},
        {"lone high surrogate at the end", QStringLiteral("ab") + loneHigh, "ab#"},
        {"lone high surrogate inside", QStringLiteral("a") + loneHigh + QStringLiteral("b"), "a#b"},
        {"lone low surrogate", QStringLiteral("a") + loneLow + QStringLiteral("b"), "a#b"},
        {"between Chinese", QStringLiteral("错\U0001F600误"), "\xB4\xED#\xCE\xF3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::ToAnsi(c.text), c.expected) << c.name;
}

TEST(CodePage, LongTextConvertsWhole) {
    QString text;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        text += QStringLiteral("1.5,错\U0001F600\r\n");
        expected += "1.5,\xB4\xED#\r\n";
    }
    EXPECT_EQ(platform::ToAnsi(text), expected);
}

TEST(CodePage, InvalidBytesDecodeWithReplacementCharacter) {
    QString out;
    EXPECT_FALSE(platform::AnsiToText(std::string("ab\x81", 3), out));
    EXPECT_EQ(platform::FromAnsi(std::string("ab\x81", 3)), QStringLiteral("ab\uFFFD"));
}

TEST(CodePage, WholeCharPrefixNeverSplitsADoubleByteCharacter) {
    const std::string ansi = platform::ToAnsi(QStringLiteral("x错误"));
    ASSERT_EQ(ansi.size(), 5u);
    EXPECT_EQ(platform::AnsiWholeCharPrefix(std::string_view(ansi).substr(0, 4)), 3u);
    EXPECT_EQ(platform::AnsiWholeCharPrefix(ansi), 5u);
}

TEST(Utf16, AsciiCaseMappingLeavesOtherLettersAlone) {
    EXPECT_EQ(platform::AsciiUpper(QStringLiteral("10 μa range")), QStringLiteral("10 μA RANGE"));
    EXPECT_TRUE(platform::EqualsAsciiNoCase(QStringLiteral("tcpip0::Host::INSTR"),
                                            QStringLiteral("TCPIP0::HOST::instr")));
    EXPECT_EQ(platform::FromU16(platform::ToU16(QStringLiteral("电流"))), QStringLiteral("电流"));
}

} // namespace
