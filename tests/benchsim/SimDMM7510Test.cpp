#include "instruments/simulator/models/SimDMM7510.h"
#include "tests/benchsim/ModelDialogue.h"
#include "tests/support/WaitFor.h"

#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <thread>

namespace {

using benchsim::CSimDMM7510;
using benchsimtest::Ask;
using benchsimtest::Send;

void WaitIdle(CSimDMM7510& model) {
    if (!testsupport::WaitUntil([&] { return Ask(model, ":TRIG:STAT?").rfind("IDLE", 0) == 0; }))
        FAIL() << "trigger model did not finish";
}

// Decodes a definite-length block of little-endian (reading, time) doubles.
std::vector<std::pair<double, double>> Samples(const std::string& block) {
    EXPECT_EQ(block[0], '#');
    const std::size_t digits = static_cast<std::size_t>(block[1] - '0');
    const std::size_t length = std::stoul(block.substr(2, digits));
    EXPECT_EQ(block.size(), 2 + digits + length);
    std::vector<std::pair<double, double>> samples(length / 16);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        std::memcpy(&samples[i].first, block.data() + 2 + digits + 16 * i, 8);
        std::memcpy(&samples[i].second, block.data() + 2 + digits + 16 * i + 8, 8);
    }
    return samples;
}

void SetUpCurrent(CSimDMM7510& model) {
    model.SetTimeScale(1000.0);
    for (const char* command :
         {":SENS:FUNC \"CURR:DC\"", ":SENS:CURR:RANG:AUTO OFF", ":SENS:CURR:RANG 0.1", ":SENS:CURR:AZER OFF",
          ":SENS:CURR:NPLC 0.001", ":FORM:DATA REAL", ":FORM:BORD SWAP"})
        Send(model, command);
}

TEST(SimDMM7510, SettingsAreKeptAndAnswered) {
    const benchsimtest::SSetting cases[] = {
        {":SENS:FUNC \"CURR:DC\"", ":SENS:FUNC?", "\"CURR:DC\""},
        {":SENS:CURR:RANG 1e-05", ":SENS:CURR:RANG?", "1.000000E-05"},
        {"CURR:RANGE 3", "CURR:RANG?", "3.000000E+00"},
        {":SENS:CURR:NPLC 0.001", ":SENS:CURR:NPLC?", "1.000000E-03"},
        {":SENS:CURR:AZER OFF", ":SENS:CURR:AZER?", "0"},
        {":SENS:CURR:ATR:MODE EDGE", ":SENS:CURR:ATR:MODE?", "EDGE"},
        {":SENS:CURR:ATR:EDGE:SLOP FALL", ":SENS:CURR:ATR:EDGE:SLOP?", "FALL"},
        {":SENS:CURR:ATR:EDGE:LEV 0.002", ":SENS:CURR:ATR:EDGE:LEV?", "2.000000E-03"},
        {":TRAC:POIN 25000, \"defbuffer1\"", ":TRAC:POIN? \"defbuffer1\"", "25000"},
    };
    CSimDMM7510 model;
    benchsimtest::ExpectSettingsKept(model, cases);
    EXPECT_NE(Ask(model, "*IDN?").find("DMM7510"), std::string::npos);
}

TEST(SimDMM7510, RejectedSettingsKeepTheirValueAndQueueTheirError) {
    const benchsimtest::SRejected cases[] = {
        {":SENS:CURR:NPLC 0.0001", "-222", ":SENS:CURR:NPLC?", "1.000000E+00"},
        {":SENS:CURR:NPLC 16", "-222", ":SENS:CURR:NPLC?", "1.000000E+00"},
        {":SENS:CURR:ATR:EDGE:LEV -3.7", "-222", ":SENS:CURR:ATR:EDGE:LEV?", "0.000000E+00"},
        {":SENS:CURR:ATR:EDGE:LEV high", "-104", ":SENS:CURR:ATR:EDGE:LEV?", "0.000000E+00"},
        {":SENS:CURR:AZER 2", "-224", ":SENS:CURR:AZER?", "1"},
        {":TRAC:POIN 9, \"defbuffer1\"", "-222", ":TRAC:POIN? \"defbuffer1\"", "100000"},
        {":TRAC:POIN 10.5, \"defbuffer1\"", "-224", ":TRAC:POIN? \"defbuffer1\"", "100000"},
    };
    benchsimtest::ExpectRejected<CSimDMM7510>(cases);
    CSimDMM7510 model;
    Send(model, ":SENS:CURR:ATR:EDGE:LEV -3.6");
    EXPECT_EQ(Ask(model, ":SENS:CURR:ATR:EDGE:LEV?"), "-3.600000E+00");
}

