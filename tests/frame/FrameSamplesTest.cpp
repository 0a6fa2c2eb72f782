#include "lumora/core/MainFrame.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

struct SParseCase {
    const char* name;
    const char* text;
    unsigned pairs;
    std::vector<double> values;
    std::vector<double> times;
};

void PrintTo(const SParseCase& c, std::ostream* os) {
    *os << c.name;
}

class ParseDataString : public testing::TestWithParam<SParseCase> {};

TEST_P(ParseDataString, SplitsValueAndTimePairs) {
    const SParseCase& c = GetParam();
    std::vector<double> values{9.0}, times{9.0};
    ASSERT_EQ(CMainFrame::ParseDataString(QString::fromUtf8(c.text), values, times), c.pairs);
    if (c.pairs == 0) {
        // An odd field count leaves the arrays as they were.
        EXPECT_EQ(values, std::vector<double>{9.0});
        return;
    }
    EXPECT_EQ(values, c.values);
    EXPECT_EQ(times, c.times);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ParseDataString,
    testing::Values(SParseCase{"TwoPairs", "1.5E-06,0.0,2.5E-06,0.002", 2, {1.5e-6, 2.5e-6}, {0.0, 0.002}},
                    SParseCase{"OnePair", "-3.25,1", 1, {-3.25}, {1.0}},
                    SParseCase{"OddFieldCount", "1,2,3", 0, {}, {}}, SParseCase{"Empty", "", 0, {}, {}},
                    SParseCase{"EmptyFieldsReadAsZero", ",", 1, {0.0}, {0.0}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ReadSampleBlock, ReadsValueTimePairsAfterThePrefix) {
    std::string block = "#0";
    for (double pair : {1e-6, 0.0, 2e-3, 0.5}) {
        char bytes[8];
        std::memcpy(bytes, &pair, 8);
        block.append(bytes, 8);
    }
    block += "xyz"; // a partial sample is not read
    std::vector<double> values, times;
    ASSERT_EQ(CMainFrame::ReadSampleBlock(block.data(), unsigned(block.size()), values, times), 2u);
    EXPECT_EQ(values, (std::vector<double>{1e-6, 2e-3}));
    EXPECT_EQ(times, (std::vector<double>{0.0, 0.5}));
}

TEST(ReadSampleBlock, ReplyShorterThanItsPrefixGivesNoSamples) {
    std::vector<double> values{1.0}, times{1.0};
    for (unsigned size : {0u, 1u, 2u, 17u}) {
        EXPECT_EQ(CMainFrame::ReadSampleBlock("#0", size < 2 ? size : 2, values, times), 0u) << size;
        EXPECT_TRUE(values.empty() && times.empty()) << size;
    }
}

TEST(ShownCount, SamplesUpToTheTimeoutAndOneAfter) {
    const std::vector<double> times{0.0, 0.5, 1.0, 1.5, 2.0};
    struct {
        unsigned n;
        double timeout;
        unsigned shown;
    } rows[] = {{5, 1.0, 4}, {5, 2.0, 5}, {5, 0.0, 2}, {5, -1.0, 2}, {1, -1.0, 1}, {0, 1.0, 0}, {5, 0.75, 3}};
    for (const auto& row : rows)
        EXPECT_EQ(CMainFrame::ShownCount(times, row.n, row.timeout), row.shown)
            << "n " << row.n << " timeout " << row.timeout;
}

TEST(AutoSavePath, NamesTheFileByTheLocalTime) {
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 4;
    local.tm_hour = 5;
    local.tm_min = 6;
    local.tm_sec = 7;
    local.tm_isdst = -1;
    const std::time_t when = std::mktime(&local);
    EXPECT_EQ(CMainFrame::AutoSavePath(QStringLiteral("/data\\Current"), when),
              QStringLiteral("/data/Current/2026-03-04_05-06-07_AutoSave.csv"));
    EXPECT_EQ(CMainFrame::AutoSavePath(QStringLiteral("/data/"), when),
              QStringLiteral("/data/2026-03-04_05-06-07_AutoSave.csv"));
}

} // namespace
