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

// Every field of the record away from its default.
CParameterInstruDCSource DistinctDcSource() {
    CParameterInstruDCSource r;
    r.Name = QStringLiteral("2280S");
    r.Type = QStringLiteral("DC");
    r.Model = QStringLiteral("2280S-32-6");
    r.Resource = QStringLiteral("TCPIP0::10.0.0.9::INSTR");
    r.Timeout = QStringLiteral("5000");
    r.EndOfLine = QStringLiteral("LF");
    r.AddressIP = QStringLiteral("10.0.0.9");
    r.AddressUSB = QStringLiteral("USB0::1::2::3::INSTR");
    r.FunctionType = 2;
    r.OutputState = 1;
    r.CurrentRange = 3;
    r.VoltageLevel = QStringLiteral("3.3");
    r.VoltageLimit = QStringLiteral("6");
    r.VoltageProtection = QStringLiteral("7");
    r.CurrentLimit = QStringLiteral("1");
    r.CurrentProtection = QStringLiteral("1.5");
    r.InstrumentIDN = QStringLiteral("KEITHLEY,2280S");
    r.TriggerTimeout = 2.5;
    r.DcsNplcCurr = 0.2;
    r.DcsNplcDLOG = 0.002;
    r.LineFrequency = 60.0;
    r.TriggerCount = 9;
    r.BufferCapacity = 7;
    r.DataLogging.AcqTimeHour = 4;
    r.DataLogging.AcqTimeMinute = 5;
    r.DataLogging.AcqTimeSecond = 6;
    r.DataLogging.AutoNPLC = 1;
    r.DataLogging.DataLoggingMeas = 2;
    r.DataLogging.DataAcqNumber = 77;
    r.DataLogging.FileSize = 88;
    return r;
}

// Every field but CurrentRange.
void ExpectSameButCurrentRange(const CParameterInstruDCSource& a, const CParameterInstruDCSource& b) {
    EXPECT_EQ(a.Name, b.Name);
    EXPECT_EQ(a.Type, b.Type);
    EXPECT_EQ(a.Model, b.Model);
    EXPECT_EQ(a.Resource, b.Resource);
    EXPECT_EQ(a.Timeout, b.Timeout);
    EXPECT_EQ(a.EndOfLine, b.EndOfLine);
    EXPECT_EQ(a.AddressIP, b.AddressIP);
    EXPECT_EQ(a.AddressUSB, b.AddressUSB);
    EXPECT_EQ(a.FunctionType, b.FunctionType);
    EXPECT_EQ(a.OutputState, b.OutputState);
    EXPECT_EQ(a.VoltageLevel, b.VoltageLevel);
    EXPECT_EQ(a.VoltageLimit, b.VoltageLimit);
    EXPECT_EQ(a.VoltageProtection, b.VoltageProtection);
    EXPECT_EQ(a.CurrentLimit, b.CurrentLimit);
    EXPECT_EQ(a.CurrentProtection, b.CurrentProtection);
    EXPECT_EQ(a.InstrumentIDN, b.InstrumentIDN);
    EXPECT_EQ(a.TriggerTimeout, b.TriggerTimeout);
    EXPECT_EQ(a.DcsNplcCurr, b.DcsNplcCurr);
    EXPECT_EQ(a.DcsNplcDLOG, b.DcsNplcDLOG);
    EXPECT_EQ(a.LineFrequency, b.LineFrequency);
    EXPECT_EQ(a.TriggerCount, b.TriggerCount);
    EXPECT_EQ(a.BufferCapacity, b.BufferCapacity);
    EXPECT_EQ(a.DataLogging.AcqTimeHour, b.DataLogging.AcqTimeHour);
    EXPECT_EQ(a.DataLogging.AcqTimeMinute, b.DataLogging.AcqTimeMinute);
    EXPECT_EQ(a.DataLogging.AcqTimeSecond, b.DataLogging.AcqTimeSecond);
    EXPECT_EQ(a.DataLogging.AutoNPLC, b.DataLogging.AutoNPLC);
    EXPECT_EQ(a.DataLogging.DataLoggingMeas, b.DataLogging.DataLoggingMeas);
    EXPECT_EQ(a.DataLogging.DataAcqNumber, b.DataLogging.DataAcqNumber);
    EXPECT_EQ(a.DataLogging.FileSize, b.DataLogging.FileSize);
}

TEST(ParameterRecords, DcSourceAssignmentKeepsTheTargetsCurrentRange) {
    const CParameterInstruDCSource source = DistinctDcSource();
    CParameterInstruDCSource target;
    target.CurrentRange = 1;
    target = source;
    EXPECT_EQ(target.CurrentRange, 1);
    ExpectSameButCurrentRange(target, source);
    const CParameterInstruDCSource copy(source);
    EXPECT_EQ(copy.CurrentRange, 0);
    ExpectSameButCurrentRange(copy, source);
}