TEST(SimDMM7510, UnknownCommandsGoToTheErrorQueueWithoutReply) {
    CSimDMM7510 model;
    std::string reply;
    EXPECT_FALSE(model.Execute(":NOT:A:COMMAND?", reply));
    EXPECT_FALSE(model.Execute(":SENS:CURR:RANG 5", reply));
    EXPECT_EQ(Ask(model, ":SYST:ERR?"), "-113,\"Undefined header\"");
    EXPECT_EQ(Ask(model, ":SYST:ERR?"), "-222,\"Data out of range\"");
    EXPECT_EQ(Ask(model, ":SYST:ERR?"), "0,\"No error\"");
}

TEST(SimDMM7510, SimpleLoopCapturesAtTheIntegrationSpacing) {
    CSimDMM7510 model;
    SetUpCurrent(model);
    Send(model, ":TRAC:POIN 5000, \"defbuffer1\"");
    Send(model, ":TRIG:LOAD \"SimpleLoop\", 5000, 0, \"defbuffer1\"");
    Send(model, ":TRAC:CLE \"defbuffer1\"");
    Send(model, ":INIT");
    WaitIdle(model);
    EXPECT_EQ(Ask(model, ":TRAC:ACT? \"defbuffer1\""), "5000");
    const auto samples = Samples(Ask(model, ":TRAC:DATA? 1, 5000, \"defbuffer1\", READ, REL"));
    ASSERT_EQ(samples.size(), 5000u);
    bool burst = false;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        EXPECT_NEAR(samples[i].second, 20e-6 * static_cast<double>(i), 1e-12);
        burst |= samples[i].first > 5e-3;
    }
    EXPECT_TRUE(burst);
}

TEST(SimDMM7510, EdgeTriggerPositionIsTheShareKeptFromBeforeTheCrossing) {
    struct SCase {
        const char* position;
        std::size_t before, after; // most readings kept before the crossing; readings from it on
    };
    for (const SCase& c : {SCase{"0", 0, 1000}, SCase{"50", 500, 500}, SCase{"100", 1000, 0}}) {
        CSimDMM7510 model;
        SetUpCurrent(model);
        for (const std::string& command :
             {std::string(":SENS:CURR:ATR:MODE EDGE"), std::string(":SENS:CURR:ATR:EDGE:SLOP RIS"),
              std::string(":SENS:CURR:ATR:EDGE:LEV 0.001"), std::string(":TRAC:POIN 1000, \"defbuffer1\""),
              ":TRIG:LOAD \"LoopUntilEvent\", ATR, " + std::string(c.position) + ", ENT, 0, \"defbuffer1\"",
              std::string(":INIT")})
            Send(model, command);
        WaitIdle(model);
        const std::string count = Ask(model, ":TRAC:ACT? \"defbuffer1\"");
        const auto samples = Samples(Ask(model, ":TRAC:DATA? 1, " + count + ", \"defbuffer1\", READ, REL"));
        // The readings ahead of the crossing lie in the sleep before the burst.
        std::size_t crossing = 0;
        while (crossing < samples.size() && samples[crossing].first < 1e-3)
            ++crossing;
        EXPECT_LE(crossing, c.before) << c.position;
        EXPECT_EQ(samples.size() - crossing, c.after) << c.position;
        EXPECT_GT(samples.size(), 0u) << c.position;
    }
}

TEST(SimDMM7510, EdgeTriggerNeedsAFixedRangeAndAutozeroOff) {
    CSimDMM7510 model;
    Send(model, ":SENS:FUNC \"CURR:DC\"");
    Send(model, ":SENS:CURR:ATR:MODE EDGE");
    Send(model, ":TRIG:LOAD \"LoopUntilEvent\", ATR, 100, ENT, 0, \"defbuffer1\"");
    std::string reply;
    model.Execute(":INIT", reply);
    EXPECT_EQ(model.ErrorCount(), 1u);
    EXPECT_EQ(Ask(model, ":TRIG:STAT?").substr(0, 4), "IDLE");
}

TEST(SimDMM7510, AbortEndsAContinuousLoopAndKeepsItsReadings) {
    CSimDMM7510 model;
    SetUpCurrent(model);
    Send(model, ":TRAC:POIN 6000000, \"defbuffer1\"");
    Send(model, ":TRIG:LOAD \"LoopUntilEvent\", COMM, 100, ENT, 0, \"defbuffer1\"");
    Send(model, ":INIT");
    ASSERT_TRUE(testsupport::WaitUntil([&] { return model.BufferCount() > 0; }));
    EXPECT_EQ(Ask(model, ":TRIG:STAT?").substr(0, 7), "WAITING");
    Send(model, ":ABOR");
    const std::uint64_t count = model.BufferCount();
    EXPECT_GT(count, 0u);
    // Seconds of the meter's time, had the loop gone on. The simulated clock runs on the wall clock: a
    // slow machine only sleeps longer, which can hide no fault and fail no good run.
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(model.BufferCount(), count);
    EXPECT_EQ(Ask(model, ":TRIG:STAT?").substr(0, 7), "ABORTED");
}

} // namespace
