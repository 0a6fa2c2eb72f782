#include "instruments/drvcore/SessionOptions.h"
#include "instruments/drvcore/DriverSteps.h"
#include "lumora/core/ParameterInstru.h"

#include <gtest/gtest.h>

namespace {

TEST(SessionOptionsTest, TakesTheTimeoutFromTheRecord) {
    const struct {
        const char* timeout;
        int timeoutMs;
    } cases[] = {{"30000", 30000},      {" 1500 ", 1500},  {"0", 30000},     {"-5", 30000},
                 {"abc", 30000},        {"", 30000},       {"60000", 60000}, {"60001", 60000},
                 {"2147483647", 60000}, {"5000 ms", 30000}};
    for (const auto& c : cases) {
        CParameterInstru record;
        record.Timeout = c.timeout;
        drvcore::SSessionOptions options;
        std::string error;
        ASSERT_TRUE(drvcore::SSessionOptions::FromRecord(record, options, error)) << c.timeout;
        EXPECT_EQ(options.timeoutMs, c.timeoutMs) << c.timeout;
    }
}

// The drivers wait for replies as long as the session does: both take the record's time-out by one rule,
// a whole number of ms and nothing else.
TEST(SessionOptionsTest, DriversAndSessionReadOneTimeout) {
    const struct {
        const char* timeout;
        unsigned timeoutMs;
    } cases[] = {{"5000", 5000},  {" 5000 ", 5000}, {"5000 ms", 30000},    {"5000ms", 30000},
                 {"", 30000},     {"abc", 30000},   {"5.5", 30000},        {"0x10", 30000},
                 {"+5000", 5000}, {"90000", 60000}, {"99999999999", 30000}};
    for (const auto& c : cases) {
        CParameterInstru record;
        record.Timeout = c.timeout;
        EXPECT_EQ(drvcore::TimeoutMs(record), c.timeoutMs) << c.timeout;
        drvcore::SSessionOptions options;
        std::string error;
        ASSERT_TRUE(drvcore::SSessionOptions::FromRecord(record, options, error)) << c.timeout;
        EXPECT_EQ(options.timeoutMs, static_cast<int>(c.timeoutMs)) << c.timeout;
    }
}

// The EndOfLine text of an instrument file means the line end it names; a text that is no line end is
// refused rather than sent as the end of every command.
TEST(SessionOptionsTest, EndOfLineTextsMeanWhatTheySay) {
    const struct {
        const char* name;
        const char* endOfLine;
        const char* termination; // null: refused
    } cases[] = {
        {"empty", "", "\n"},
        {"blank", "  ", "\n"},
        {"LF", "LF", "\n"},
        {"CR", "CR", "\r"},
        {"CRLF", "CRLF", "\r\n"},
        {"lower-case name", "crlf", "\r\n"},
        {"name with blanks", " LF ", "\n"},
        {"escaped LF", "\\n", "\n"},
        {"escaped CR", "\\r", "\r"},
        {"escaped CRLF", "\\r\\n", "\r\n"},
        {"characters CRLF", "\r\n", "\r\n"},
        {"character LF", "\n", "\n"},
        {"unknown name", "LFX", nullptr},
        {"other character", ";", nullptr},
        {"tab", "\\t", nullptr},
        {"unknown escape", "\\q", nullptr},
        {"dangling backslash", "\\r\\", nullptr},
        {"name and escape", "LF\\n", nullptr},
    };
    for (const auto& c : cases) {
        CParameterInstru record;
        record.EndOfLine = QString::fromLatin1(c.endOfLine);
        drvcore::SSessionOptions options;
        std::string error;
        const bool taken = drvcore::SSessionOptions::FromRecord(record, options, error);
        EXPECT_EQ(taken, c.termination != nullptr) << c.name;
        if (c.termination != nullptr)
            EXPECT_EQ(options.termination, c.termination) << c.name;
        else
            EXPECT_NE(error.find("EndOfLine"), std::string::npos) << c.name;
    }
}

} // namespace
