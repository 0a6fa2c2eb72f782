#include "tests/supplydrv/SupplyFixture.h"

#include "platform/Event.h"
#include "platform/Numbers.h"
#include "tests/drivertest/StreamClient.h"
#include "tests/support/WaitFor.h"

#include <QStringList>
#include <chrono>
#include <future>
#include <thread>

namespace {

using supplytest::CSupplyFixture;
using supplytest::eTransport;
using Lines = std::vector<std::string>;
using namespace std::chrono_literals;

const Lines COMMON_OUTPUT_OFF = {":OUTP?",           ":OUTP ON",     ":OUTP?",         ":SYSTem:ERRor:CLEar",
                                 ":OUTP:PROT:TRIP?", ":TRACe:CLEar", ":TRIG:SOUR IMM", "*CLS",
                                 ":SYST:AZER OFF"};

class SupplyMeasure : public CSupplyFixture {};

TEST_P(SupplyMeasure, CommonPreparationTurnsTheOutputOn) {
    EXPECT_EQ(m_driver.InitialMeasure_Common(), 1);
    EXPECT_EQ(Sent(), COMMON_OUTPUT_OFF);
    EXPECT_TRUE(m_bench.Supply().IsOutputOn());
}

TEST_P(SupplyMeasure, TrippedProtectionIsClearedFirst) {
    m_driver.SetOutputState(1);
    Sent();
    m_bench.Supply().SetProtectionTrip("OVP");
    Log().Clear();
    EXPECT_EQ(m_driver.InitialMeasure_Common(), 1);
    const Lines expected = {":OUTP?",
                            ":SYSTem:ERRor:CLEar",
                            ":OUTP:PROT:TRIP?",
                            ":OUTPut:PROTection:CLEar",
                            ":TRACe:CLEar",
                            ":TRIG:SOUR IMM",
                            "*CLS",
                            ":SYST:AZER OFF"};
    EXPECT_EQ(Sent(), expected);
}

TEST_P(SupplyMeasure, TriggeredCurrentMeasurementReturnsValueTimePairs) {
    ASSERT_EQ(m_driver.SetCurrentNPLC(m_record.DcsNplcCurr), 1);
    ASSERT_EQ(m_driver.SetTriggerTimeout(m_record), 1);
    Sent();
    Log().Clear();
    ASSERT_EQ(m_driver.InitMeasAndWaitForResult_CurrDC(), 1);
    const QStringList fields = m_driver.GetDataString().trimmed().split(',');
    ASSERT_EQ(fields.size(), 1000);
    for (int i = 0; i < 500; ++i) {
        EXPECT_NEAR(platform::WToF(fields[2 * i + 1]), 0.002 * i, 1e-9);
        EXPECT_GT(platform::WToF(fields[2 * i]), 0.0);
    }
    const Lines sent = Sent();
    Lines head(sent.begin(), sent.begin() + static_cast<long>(COMMON_OUTPUT_OFF.size()));
    EXPECT_EQ(head, COMMON_OUTPUT_OFF);
    const Lines tail = {":INIT:CONT OFF",
                        ":ABOR",
                        ":SYSTem:ERRor:COUNt?",
                        ":STAT:OPER:INST:ISUM:EVEN?",
                        ":STAT:OPER:INST:ISUM:ENAB 1024",
                        ":INIT"};
    EXPECT_EQ(Lines(sent.begin() + static_cast<long>(COMMON_OUTPUT_OFF.size()),
                    sent.begin() + static_cast<long>(COMMON_OUTPUT_OFF.size() + tail.size())),
              tail);
    EXPECT_EQ(sent.back(), "TRAC:DATA? \"READ,REL\"");
}

TEST_P(SupplyMeasure, StopEventEndsAWaitingMeasurement) {
    platform::CEvent stop(false, false);
    m_driver.SetParentWndPtr(nullptr, &stop);
    m_bench.Supply().SetHoldMeasurement(true);
    auto result = std::async(std::launch::async, [&] { return m_driver.InitMeasAndWaitForResult_CurrDC(); });
    // The measurement has started and the driver polls its event register.
    const bool polling = testsupport::WaitUntil([&] { return Log().Lines().size() >= 16; });
    stop.Set();
    ASSERT_TRUE(polling);
    ASSERT_TRUE(testsupport::Ready(result));
    EXPECT_EQ(result.get(), 0);
    EXPECT_FALSE(stop.IsSet()) << "the driver consumes the stop";
    EXPECT_EQ(Sent().back(), ":ABOR");
}

TEST_P(SupplyMeasure, DataLoggingStartsAndAbortsTheContinuousMeasurement) {
    ASSERT_EQ(m_driver.InitialMeasure_DataLogging(), 1);
    Lines expected = COMMON_OUTPUT_OFF;
    expected.insert(expected.end(), {":FORM:ELEM \"READ,REL\"", ":TRACe:FEED:CONTrol ALWays",
                                     ":SYSTem:ERRor:COUNt?", ":INIT:CONT ON"});
    EXPECT_EQ(Sent(), expected);
    EXPECT_TRUE(m_bench.Supply().IsContinuous());
    EXPECT_EQ(m_driver.AbortMeasureDataLogging(), 1);
    Sent();
    EXPECT_FALSE(m_bench.Supply().IsContinuous());
}

TEST_P(SupplyMeasure, DataLoggingReadingsArriveOnTheStream) {
    ASSERT_EQ(m_driver.SetCurrentNPLC(m_record.DcsNplcDLOG), 1);
    ASSERT_EQ(m_driver.InitialMeasure_DataLogging(), 1);
    drivertest::CStreamClient stream(m_bench.Options().supplyAddress, m_bench.Stream().Port());
    ASSERT_TRUE(stream.Connected());
    ASSERT_TRUE(stream.Send({0xA5, 0x5A, 0x00, 0x00}));
    ASSERT_EQ(stream.Read(4), (std::vector<unsigned char>{0, 0, 0, 0}));
    ASSERT_TRUE(stream.Send({0x2E, 0xB1, 0x00, 0x00}));
    const auto frames = stream.Read(100 * 20);
    ASSERT_EQ(frames.size(), 100u * 20u);
    for (std::size_t i = 0; i < 100; ++i) {
        ASSERT_EQ(frames[20 * i], 'V');
        ASSERT_EQ(frames[20 * i + 1], 'A');
    }
    const double first = drivertest::Word(&frames[12]) + drivertest::Word(&frames[16]) * 1e-4;
    const double last = drivertest::Word(&frames[1992]) + drivertest::Word(&frames[1996]) * 1e-4;
    EXPECT_NEAR(last - first, 99 * 0.0002, 2e-4);
    EXPECT_EQ(m_driver.AbortMeasureDataLogging(), 1);
}

TEST_P(SupplyMeasure, FetchedReadingsStartAtZeroAndRise) {
    ASSERT_EQ(m_driver.InitialMeasure_DataLogging_FetchData(), 1);
    Lines expected = COMMON_OUTPUT_OFF;
    expected.insert(expected.end(), {":FORM:ELEM \"READ,REL\"", ":TRACe:FEED:CONTrol ALWays",
                                     ":SYSTem:ERRor:COUNt?", ":INIT:CONT ON", ":TRACe:POINts 100"});
    expected.insert(expected.end(), 11, ":FETC?");
    EXPECT_EQ(Sent(), expected);
    double previous = -1.0;
    int taken = 0;
    for (int i = 0; i < 200 && taken < 5; ++i) {
        double time = 0, value = 0;
        const int result = m_driver.FetchData_DataLogging(time, value);
        ASSERT_GE(result, 0);
        if (result == 1) {
            EXPECT_GT(time, previous);
            EXPECT_GE(time, 0.0);
            EXPECT_GT(value, 0.0);
            previous = time;
            ++taken;
        }
        // Paces the fetches, so that the supply's clock moves on between them; a slow machine only
        // fetches less often, which brings each fetch a new reading all the more.
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_EQ(taken, 5);
    EXPECT_LT(previous, 60.0);
    EXPECT_EQ(m_driver.AbortMeasureDataLogging(), 1);
}

TEST_P(SupplyMeasure, TraceDataVariantReadsTheBuffer) {
    ASSERT_EQ(m_driver.InitialMeasure_DataLogging_TraceData(), 1);
    Lines expected = COMMON_OUTPUT_OFF;
    expected.insert(expected.end(),
                    {":FORM:ELEM \"READ,REL\"", ":TRACe:FEED:CONTrol ALWays", ":SYSTem:ERRor:COUNt?", ":INIT",
                     ":INIT:CONT ON", "TRAC:DATA? \"READ,REL\"", ":TRACe:POINts 100"});
    EXPECT_EQ(Sent(), expected);
    // The buffer holds readings already: the preparation's own buffer query was answered.
    ASSERT_EQ(m_driver.TraceData_DataLogging(), 1);
    EXPECT_EQ(m_driver.GetDataString().split(',').size() % 2, 0);
    EXPECT_EQ(Sent().back(), "TRAC:DATA? \"READ,REL\"");
}

INSTANTIATE_TEST_SUITE_P(Transports, SupplyMeasure, ::testing::Values(eTransport::Vxi11, eTransport::Socket),
                         supplytest::TransportName);

} // namespace
