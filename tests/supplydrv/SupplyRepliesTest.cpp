#include "instruments/simulator/bench/SimulatedInstrument.h"
#include "platform/Event.h"
#include "supplydrv/EntityInstruDCPS.h"
#include "tests/drivertest/ScriptedModel.h"
#include "tests/supplydrv/SupplyFixture.h"
#include "tests/support/WaitFor.h"

#include <algorithm>
#include <future>

namespace {

using benchsim::CFaultSwitches;

// Reply forms of a real instrument that the simulator does not produce, over a real socket.
class SupplyReplies : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(m_instrument.Start("127.0.0.1", -1, 0, 0, error)) << error;
        CParameterInstruDCSource record;
        record.Resource = QString::fromStdString(m_instrument.SocketResource());
        record.Timeout = testsupport::kLongTimeoutMs;
        m_driver.SetParameterInstru(record);
        ASSERT_EQ(m_driver.SetInstrumentControlDCPS(), 1);
    }
    // A short time-out, for a test whose calls must time out.
    void ShortTimeout() {
        CParameterInstruDCSource record;
        record.Resource = QString::fromStdString(m_instrument.SocketResource());
        record.Timeout = "300";
        m_driver.SetParameterInstru(record);
    }
    drivertest::CScriptedModel m_model;
    benchsim::CSimulatedInstrument m_instrument{m_model};
    CEntityInstruDCPS m_driver;
};

TEST_F(SupplyReplies, RangeReplies) {
    struct SCase {
        const char* reply;
        int result, index;
    };
    const SCase cases[] = {{"100mA", 1, 1}, {"10 MA", 1, 0}, {"0.1", 1, 1},    {"1.000000E+01", 1, 3},
                           {"1", 1, 2},     {"100", 0, -1},  {"10 μA", 0, -1}, {"junk", 0, -1}};
    for (const SCase& c : cases) {
        m_model.SetReply(":SENS:CURR:DC:RANG?", c.reply);
        int index = -1;
        EXPECT_EQ(m_driver.GetCurrentRange(index), c.result) << c.reply;
        EXPECT_EQ(index, c.index) << c.reply;
    }
}

TEST_F(SupplyReplies, ProtectionTripReplies) {
    struct SCase {
        const char* reply;
        unsigned trip;
    };
    const SCase cases[] = {{"OVP,OCP", 1}, {"ovp", 2},  {"OTP", 3}, {"RVS", 4},
                           {"OPS", 5},     {"NONE", 0}, {"huh", 6}};
    for (const SCase& c : cases) {
        m_model.SetReply(":OUTP:PROT:TRIP?", c.reply);
        EXPECT_EQ(m_driver.CheckProtectionTripped(), c.trip) << c.reply;
    }
}

TEST_F(SupplyReplies, SwitchAndFunctionReplies) {
    struct SCase {
        const char* reply;
        int on;
    };
    for (const SCase& c : {SCase{"ON", 1}, SCase{"on", 1}, SCase{"1", 1}, SCase{"0", 0}, SCase{"OFF", 0}}) {
        m_model.SetReply(":OUTP?", c.reply);
        int on = -1;
        EXPECT_EQ(m_driver.GetOutputState(on), 1);
        EXPECT_EQ(on, c.on) << c.reply;
    }
    struct SFunction {
        const char* reply;
        int result, type;
    };
    for (const SFunction& c : {SFunction{"\"volt:dc\"", 1, 1}, SFunction{"CURR", 1, 2},
                               SFunction{"CONC:DC", 1, 3}, SFunction{"RES", 0, 0}}) {
        m_model.SetReply(":SENS:FUNC?", c.reply);
        int type = -1;
        EXPECT_EQ(m_driver.GetFunctionType(type), c.result) << c.reply;
        EXPECT_EQ(type, c.type) << c.reply;
    }
}

TEST_F(SupplyReplies, MissingRepliesFail) {
    ShortTimeout();
    int on = 0;
    EXPECT_EQ(m_driver.GetOutputState(on), 0);
    EXPECT_EQ(m_driver.CheckProtectionTripped(), 6u);
}

TEST_F(SupplyReplies, DrainEndsOnTheStopEvent) {
    // An event register that never drains.
    for (const char* query : {":OUTP?", ":STAT:OPER:INST:ISUM:EVEN?"})
        m_model.SetReply(query, "1");
    m_model.SetReply(":OUTP:PROT:TRIP?", "NONE");
    m_model.SetReply(":SYSTem:ERRor:COUNt?", "0");
    // The drain's own time-out lies beyond the wait for the result: only the stop can end it in time.
    CParameterInstruDCSource record;
    record.Resource = QString::fromStdString(m_instrument.SocketResource());
    record.Timeout = "120000";
    m_driver.SetTriggerTimeout(record);
    platform::CEvent stop(false, false);
    m_driver.SetParentWndPtr(nullptr, &stop);
    auto result = std::async(std::launch::async, [&] { return m_driver.InitMeasAndWaitForResult_CurrDC(); });
    // The drain has begun.
    const bool draining = testsupport::WaitUntil([&] {
        const auto lines = m_instrument.Host().Log().Lines();
        return std::count(lines.begin(), lines.end(), ":STAT:OPER:INST:ISUM:EVEN?") >= 2;
    });
    stop.Set();
    ASSERT_TRUE(draining);
    ASSERT_TRUE(testsupport::Ready(result));
    EXPECT_EQ(result.get(), 0);
}

