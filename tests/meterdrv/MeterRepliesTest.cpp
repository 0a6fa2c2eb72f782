#include "instruments/meterdrv/EntityInstruDVM.h"
#include "instruments/simulator/bench/SimulatedInstrument.h"
#include "tests/drivertest/ScriptedModel.h"
#include "tests/meterdrv/MeterFixture.h"

#include <cstring>
#include <string>

namespace {

// Block forms of a real instrument that the simulator does not send, over a real socket.
class MeterReplies : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(m_instrument.Start("127.0.0.1", -1, 0, 0, error)) << error;
        m_record.Resource = QString::fromStdString(m_instrument.SocketResource());
        m_record.Timeout = testsupport::kLongTimeoutMs;
        m_record.NplcCurr = 1.0;
        m_record.CaptCurr = 0.05; // three readings at 20 ms
        m_driver.SetParameterInstru(m_record);
        ASSERT_EQ(m_driver.SetInstrumentControlDVM(), 1);
        m_model.SetReply(":TRIG:STAT?", "IDLE;IDLE;3");
        m_model.SetReply(":TRAC:ACT? \"defbuffer1\"", "3");
    }
    drivertest::CScriptedModel m_model;
    benchsim::CSimulatedInstrument m_instrument{m_model};
    CParameterInstruMultiMeter m_record;
    CEntityInstruDVM m_driver;
};

std::string Payload(std::size_t samples) {
    std::string bytes;
    for (std::size_t i = 0; i < samples; ++i) {
        const double pair[2] = {1e-3 * static_cast<double>(i + 1), 0.02 * static_cast<double>(i)};
        bytes.append(reinterpret_cast<const char*>(pair), sizeof(pair));
    }
    return bytes;
}

TEST_F(MeterReplies, CaptureBlocksAreTakenInEitherHeaderForm) {
    struct SCase {
        const char* name;
        std::string reply;
        int result;
        std::size_t samples;
    };
    const SCase cases[] = {
        {"indefinite", "#0" + Payload(3), 1, 3},
        {"definite", "#248" + Payload(3), 1, 3},
        {"indefinite short", "#0" + Payload(2), 0, 0},
        {"definite of another length", "#232" + Payload(2), 0, 0},
        {"text", "1.0E-03,0.0,2.0E-03,0.02,3.0E-03,0.04", 0, 0},
    };
    for (const SCase& c : cases) {
        m_model.SetReply(":TRAC:DATA? 1, 3, \"defbuffer1\", READ, REL", c.reply);
        ASSERT_EQ(m_driver.SetMeasureCurrentTime(m_record), 1) << c.name;
        EXPECT_EQ(m_driver.InitMeasAndWaitForResult(), c.result) << c.name;
        const auto samples = metertest::Samples(m_driver);
        ASSERT_EQ(samples.size(), c.samples) << c.name;
        for (std::size_t i = 0; i < samples.size(); ++i) {
            EXPECT_EQ(samples[i].first, 1e-3 * static_cast<double>(i + 1)) << c.name;
            EXPECT_EQ(samples[i].second, 0.02 * static_cast<double>(i)) << c.name;
        }
    }
}

} // namespace
