#include "tests/supplydrv/SupplyFixture.h"

#include "platform/MessageTarget.h"

#include <functional>

namespace {

using supplytest::CSupplyFixture;
using supplytest::CTestableDCPS;
using supplytest::eTransport;
using Lines = std::vector<std::string>;

struct SCommandCase {
    const char* name;
    std::function<int(CTestableDCPS&)> call;
    Lines sent;
    int result;
};

class SupplyCommands : public CSupplyFixture {};

TEST_P(SupplyCommands, EachOperationSendsExactlyItsText) {
    QString text;
    int value = 0;
    double number = 0;
    unsigned count = 0;
    const SCommandCase cases[] = {
        {"function volt", [](auto& d) { return d.SetFunctionType(1); }, {":SENS:FUNC \"VOLT:DC\""}, 1},
        {"function conc", [](auto& d) { return d.SetFunctionType(3); }, {":SENS:FUNC \"CONC:DC\""}, 1},
        {"function curr", [](auto& d) { return d.SetFunctionType(2); }, {":SENS:FUNC \"CURR:DC\""}, 1},
        {"function other", [](auto& d) { return d.SetFunctionType(4); }, {}, 0},
        {"get function", [&](auto& d) { return d.GetFunctionType(value); }, {":SENS:FUNC?"}, 1},
        {"idn", [](auto& d) { return d.GetInstrumentIDN().contains("2280S") ? 1 : 0; }, {"*IDN?"}, 1},
        {"output on", [](auto& d) { return d.SetOutputState(1); }, {":OUTP ON"}, 1},
        {"output off", [](auto& d) { return d.SetOutputState(0); }, {":OUTP OFF"}, 1},
        {"get output", [&](auto& d) { return d.GetOutputState(value); }, {":OUTP?"}, 1},
        {"voltage", [](auto& d) { return d.SetVoltageLevel("3.3"); }, {":VOLT 3.3"}, 1},
        {"voltage limit", [](auto& d) { return d.SetVoltageLimit("4.5"); }, {":VOLT:LIM 4.5"}, 1},
        {"voltage protection", [](auto& d) { return d.SetVoltageProtection("5"); }, {":VOLT:PROT 5"}, 1},
        {"current limit", [](auto& d) { return d.SetCurrentLimit("0.2"); }, {":CURR 0.2"}, 1},
        {"current protection", [](auto& d) { return d.SetCurrentProtection("0.3"); }, {":CURR:PROT 0.3"}, 1},
        // A parameter that is no number goes nowhere: the supply would queue a parameter error.
        {"voltage empty", [](auto& d) { return d.SetVoltageLevel(""); }, {}, 0},
        {"voltage with a decimal comma", [](auto& d) { return d.SetVoltageLevel("3,3"); }, {}, 0},
        {"current limit that is a word", [](auto& d) { return d.SetCurrentLimit("MAXI"); }, {}, 0},
        {"voltage protection blank", [](auto& d) { return d.SetVoltageProtection(" "); }, {}, 0},
        {"get voltage", [&](auto& d) { return d.GetVoltageLevel(text); }, {":VOLT?"}, 1},
        {"get voltage limit", [&](auto& d) { return d.GetVoltageLimit(text); }, {":VOLT:LIM?"}, 1},
        {"get voltage protection", [&](auto& d) { return d.GetVoltageProtection(text); }, {":VOLT:PROT?"}, 1},
        {"get current limit", [&](auto& d) { return d.GetCurrentLimit(text); }, {":CURR?"}, 1},
        {"get current protection", [&](auto& d) { return d.GetCurrentProtection(text); }, {":CURR:PROT?"}, 1},
        {"system error", [&](auto& d) { return d.IsSystemErrorOccured(value); }, {":SYST:ERR?"}, 1},
        {"trip",
         [](auto& d) { return static_cast<int>(d.CheckProtectionTripped()); },
         {":OUTP:PROT:TRIP?"},
         0},
        {"get autozero", [&](auto& d) { return d.GetSystemAutozero(value); }, {":SYST:AZER?"}, 1},
        {"autozero off", [](auto& d) { return d.SetSystemAutozero(0); }, {":SYST:AZER OFF"}, 1},
        {"autozero on", [](auto& d) { return d.SetSystemAutozero(1); }, {":SYST:AZER ON"}, 1},
        {"nplc", [](auto& d) { return d.SetCurrentNPLC(0.1); }, {":SENS:CURR:NPLC 0.100000"}, 1},
        {"get nplc", [&](auto& d) { return d.GetCurrentNPLC(number); }, {":SENS:CURR:NPLC?"}, 1},
        {"line frequency", [&](auto& d) { return d.GetPowerLineFrequency(number); }, {":SYST:LFR?"}, 1},
        {"range",
         [](auto& d) { return d.SetCurrentRange(1); },
         {":SENS:CURR:DC:RANG:AUTO OFF", ":SENS:CURR:DC:RANG 0.1"},
         1},
        {"range outside", [](auto& d) { return d.SetCurrentRange(4); }, {":SENS:CURR:DC:RANG:AUTO OFF"}, 0},
        {"get range", [&](auto& d) { return d.GetCurrentRange(value); }, {":SENS:CURR:DC:RANG?"}, 1},
        {"trigger count capped",
         [](auto& d) { return d.SetTriggerCount(3000); },
         {":TRIG:COUN 1", ":TRIG:SAMP:COUN 2500"},
         1},
        {"get trigger count", [&](auto& d) { return d.GetTriggerCount(count); }, {":TRIG:SAMP:COUN?"}, 1},
        {"buffer capped", [](auto& d) { return d.SetBufferCapacity(3000); }, {":TRACe:POINts 2500"}, 1},
        {"get buffer", [&](auto& d) { return d.GetBufferCapacity(count); }, {":TRACe:POINts?"}, 1},
        {"error count", [](auto& d) { return d.GetSystemErrorCounts(); }, {":SYSTem:ERRor:COUNt?"}, 0},
        {"abort logging",
         [](auto& d) { return d.AbortMeasureDataLogging(); },
         {":INIT:CONT OFF", ":ABOR"},
         1},
    };
    for (const SCommandCase& c : cases) {
        Sent();
        Log().Clear();
        EXPECT_EQ(c.call(m_driver), c.result) << c.name;
        EXPECT_EQ(Sent(), c.sent) << c.name;
    }
    EXPECT_EQ(m_bench.Supply().ErrorCount(), 0u);
}

TEST_P(SupplyCommands, RepliesAreReadIntoTheResults) {
    ASSERT_EQ(m_driver.SetVoltageLevel("3.3"), 1);
    ASSERT_EQ(m_driver.SetCurrentRange(2), 1);
    ASSERT_EQ(m_driver.SetOutputState(1), 1);
    ASSERT_EQ(m_driver.SetTriggerCount(321), 1);
    QString voltage;
    int range = -1, on = 0, type = 0, error = 1;
    unsigned count = 0;
    double frequency = 0;
    EXPECT_EQ(m_driver.GetVoltageLevel(voltage), 1);
    EXPECT_EQ(voltage, "3.300000");
    EXPECT_EQ(m_driver.GetCurrentRange(range), 1);
    EXPECT_EQ(range, 2);
    EXPECT_EQ(m_driver.GetOutputState(on), 1);
    EXPECT_EQ(on, 1);
    EXPECT_EQ(m_driver.GetFunctionType(type), 1);
    EXPECT_EQ(type, 2);
    EXPECT_EQ(m_driver.GetTriggerCount(count), 1);
    EXPECT_EQ(count, 321u);
    EXPECT_EQ(m_driver.GetPowerLineFrequency(frequency), 1);
    EXPECT_EQ(frequency, 50.0);
    EXPECT_EQ(m_driver.IsSystemErrorOccured(error), 1);
    EXPECT_EQ(error, 0);
    m_driver.SetCurrentNPLC(99.0); // out of range: an error in the queue
    EXPECT_EQ(m_driver.IsSystemErrorOccured(error), 1);
    EXPECT_EQ(error, 1);
}

TEST_P(SupplyCommands, TriggerTimeoutSetsCountAndBuffer) {
    EXPECT_EQ(m_driver.SetTriggerTimeout(m_record), 1);
    EXPECT_EQ(m_record.TriggerCount, 500);
    EXPECT_EQ(Sent(), (Lines{":TRIG:COUN 1", ":TRIG:SAMP:COUN 500", ":TRACe:POINts 500"}));
    struct SBad {
        const char* name;
        double nplc, frequency;
    };
    for (const SBad& bad : {SBad{"zero nplc", 0.0, 50.0}, SBad{"negative nplc", -0.1, 50.0},
                            SBad{"zero frequency", 0.1, 0.0}}) {
        Sent();
        Log().Clear();
        CParameterInstruDCSource record;
        record.DcsNplcCurr = bad.nplc;
        record.LineFrequency = bad.frequency;
        EXPECT_EQ(m_driver.SetTriggerTimeout(record), 0) << bad.name;
        EXPECT_TRUE(Sent().empty()) << bad.name;
    }
}

TEST_P(SupplyCommands, SetAllSendsTheItemsInOrder) {
    m_record.VoltageLevel = "3.3";
    m_record.CurrentRange = 1;
    EXPECT_EQ(m_driver.SetParameterInstruDCSource(m_record, CParameterInstruDCSource::ITEM_ALL), 1);
    const Lines expected = {":SENS:FUNC \"VOLT:DC\"",
                            ":OUTP OFF",
                            ":VOLT 3.3",
                            ":VOLT:PROT 5",
                            ":CURR 0.5",
                            ":CURR:PROT 0.5",
                            ":SENS:CURR:DC:RANG:AUTO OFF",
                            ":SENS:CURR:DC:RANG 0.1",
                            ":TRACe:POINts 2",
                            ":TRIG:COUN 1",
                            ":TRIG:SAMP:COUN 500",
                            ":TRACe:POINts 500"};
    EXPECT_EQ(Sent(), expected);
}

TEST_P(SupplyCommands, SetAllStopsAtTheFirstFailingItem) {
    m_record.VoltageLevel = "1";
    m_record.CurrentRange = 7;
    EXPECT_EQ(m_driver.SetParameterInstruDCSource(m_record, CParameterInstruDCSource::ITEM_ALL), 0);
    const Lines sent = Sent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), ":SENS:CURR:DC:RANG:AUTO OFF");
    for (const std::string& line : sent)
        EXPECT_EQ(line.find(":TRACe:POINts"), std::string::npos) << "items after the range were sent";
}

