#pragma once

#include "instruments/simulator/bench/SimulatedBench.h"
#include "supplydrv/EntityInstruDCPS.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace supplytest {

enum class eTransport { Vxi11, Socket };

inline std::string TransportName(const ::testing::TestParamInfo<eTransport>& info) {
    return info.param == eTransport::Vxi11 ? "Vxi11" : "Socket";
}

// The driver's protected operations, for the tests of their command texts.
class CTestableDCPS : public CEntityInstruDCPS {
public:
    using CEntityInstruDCPS::GetBufferCapacity;
    using CEntityInstruDCPS::GetSystemErrorCounts;
    using CEntityInstruDCPS::GetTriggerCount;
    using CEntityInstruDCPS::SetBufferCapacity;
    using CEntityInstruDCPS::SetTriggerCount;
    // A query answered after every command sent before it has run (raw socket writes do not wait).
    void Sync() { WriteAndReadHelper(QStringLiteral("*OPC?")); }
};

// The simulated bench, sped up, and a driver connected to its power supply.
class CSupplyFixture : public ::testing::TestWithParam<eTransport> {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(m_bench.Start(error)) << error;
        m_record.Resource = QString::fromStdString(GetParam() == eTransport::Vxi11
                                                       ? m_bench.SupplyInstrument().Vxi11Resource()
                                                       : m_bench.SupplyInstrument().SocketResource());
        m_record.Timeout = QStringLiteral("2000");
        m_driver.SetInstrumentID(32815);
        m_driver.SetParameterInstru(m_record);
        ASSERT_EQ(m_driver.SetInstrumentControlDCPS(), 1);
        Log().Clear();
    }
    void TearDown() override { m_driver.ShutDownRemoteControl(); }

    benchsim::CCommandLog& Log() { return m_bench.SupplyHost().Log(); }
    // The commands the supply received, once those in flight have arrived.
    std::vector<std::string> Sent() {
        m_driver.Sync();
        std::vector<std::string> lines = Log().Lines();
        if (!lines.empty() && lines.back() == "*OPC?")
            lines.pop_back();
        return lines;
    }

    benchsim::CSimulatedBench m_bench{benchsim::CSimulatedBench::TestOptions(100.0)};
    CParameterInstruDCSource m_record;
    CTestableDCPS m_driver;
};

} // namespace supplytest
