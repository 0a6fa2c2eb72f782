#include "tests/meterdrv/MeterFixture.h"

#include "platform/Event.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

namespace {

using benchsim::CFaultSwitches;
using metertest::CMeterFixture;
using metertest::eTransport;
using metertest::Samples;
using namespace std::chrono_literals;

class MeterMeasure : public CMeterFixture {};

TEST_P(MeterMeasure, CaptureReturnsItsSamplesWithRisingTimes) {
    PrepareCurrent(4);
    ASSERT_EQ(m_driver.SetMeasureCurrentTime(m_record), 1);
    ASSERT_EQ(m_driver.InitMeasAndWaitForResult(), 1);
    EXPECT_EQ(m_driver.GetDataSize(), 2u + 16u * 25000u);
    const auto samples = Samples(m_driver);
    ASSERT_EQ(samples.size(), 25000u);
    bool sleeping = false, burst = false;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        EXPECT_GT(samples[i].second, samples[i - 1].second);
        sleeping |= samples[i].first < 1e-5;
        burst |= samples[i].first > 1e-3;
    }
    EXPECT_NEAR(samples.back().second - samples.front().second, 0.5, 1e-3);
    EXPECT_TRUE(sleeping && burst) << "microamps asleep and milliamp bursts";
}

TEST_P(MeterMeasure, ZeroLengthCaptureWritesThePrefix) {
    m_record.CaptCurr = 0.0;
    ASSERT_EQ(m_driver.SetMeasureCurrentTime(m_record), 1);
    ASSERT_EQ(m_driver.InitMeasAndWaitForResult(), 1);
    EXPECT_EQ(m_driver.GetDataSize(), 2u);
    EXPECT_EQ(std::string(m_driver.GetDataBuffer(), 2), "#0");
}

TEST_P(MeterMeasure, InvalidCaptureSettingsFail) {
    for (const double nplc : {0.0, -1.0}) {
        m_record.NplcCurr = nplc;
        EXPECT_EQ(m_driver.SetMeasureCurrentTime(m_record), 0);
        EXPECT_EQ(m_driver.InitMeasAndWaitForResult(), 0);
    }
    m_record.NplcCurr = 0.001;
    m_record.CaptCurr = 1000.0;
    EXPECT_EQ(m_driver.SetMeasureCurrentTime(m_record), 0) << "beyond the sample limit";
}

TEST_P(MeterMeasure, EdgeTriggeredCaptureStartsAtTheLevel) {
    m_record.TriggerMode = 1;
    m_record.TriggerLevel = "0.001";
    m_record.CaptCurr = 0.05;
    PrepareCurrent(4);
    ASSERT_EQ(m_driver.SetMeasureCurrentTime(m_record), 1);
    ASSERT_EQ(m_driver.InitMeasAndWaitForResult(), 1);
    const auto samples = Samples(m_driver);
    ASSERT_EQ(samples.size(), 2500u);
    EXPECT_GE(samples.front().first, 1e-3);
    EXPECT_EQ(samples.front().second, 0.0);
}

TEST_P(MeterMeasure, StopEventEndsACaptureThatNeverTriggers) {
    platform::CEvent stop(false, false);
    m_driver.SetParentWndPtr(nullptr, &stop);
    m_record.TriggerMode = 1;
    m_record.TriggerLevel = "2.5"; // never reached by the device
    PrepareCurrent(6);
    ASSERT_EQ(m_driver.SetMeasureCurrentTime(m_record), 1);
    auto result = std::async(std::launch::async, [&] { return m_driver.InitMeasAndWaitForResult(); });
    // The capture has started and the driver polls its state.
    const bool polling = testsupport::WaitUntil([&] {
        const auto lines = Log().Lines();
        return std::find(lines.begin(), lines.end(), ":TRIG:STAT?") != lines.end();
    });
    stop.Set();
    ASSERT_TRUE(polling);
    ASSERT_TRUE(testsupport::Ready(result));
    EXPECT_EQ(result.get(), 0);
    EXPECT_FALSE(stop.IsSet());
    EXPECT_EQ(Sent().back(), ":ABOR");
}