TEST_P(SupplyCommands, GetAllFillsTheRecord) {
    m_driver.SetVoltageLevel("2.5");
    m_driver.SetBufferCapacity(123);
    m_driver.SetTriggerCount(77);
    CParameterInstruDCSource record;
    record.CurrentRange = -1;
    EXPECT_EQ(m_driver.GetParameterInstruDCSource(record, CParameterInstruDCSource::ITEM_ALL), 1);
    EXPECT_EQ(record.FunctionType, 2);
    EXPECT_EQ(record.VoltageLevel, "2.500000");
    EXPECT_TRUE(record.InstrumentIDN.contains("2280S"));
    EXPECT_EQ(record.CurrentRange, 2);
    EXPECT_EQ(record.BufferCapacity, 123u);
    EXPECT_EQ(record.TriggerCount, 77);
    Sent();
    Log().Clear();
    EXPECT_EQ(m_driver.GetParameterInstruDCSource(record, CParameterInstruDCSource::ITEM_IDN), 1);
    EXPECT_EQ(Sent(), Lines{"*IDN?"});
}

class CConnectionTarget : public platform::CMessageTarget {
public:
    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override {
        messages.push_back({message, wParam, lParam});
        return 0;
    }
    struct SMessage {
        platform::UINT message;
        platform::WPARAM wParam;
        platform::LPARAM lParam;
    };
    std::vector<SMessage> messages;
};

