#include "instruments/meterdrv/EntityInstruDVM.h"
#include "instruments/simulator/bench/SimulatedInstrument.h"
#include "tests/drivertest/ScriptedModel.h"
#include "tests/meterdrv/MeterFixture.h"

#include <cstring>
#include <functional>
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

// The reason a failure leaves is that failure's own: a later failure of another kind does not report
// the reason of an earlier one, whose text the run's log would show beside the later failure.
TEST_F(MeterReplies, EachFailureReportsItsOwnReason) {
    struct SCase {
        const char* name;
        std::function<bool(CEntityInstruDVM&)> fails;
        const char* reason;
    };
    const SCase cases[] = {
        {"empty identification",
         [&](CEntityInstruDVM& driver) {
             m_model.SetReply("*IDN?", "");
             return driver.GetInstrumentIDN().isEmpty();
         },
         "empty identification reply"},
        {"range refused without a reason",
         [](CEntityInstruDVM& driver) { return driver.SetCurrentRange(7) == 0; }, ""},
    };
    for (const SCase& c : cases) {
        CParameterInstruMultiMeter unreachable = m_record;
        unreachable.Resource = QStringLiteral("TCPIP0::127.0.0.1::1::SOCKET");
        m_driver.SetParameterInstru(unreachable);
        ASSERT_EQ(m_driver.SetInstrumentControlDVM(), 0) << c.name;
        EXPECT_EQ(m_driver.GetLastError(),
                  QStringLiteral("cannot open TCPIP0::127.0.0.1::1::SOCKET: cannot connect to 127.0.0.1:1 "
                                 "(Connection refused)"))
            << c.name;
        m_driver.SetParameterInstru(m_record);
        ASSERT_EQ(m_driver.SetInstrumentControlDVM(), 1) << c.name;
        EXPECT_TRUE(c.fails(m_driver)) << c.name;
        EXPECT_EQ(m_driver.GetLastError(), QString::fromLatin1(c.reason)) << c.name;
    }
}

} // namespace
