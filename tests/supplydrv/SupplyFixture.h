#pragma once

#include "instruments/simulator/bench/SimulatedBench.h"
#include "supplydrv/EntityInstruDCPS.h"
#include "tests/drivertest/DriverTransport.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace supplytest {

using drivertest::eTransport;
using drivertest::TransportName;

// The driver's protected operations, for the tests of their command texts.
class CTestableDCPS : public drivertest::CSyncedDriver<CEntityInstruDCPS> {
public:
    using CEntityInstruDCPS::GetBufferCapacity;
    using CEntityInstruDCPS::GetSystemErrorCounts;
    using CEntityInstruDCPS::GetTriggerCount;
    using CEntityInstruDCPS::SetBufferCapacity;
    using CEntityInstruDCPS::SetTriggerCount;
};

// The simulated bench, sped up, and a driver connected to its power supply.
class CSupplyFixture : public ::testing::TestWithParam<eTransport> {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(m_bench.Start(error)) << error;
        m_record.Resource = drivertest::ResourceFor(GetParam(), m_bench.SupplyInstrument());
        m_record.Timeout = testsupport::kLongTimeoutMs;
        m_driver.SetInstrumentID(32815);
        m_driver.SetParameterInstru(m_record);
        ASSERT_EQ(m_driver.SetInstrumentControlDCPS(), 1);
        Log().Clear();
    }
    void TearDown() override { m_driver.ShutDownRemoteControl(); }

    benchsim::CCommandLog& Log() { return m_bench.SupplyHost().Log(); }
    std::vector<std::string> Sent() { return drivertest::SentCommands(m_driver, Log()); }

    benchsim::CSimulatedBench m_bench{benchsim::CSimulatedBench::TestOptions(100.0)};
    CParameterInstruDCSource m_record;
    CTestableDCPS m_driver;
};

} // namespace supplytest