TEST_P(SupplyCommands, ConnectingTellsTheParentOnce) {
    CConnectionTarget parent;
    CEntityInstruDCPS driver;
    driver.SetInstrumentID(32815);
    driver.SetParameterInstru(m_record);
    driver.SetParentWndPtr(&parent, nullptr);
    EXPECT_EQ(driver.SetInstrumentControlDCPS(), 1);
    EXPECT_EQ(driver.SetFunctionType(2), 1);
    ASSERT_EQ(parent.messages.size(), 1u);
    EXPECT_EQ(parent.messages[0].message, 0x814Du);
    EXPECT_EQ(parent.messages[0].wParam, 32815u);
    EXPECT_EQ(parent.messages[0].lParam, 1);
}

TEST_P(SupplyCommands, FailedConnectionFailsTheCheckedOperations) {
    CEntityInstruDCPS driver;
    CParameterInstruDCSource record;
    record.Resource = "TCPIP0::127.0.0.1::1::SOCKET";
    record.Timeout = "500";
    driver.SetParameterInstru(record);
    EXPECT_EQ(driver.SetInstrumentControlDCPS(), 0);
    EXPECT_EQ(driver.SetFunctionType(2), 0);
    EXPECT_EQ(driver.GetParameterInstruDCSource(record, CParameterInstruDCSource::ITEM_ALL), 0);
}

INSTANTIATE_TEST_SUITE_P(Transports, SupplyCommands, ::testing::Values(eTransport::Vxi11, eTransport::Socket),
                         supplytest::TransportName);

} // namespace