// Copies are values of their own: a source changed afterwards leaves them as they were copied, and a
// record assigned to itself through another name keeps every field.
TEST(ParameterRecords, CopiesStayAsCopiedAndSelfAssignmentKeepsEveryField) {
    const CParameterInstruDCSource original = DistinctDcSource();
    CParameterInstruDCSource source = original;
    source.CurrentRange = original.CurrentRange;
    CParameterInstruDCSource assigned;
    assigned = source;
    const CParameterInstruDCSource copied(source);
    source = CParameterInstruDCSource{};
    source.Name = QStringLiteral("changed");
    source.DataLogging.AcqTimeHour = 11;
    ExpectSameButCurrentRange(assigned, original);
    ExpectSameButCurrentRange(copied, original);

    CParameterInstruDCSource self = original;
    self.CurrentRange = original.CurrentRange;
    const CParameterInstruDCSource& alias = self;
    self = alias;
    EXPECT_EQ(self.CurrentRange, original.CurrentRange);
    ExpectSameButCurrentRange(self, original);

    CParameterMeasDataLogging block = original.DataLogging;
    const CParameterMeasDataLogging& blockAlias = block;
    block = blockAlias;
    EXPECT_EQ(block.AcqTimeHour, 4);
    EXPECT_EQ(block.AcqTimeSecond, 6);
    EXPECT_EQ(block.DataAcqNumber, 77u);
    EXPECT_EQ(block.FileSize, 88u);
}

// The connection dialog edits a copy of the record's base part and the settings dialog a copy of its
// data-logging block: writing them back changes those fields and nothing else of the record.
TEST(ParameterRecords, BaseAndBlockCopiesWriteBackOnlyTheirOwnFields) {
    CParameterInstruMultiMeter meter;
    meter.CurrentRange = 5;
    meter.TriggerMode = 1;
    meter.NplcCurr = 0.5;
    meter.InstrumentIDN = QStringLiteral("KEITHLEY,DMM7510");
    CParameterInstru connection = meter;
    connection.Resource = QStringLiteral("TCPIP0::10.0.0.7::inst0::INSTR");
    connection.EndOfLine = QStringLiteral("CRLF");
    EXPECT_EQ(meter.Resource, QStringLiteral("TCPIP0::127.0.0.1::INSTR"));
    static_cast<CParameterInstru&>(meter) = connection;
    EXPECT_EQ(meter.Resource, connection.Resource);
    EXPECT_EQ(meter.EndOfLine, QStringLiteral("CRLF"));
    EXPECT_EQ(meter.Timeout, QStringLiteral("30000"));
    EXPECT_EQ(meter.CurrentRange, 5);
    EXPECT_EQ(meter.TriggerMode, 1);
    EXPECT_DOUBLE_EQ(meter.NplcCurr, 0.5);
    EXPECT_EQ(meter.InstrumentIDN, QStringLiteral("KEITHLEY,DMM7510"));

    CParameterMeasDataLogging settings = meter.DataLogging;
    settings.AcqTimeMinute = 12;
    settings.DataAcqNumber = 3000;
    EXPECT_EQ(meter.DataLogging.AcqTimeMinute, 0);
    meter.DataLogging = settings;
    EXPECT_EQ(meter.DataLogging.AcqTimeMinute, 12);
    EXPECT_EQ(meter.DataLogging.AcqTimeSecond, 30);
    EXPECT_EQ(meter.DataLogging.DataAcqNumber, 3000u);
    EXPECT_EQ(meter.Resource, connection.Resource);
}

struct SCountCase {
    const char* name;
    float hours, minutes, seconds;
    double nplc, lineFrequency;
    int expected;
};

// The count is time over period, whatever an instrument's buffer holds: the settings dialogs test
// the limits, and a supply run streams far more.
TEST(ParameterRecords, DataAcqNumberFollowsTimeOverPeriod) {
    const SCountCase cases[] = {
        {"defaults", 0, 0, 30, 0.01, 50.0, 150000},
        {"zero time counts as 10 s", 0, 0, 0, 0.01, 50.0, 50000},
        {"zero nplc gives 1 s period", 0, 1, 0, 0.0, 50.0, 60},
        {"the multimeter's buffer", 0, 0, 60, 0.0005, 50.0, kMaxDataAcqNumber},
        {"an hour at a hundredth of a cycle", 1, 0, 0, 0.01, 50.0, 18000000},
        {"48 h at 0.0005 beyond int", 48, 0, 0, 0.0005, 50.0, std::numeric_limits<int>::max()},
        {"one sample", 0, 0, 1, 50.0, 50.0, 1},
        {"infinite period", 0, 0, 30, 1e308 * 10, 50.0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CalcDataAcqNumber(c.hours, c.minutes, c.seconds, c.nplc, c.lineFrequency), c.expected)
            << c.name;
}

// The settings dialogs test the count against the limit, so it must not stop at the limit.
TEST(ParameterRecords, UncappedCountGoesBeyondTheLimit) {
    const struct {
        const char* name;
        float hours, minutes, seconds;
        double nplc;
        double expected;
    } cases[] = {
        {"exactly the limit", 0, 0, 60, 0.0005, 6000000.0},
        {"one second more", 0, 0, 61, 0.0005, 6100000.0},
        {"48 h beyond int", 48, 0, 0, 0.0005, 17280000000.0},
        {"zero time counts as 10 s", 0, 0, 0, 0.01, 50000.0},
        {"infinite period", 0, 0, 30, 1e308 * 10, 0.0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountDataAcqSamples(c.hours, c.minutes, c.seconds, c.nplc, 50.0), c.expected) << c.name;
}

TEST(ParameterRecords, CountPerPeriodGivesWholeSeconds) {
    EXPECT_EQ(CalcCountPerPeriod(2500, 0.1, 50.0), 5);
    EXPECT_EQ(CalcCountPerPeriod(6000000, 0.0005, 50.0), 60);
    EXPECT_EQ(CalcCountPerPeriod(6000000, 0.0005, 0.0), std::numeric_limits<int>::max());
    EXPECT_EQ(CalcCountPerPeriod(0, 0.0, 0.0), 0);
}

} // namespace
