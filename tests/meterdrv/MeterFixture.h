#pragma once

#include "instruments/meterdrv/EntityInstruDVM.h"
#include "instruments/simulator/bench/SimulatedBench.h"
#include "tests/drivertest/DriverTransport.h"
#include "tests/support/WaitFor.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace metertest {

using drivertest::eTransport;
using drivertest::TransportName;

using CTestableDVM = drivertest::CSyncedDriver<CEntityInstruDVM>;

// The samples of the driver's data buffer: "#0", then (reading, time) doubles, little-endian.
inline std::vector<std::pair<double, double>> Samples(CEntityInstrument& driver) {
    const char* data = driver.GetDataBuffer();
    const unsigned size = driver.GetDataSize();
    EXPECT_GE(size, 2u);
    EXPECT_EQ(std::string(data, 2), "#0");
    EXPECT_EQ((size - 2) % 16, 0u);
    std::vector<std::pair<double, double>> samples((size - 2) / 16);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        std::memcpy(&samples[i].first, data + 2 + 16 * i, 8);
        std::memcpy(&samples[i].second, data + 10 + 16 * i, 8);
    }
    return samples;
}

class CMeterFixture : public ::testing::TestWithParam<eTransport> {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(m_bench.Start(error)) << error;
        m_record.Resource = drivertest::ResourceFor(GetParam(), m_bench.MeterInstrument());
        m_record.Timeout = testsupport::kLongTimeoutMs;
        m_driver.SetInstrumentID(32814);
        m_driver.SetParameterInstru(m_record);
        ASSERT_EQ(m_driver.SetInstrumentControlDVM(), 1);
    }
    void TearDown() override { m_driver.ShutDownRemoteControl(); }

    benchsim::CCommandLog& Log() { return m_bench.MeterHost().Log(); }
    std::vector<std::string> Sent() { return drivertest::SentCommands(m_driver, Log()); }
    void ClearLog() {
        Sent();
        Log().Clear();
    }
    // DC current on a fixed range, ready for captures.
    void PrepareCurrent(int range) {
        m_record.FunctionType = 2;
        m_record.CurrentRange = range;
        ASSERT_EQ(m_driver.SetParameterInstruMultiMeter(m_record, CParameterInstruMultiMeter::ITEM_ALL), 1);
        ASSERT_EQ(m_driver.SetCurrentDisableAutozero(), 1);
    }

    benchsim::CSimulatedBench m_bench{benchsim::CSimulatedBench::TestOptions(100.0)};
    CParameterInstruMultiMeter m_record;
    CTestableDVM m_driver;
};

} // namespace metertest
