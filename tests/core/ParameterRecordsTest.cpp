#include "lumora/core/ParameterInstruDCSource.h"
#include "lumora/core/ParameterInstruMultiMeter.h"

#include <gtest/gtest.h>

namespace {

TEST(ParameterRecords, DefaultsAreTheDocumentedOnes) {
    const CParameterInstruDCSource dc;
    EXPECT_EQ(dc.Resource, QStringLiteral("TCPIP0::127.0.0.1::INSTR"));
    EXPECT_EQ(dc.Timeout, QStringLiteral("30000"));
    EXPECT_TRUE(dc.VoltageLevel.isEmpty());
    EXPECT_EQ(dc.VoltageLimit, QStringLiteral("5"));
    EXPECT_EQ(dc.VoltageProtection, QStringLiteral("5"));
    EXPECT_EQ(dc.CurrentLimit, QStringLiteral("0.5"));
    EXPECT_EQ(dc.CurrentProtection, QStringLiteral("0.5"));
    EXPECT_EQ(dc.BufferCapacity, 2u);
    EXPECT_EQ(dc.DataLogging.AcqTimeSecond, 30);
    const CParameterInstruMultiMeter dmm;
    EXPECT_EQ(dmm.TriggerLevel, QStringLiteral("0"));
    EXPECT_TRUE(dmm.InstrumentIDN.isEmpty());
    EXPECT_DOUBLE_EQ(dmm.CaptCurr, 0.5);
    EXPECT_DOUBLE_EQ(dmm.NplcCurr, 0.001);
}

TEST(ParameterRecords, DcSourceAssignmentKeepsTheTargetsCurrentRange) {
    CParameterInstruDCSource source;
    source.Name = QStringLiteral("2280S");
    source.CurrentRange = 3;
    source.TriggerTimeout = 2.5;
    source.DataLogging.AcqTimeHour = 4;
    source.DataLogging.DataAcqNumber = 77;
    CParameterInstruDCSource target;
    target.CurrentRange = 1;
    target = source;
    EXPECT_EQ(target.CurrentRange, 1);
    EXPECT_EQ(target.Name, QStringLiteral("2280S"));
    EXPECT_DOUBLE_EQ(target.TriggerTimeout, 2.5);
    EXPECT_EQ(target.DataLogging.AcqTimeHour, 4);
    EXPECT_EQ(target.DataLogging.DataAcqNumber, 77u);
    const CParameterInstruDCSource copy(source);
    EXPECT_EQ(copy.CurrentRange, 0);
    EXPECT_EQ(copy.Name, QStringLiteral("2280S"));
    target = target;
    EXPECT_EQ(target.Name, QStringLiteral("2280S"));
}

struct SCountCase {
    const char* name;
    float hours, minutes, seconds;
    double nplc, lineFrequency;
    int expected;
};

TEST(ParameterRecords, DataAcqNumberFollowsTimeOverPeriodAndIsCapped) {
    const SCountCase cases[] = {
        {"defaults", 0, 0, 30, 0.01, 50.0, 150000},
        {"zero time counts as 10 s", 0, 0, 0, 0.01, 50.0, 50000},
        {"zero nplc gives 1 s period", 0, 1, 0, 0.0, 50.0, 60},
        {"48 h at 0.0005 would overflow int", 48, 0, 0, 0.0005, 50.0, kMaxDataAcqNumber},
        {"exactly the limit", 0, 0, 60, 0.0005, 50.0, kMaxDataAcqNumber},
        {"one sample", 0, 0, 1, 50.0, 50.0, 1},
        {"infinite period", 0, 0, 30, 1e308 * 10, 50.0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CalcDataAcqNumber(c.hours, c.minutes, c.seconds, c.nplc, c.lineFrequency), c.expected)
            << c.name;
}

TEST(ParameterRecords, CountPerPeriodGivesWholeSeconds) {
    EXPECT_EQ(CalcCountPerPeriod(2500, 0.1, 50.0), 5);
    EXPECT_EQ(CalcCountPerPeriod(6000000, 0.0005, 50.0), 60);
    EXPECT_EQ(CalcCountPerPeriod(6000000, 0.0005, 0.0), std::numeric_limits<int>::max());
    EXPECT_EQ(CalcCountPerPeriod(0, 0.0, 0.0), 0);
}

} // namespace
