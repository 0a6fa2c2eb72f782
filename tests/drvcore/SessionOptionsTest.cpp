#include "instruments/drvcore/SessionOptions.h"
#include "lumora/core/ParameterInstru.h"

#include <gtest/gtest.h>

namespace {

TEST(SessionOptionsTest, TakesTimeoutAndTerminationFromTheRecord) {
    struct SCase {
        const char* timeout;
        const char* endOfLine;
        int timeoutMs;
        const char* termination;
    };
    const SCase cases[] = {
        {"30000", "", 30000, "\n"},    {" 1500 ", "\\n", 1500, "\n"}, {"0", "\\r\\n", 30000, "\r\n"},
        {"-5", "\r\n", 30000, "\r\n"}, {"abc", "\r", 30000, "\r"},    {"", ";", 30000, ";"},
    };
    for (const SCase& c : cases) {
        CParameterInstru record;
        record.Timeout = c.timeout;
        record.EndOfLine = c.endOfLine;
        const auto options = drvcore::SSessionOptions::FromRecord(record);
        EXPECT_EQ(options.timeoutMs, c.timeoutMs) << c.timeout;
        EXPECT_EQ(options.termination, c.termination) << c.endOfLine;
    }
}

} // namespace