TEST_P(MeterMeasure, DataLoggingReadsRoundsThatFollowEachOther) {
    PrepareCurrent(4);
    ASSERT_EQ(m_driver.SetCurrentNPLC(m_record.NplcDLog), 1);
    ASSERT_EQ(m_driver.InitialDataLogging(), 1);
    ASSERT_EQ(m_driver.InitMeasureDataLogging(), 1);
    double last = -1.0;
    std::size_t total = 0;
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(m_driver.ReadDataLoggingBuffer(), 1);
        const auto samples = Samples(m_driver);
        ASSERT_FALSE(samples.empty()) << round;
        EXPECT_NEAR(samples.front().second - last, last < 0 ? samples.front().second + 1.0 : 0.0002, 1e-9)
            << "round " << round << " continues the previous one";
        for (std::size_t i = 1; i < samples.size(); ++i)
            ASSERT_NEAR(samples[i].second - samples[i - 1].second, 0.0002, 1e-9);
        last = samples.back().second;
        total += samples.size();
    }
    EXPECT_GT(total, 0u);
    ASSERT_EQ(m_driver.AbortMeasureDataLogging(), 1);
    Sent();
    const std::uint64_t count = m_bench.Meter().BufferCount();
    // Readings the meter would have taken meanwhile, had the run gone on. The simulated clock runs on
    // the wall clock: a slow machine only sleeps longer, which can hide no fault and fail no good run.
    std::this_thread::sleep_for(5ms);
    EXPECT_EQ(m_bench.Meter().BufferCount(), count) << "the run has ended";
}

TEST_P(MeterMeasure, DataLoggingRoundLeavesTheStopToTheOwner) {
    platform::CEvent stop(false, false);
    m_driver.SetParentWndPtr(nullptr, &stop);
    PrepareCurrent(4);
    ASSERT_EQ(m_driver.InitialDataLogging(), 1);
    ASSERT_EQ(m_driver.InitMeasureDataLogging(), 1);
    stop.Set();
    EXPECT_EQ(m_driver.ReadDataLoggingBuffer(), 1);
    EXPECT_EQ(m_driver.GetDataSize(), 2u);
    EXPECT_TRUE(stop.IsSet());
}

TEST_P(MeterMeasure, FaultsFailTheMeasurementWithoutHanging) {
    PrepareCurrent(4);
    m_record.CaptCurr = 0.01;
    ASSERT_EQ(m_driver.SetMeasureCurrentTime(m_record), 1);
    for (const auto fault :
         {CFaultSwitches::eGarbage, CFaultSwitches::eDropMidReply, CFaultSwitches::eStall}) {
        // Only the faulty measurement waits for a time-out, a short one; the calls that must succeed
        // have the long time-out of the record.
        CParameterInstruMultiMeter faulty = m_record;
        faulty.Timeout = "1000";
        m_driver.SetParameterInstru(faulty);
        m_bench.MeterHost().Faults().Set(fault, true);
        auto result = std::async(std::launch::async, [&] { return m_driver.InitMeasAndWaitForResult(); });
        ASSERT_TRUE(testsupport::Ready(result)) << fault;
        EXPECT_EQ(result.get(), 0) << fault;
        m_bench.MeterHost().Faults().ClearAll();
        m_driver.SetParameterInstru(m_record);
        EXPECT_EQ(m_driver.SetInstrumentControlDVM(), 1) << "reconnects after " << fault;
        EXPECT_EQ(m_driver.SetMeasureCurrentTime(m_record), 1);
    }
    EXPECT_EQ(m_driver.InitMeasAndWaitForResult(), 1);
    EXPECT_EQ(Samples(m_driver).size(), 500u);
}

INSTANTIATE_TEST_SUITE_P(Transports, MeterMeasure, ::testing::Values(eTransport::Vxi11, eTransport::Socket),
                         metertest::TransportName);

} // namespace