TEST_F(SupplyReplies, DrainEndsAfterTheTimeout) {
    for (const char* query : {":OUTP?", ":STAT:OPER:INST:ISUM:EVEN?"})
        m_model.SetReply(query, "1");
    m_model.SetReply(":OUTP:PROT:TRIP?", "NONE");
    m_model.SetReply(":SYSTem:ERRor:COUNt?", "0");
    CParameterInstruDCSource record;
    record.Resource = QString::fromStdString(m_instrument.SocketResource());
    record.Timeout = "300";
    m_driver.SetTriggerTimeout(record); // the driver takes the record's time-out
    auto result = std::async(std::launch::async, [&] { return m_driver.InitMeasAndWaitForResult_CurrDC(); });
    ASSERT_TRUE(testsupport::Ready(result));
    EXPECT_EQ(result.get(), 0);
}

TEST_F(SupplyReplies, FetchedReadingsAreTakenOnceAndTheTimeCarriesOnOverARestart) {
    m_model.SetReply(":OUTP?", "1");
    m_model.SetReply(":OUTP:PROT:TRIP?", "NONE");
    m_model.SetReply(":SYSTem:ERRor:COUNt?", "0");
    m_model.SetReply(":FETC?", "1.0E-03,5.00");
    ASSERT_EQ(m_driver.InitialMeasure_DataLogging_FetchData(), 1);
    struct SCase {
        const char* reply;
        int result;
        double time, value;
    };
    const SCase cases[] = {
        {"1.0E-03,5.00", 1, 0.0, 1e-3}, // the first fetch is new: nothing was taken yet
        {"1.0E-03,5.00", 0, 0.0, 0.0},  // the same reply again
        {"2.0E-03,5.00", 0, 0.0, 0.0},  // same length, same stamp: the comparison stops at the comma
        {"2.0E-03,5.50", 1, 0.5, 2e-3}, // a new stamp
        {"3.0E-03,5.5", 1, 0.5, 3e-3},  // another length is new
        {"4.0E-03,0.20", 1, 0.7, 4e-3}, // the relative clock restarted: the time carries on
        {"5.0E-03,0.30", 1, 0.8, 5e-3}, // and follows the new stamps
        {"", 0, 0.0, 0.0},              // an empty reply is new but holds no reading
    };
    for (const SCase& c : cases) {
        m_model.SetReply(":FETC?", c.reply);
        double time = -1.0, value = -1.0;
        EXPECT_EQ(m_driver.FetchData_DataLogging(time, value), c.result) << c.reply;
        if (c.result == 1) {
            EXPECT_NEAR(time, c.time, 1e-12) << c.reply;
            EXPECT_DOUBLE_EQ(value, c.value) << c.reply;
        }
    }
}

// Faults of the link, on the simulated supply.
class SupplyFaults : public supplytest::CSupplyFixture {};

TEST_P(SupplyFaults, DroppedLinkFailsAndTheNextCheckReconnects) {
    int on = -1;
    m_bench.SupplyHost().Faults().Set(CFaultSwitches::eDropMidReply, true);
    EXPECT_EQ(m_driver.GetOutputState(on), 0);
    m_bench.SupplyHost().Faults().ClearAll();
    EXPECT_EQ(m_driver.SetInstrumentControlDCPS(), 1);
    EXPECT_EQ(m_driver.GetOutputState(on), 1);
}

TEST_P(SupplyFaults, GarbageAndStalledRepliesFailWithoutHanging) {
    m_record.Timeout = "400";
    m_driver.SetParameterInstru(m_record);
    for (const auto fault : {CFaultSwitches::eGarbage, CFaultSwitches::eStall}) {
        m_bench.SupplyHost().Faults().ClearAll();
        m_bench.SupplyHost().Faults().Set(fault, true);
        auto result = std::async(std::launch::async, [&] {
            int range = -1;
            return std::make_pair(m_driver.GetCurrentRange(range), m_driver.CheckProtectionTripped());
        });
        ASSERT_TRUE(testsupport::Ready(result));
        const auto [range, trip] = result.get();
        EXPECT_EQ(range, 0);
        EXPECT_EQ(trip, 6u);
    }
}

INSTANTIATE_TEST_SUITE_P(Transports, SupplyFaults,
                         ::testing::Values(supplytest::eTransport::Vxi11, supplytest::eTransport::Socket),
                         supplytest::TransportName);

} // namespace
