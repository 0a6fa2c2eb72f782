#include "tests/meterdrv/MeterFixture.h"

#include <functional>

namespace {

using metertest::CMeterFixture;
using metertest::CTestableDVM;
using metertest::eTransport;
using Lines = std::vector<std::string>;

class MeterCommands : public CMeterFixture {};

TEST_P(MeterCommands, EachOperationSendsExactlyItsText) {
    struct SCase {
        const char* name;
        std::function<int(CTestableDVM&)> call;
        Lines sent;
        int result;
    };
    const std::string autoOff = ":SENS:CURR:RANG:AUTO OFF";
    const SCase cases[] = {
        {"current", [](auto& d) { return d.SetFunctionType(2); }, {":SENS:FUNC \"CURR:DC\""}, 1},
        {"voltage", [](auto& d) { return d.SetFunctionType(1); }, {":SENS:FUNC \"VOLT:DC\""}, 1},
        {"other function", [](auto& d) { return d.SetFunctionType(5); }, {}, 0},
        {"10 uA", [](auto& d) { return d.SetCurrentRange(0); }, {autoOff, ":SENS:CURR:RANG 1e-05"}, 1},
        {"100 uA", [](auto& d) { return d.SetCurrentRange(1); }, {autoOff, ":SENS:CURR:RANG 0.0001"}, 1},
        {"1 mA", [](auto& d) { return d.SetCurrentRange(2); }, {autoOff, ":SENS:CURR:RANG 0.001"}, 1},
        {"10 mA", [](auto& d) { return d.SetCurrentRange(3); }, {autoOff, ":SENS:CURR:RANG 0.01"}, 1},
        {"100 mA", [](auto& d) { return d.SetCurrentRange(4); }, {autoOff, ":SENS:CURR:RANG 0.1"}, 1},
        {"1 A", [](auto& d) { return d.SetCurrentRange(5); }, {autoOff, ":SENS:CURR:RANG 1"}, 1},
        {"3 A", [](auto& d) { return d.SetCurrentRange(6); }, {autoOff, ":SENS:CURR:RANG 3"}, 1},
        {"no range", [](auto& d) { return d.SetCurrentRange(7); }, {}, 0},
        {"autozero", [](auto& d) { return d.SetCurrentDisableAutozero(); }, {":SENS:CURR:AZER OFF"}, 1},
        {"nplc", [](auto& d) { return d.SetCurrentNPLC(0.001); }, {":SENS:CURR:NPLC 0.001"}, 1},
        {"free running", [](auto& d) { return d.SetTriggerMode(0); }, {":SENS:CURR:ATR:MODE OFF"}, 1},
        {"rising",
         [](auto& d) { return d.SetTriggerMode(1); },
         {":SENS:CURR:ATR:MODE EDGE", ":SENS:CURR:ATR:EDGE:SLOP RIS"},
         1},
        {"falling",
         [](auto& d) { return d.SetTriggerMode(2); },
         {":SENS:CURR:ATR:MODE EDGE", ":SENS:CURR:ATR:EDGE:SLOP FALL"},
         1},
        {"level", [](auto& d) { return d.SetTriggerLevel("0.002"); }, {":SENS:CURR:ATR:EDGE:LEV 0.002"}, 1},
        {"level empty", [](auto& d) { return d.SetTriggerLevel(""); }, {}, 0},
        {"level with a decimal comma", [](auto& d) { return d.SetTriggerLevel("0,002"); }, {}, 0},
        {"abort", [](auto& d) { return d.AbortMeasureDataLogging(); }, {":ABOR"}, 1},
    };
    for (const SCase& c : cases) {
        ClearLog();
        EXPECT_EQ(c.call(m_driver), c.result) << c.name;
        EXPECT_EQ(Sent(), c.sent) << c.name;
    }
    EXPECT_EQ(m_bench.Meter().ErrorCount(), 0u);
}

TEST_P(MeterCommands, PaneItemsRoundTrip) {
    struct SCase {
        int range, mode;
        const char* level;
    };
    for (const SCase& c : {SCase{0, 0, "0"}, SCase{4, 1, "0.002"}, SCase{6, 2, "1.5"}}) {
        CParameterInstruMultiMeter record;
        record.FunctionType = 2;
        record.CurrentRange = c.range;
        record.TriggerMode = c.mode;
        record.TriggerLevel = c.level;
        ASSERT_EQ(m_driver.SetParameterInstruMultiMeter(record, CParameterInstruMultiMeter::ITEM_ALL), 1);
        CParameterInstruMultiMeter back;
        back.CurrentRange = back.TriggerMode = -1;
        ASSERT_EQ(m_driver.GetParameterInstruMultiMeter(back, CParameterInstruMultiMeter::ITEM_ALL), 1);
        EXPECT_EQ(back.FunctionType, 2);
        EXPECT_EQ(back.CurrentRange, c.range);
        EXPECT_EQ(back.TriggerMode, c.mode);
        EXPECT_DOUBLE_EQ(back.TriggerLevel.toDouble(), QString(c.level).toDouble());
        EXPECT_TRUE(back.InstrumentIDN.contains("DMM7510"));
    }
    for (int item : {CParameterInstruMultiMeter::ITEM_RANGE, CParameterInstruMultiMeter::ITEM_TRIGGER_MODE,
                     CParameterInstruMultiMeter::ITEM_TRIGGER_LEVEL}) {
        ClearLog();
        EXPECT_EQ(m_driver.SetParameterInstruMultiMeter(m_record, item), 1) << item;
        EXPECT_FALSE(Sent().empty()) << item;
    }
}

TEST_P(MeterCommands, SetAllStopsAtTheFirstFailingItem) {
    m_record.FunctionType = 2;
    m_record.CurrentRange = 9;
    EXPECT_EQ(m_driver.SetParameterInstruMultiMeter(m_record, CParameterInstruMultiMeter::ITEM_ALL), 0);
    EXPECT_EQ(Sent(), Lines{":SENS:FUNC \"CURR:DC\""});
}

INSTANTIATE_TEST_SUITE_P(Transports, MeterCommands, ::testing::Values(eTransport::Vxi11, eTransport::Socket),
                         metertest::TransportName);

} // namespace
