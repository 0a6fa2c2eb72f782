#include "instruments/visa/ResourcePattern.h"

#include <gtest/gtest.h>

namespace {

TEST(ResourcePatternTest, MatchesAsVisaExpressions) {
    struct SCase {
        const char* expression;
        const char* name;
        bool matches;
    };
    const SCase cases[] = {
        {"?*USB?*INSTR", "USB0::0x05E6::0x2280::4471234::INSTR", true},
        {"?*USB?*INSTR", "usb0::0x05e6::0x2280::4471234::instr", true},
        {"?*USB?*INSTR", "TCPIP0::127.0.0.1::INSTR", false},
        {"?*USB?*INSTR", "USB0::0x05E6::0x2280::4471234::RAW", false},
        {"?*", "", true},
        {"?*", "anything", true},
        {"?", "", false},
        {"USB?::?*", "USB0::1", true},
        {"USB?::?*", "USB10::1", false},
        {"USB[0-9]::?*", "USB7::x", true},
        {"USB[^0]::?*", "USB0::x", false},
        {"USB[^0]::?*", "USB1::x", true},
        {"USB0+::x", "USB000::x", true},
        {"USB0::0x05E6::?*", "USB0::0x05E6::0x7510::1::INSTR", true},
        {"(USB|TCPIP)?*INSTR", "TCPIP0::h::INSTR", true},
        {"(USB|TCPIP)?*INSTR", "GPIB0::5::INSTR", false},
        {"a.b", "a.b", true},
        {"a.b", "axb", false},
        {"a\\?b", "a?b", true},
        {"a\\?b", "axb", false},
        {"USB0::0x05E6::0x2280::447(1|2)234::INSTR", "USB0::0x05E6::0x2280::4472234::INSTR", true},
        {"(A|)B", "B", true},
        // Nested repeats that a backtracking matcher takes exponential time over.
        {"((((?*)*)*)*)*Z", "USB0::0x05E6::0x2280::4471234::INSTR", false},
        {"(?*?*?*?*?*?*?*?*)+Z", "USB0::0x05E6::0x2280::4471234::INSTR", false},
    };
    for (const SCase& c : cases) {
        visa::CResourcePattern pattern;
        ASSERT_TRUE(pattern.Compile(c.expression)) << c.expression;
        EXPECT_EQ(pattern.Matches(c.name), c.matches) << c.expression << " / " << c.name;
    }
}

TEST(ResourcePatternTest, RejectsMalformedExpressions) {
    for (const char* expression : {"", "*USB", "USB[0-9", "(USB", "USB)", "a\\", "(|*)", "USB[]"}) {
        visa::CResourcePattern pattern;
        EXPECT_FALSE(pattern.Compile(expression)) << expression;
        EXPECT_FALSE(pattern.Matches("USB")) << expression;
    }
}

} // namespace
