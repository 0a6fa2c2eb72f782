#include "instruments/simulator/models/Sim2280S.h"
#include "tests/benchsim/ModelDialogue.h"
#include "tests/support/WaitFor.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>

#include <sstream>
#include <thread>
#include <vector>

namespace {

using benchsim::CSim2280S;
using benchsimtest::Ask;
using benchsimtest::Send;

std::vector<double> Fields(const std::string& text) {
    std::vector<double> fields;
    std::stringstream in(text);
    std::string field;
    while (std::getline(in, field, ','))
        fields.push_back(std::stod(field));
    return fields;
}

TEST(Sim2280S, SettingsAreKeptAndAnswered) {
    const benchsimtest::SSetting cases[] = {
        {":VOLT 3.3", ":VOLT?", "3.300000"},
        {":VOLT:LIM 4.5", ":VOLT:LIM?", "4.500000"},
        {":VOLT:PROT 6", ":VOLT:PROT?", "6.000000"},
        {":CURR 0.25", ":CURR?", "0.250000"},
        {":CURR:PROT 0.3", ":CURR:PROT?", "0.300000"},
        {":OUTP ON", ":OUTP?", "1"},
        {":SYST:AZER OFF", ":SYST:AZER?", "0"},
        {":SENS:FUNC \"VOLT:DC\"", ":SENS:FUNC?", "\"VOLT:DC\""},
        {":SENS:CURR:NPLC 0.100000", ":SENS:CURR:NPLC?", "0.100000"},
        {":SENS:CURR:DC:RANG 0.1", ":SENS:CURR:DC:RANG?", "1.000000E-01"},
        {":TRIG:SAMP:COUN 500", ":TRIG:SAMP:COUN?", "500"},
        {":TRACe:POINts 500", ":TRACe:POINts?", "500"},
    };
    CSim2280S model;
    benchsimtest::ExpectSettingsKept(model, cases);
    EXPECT_EQ(Ask(model, ":SYST:LFR?"), "50.000000");
    EXPECT_EQ(Ask(model, ":OUTP:PROT:TRIP?"), "NONE");
    EXPECT_EQ(Ask(model, ":SYST:ERR?"), "0,\"No error\"");
}

TEST(Sim2280S, RejectedSettingsKeepTheirValueAndQueueTheirError) {
    const benchsimtest::SRejected cases[] = {
        {":CURR 6.2", "-222", ":CURR?", "0.500000"},
        {":VOLT -0.1", "-222", ":VOLT?", "0.000000"},
        {":SENS:CURR:NPLC 0.001", "-222", ":SENS:CURR:NPLC?", "1.000000"},
        {":SENS:CURR:NPLC fast", "-104", ":SENS:CURR:NPLC?", "1.000000"},
        {":SYST:AZER MAYBE", "-224", ":SYST:AZER?", "1"},
        {":SENS:CURR:RANG:AUTO 2", "-224", ":SENS:CURR:RANG:AUTO?", "1"},
        {":TRIG:COUN 0", "-222", ":TRIG:COUN?", "1"},
        {":TRIG:COUN 2.5", "-224", ":TRIG:COUN?", "1"},
        {":TRAC:POIN 2501", "-222", ":TRAC:POIN?", "2500"},
        {":TRAC:POIN 10.5", "-224", ":TRAC:POIN?", "2500"},
    };
    benchsimtest::ExpectRejected<CSim2280S>(cases);
}

TEST(Sim2280S, UnknownOrBadCommandsGoToTheErrorQueueWithoutReply) {
    CSim2280S model;
    std::string reply;
    EXPECT_FALSE(model.Execute(":BOGUS:THING?", reply));
    EXPECT_FALSE(model.Execute(":TRIG:SAMP:COUN 3000", reply));
    EXPECT_FALSE(model.Execute(":VOLT abc", reply));
    EXPECT_EQ(Ask(model, ":SYSTem:ERRor:COUNt?"), "3");
    EXPECT_EQ(Ask(model, ":SYST:ERR?"), "-113,\"Undefined header\"");
    EXPECT_EQ(Ask(model, ":SYST:ERR?"), "-222,\"Data out of range\"");
    Send(model, ":SYSTem:ERRor:CLEar");
    EXPECT_EQ(Ask(model, ":SYST:ERR?"), "0,\"No error\"");
}

TEST(Sim2280S, TriggeredMeasurementCompletesAndFillsTheBuffer) {
    CSim2280S model;
    model.SetTimeScale(1000.0);
    for (const char* command : {":OUTP ON", ":SENS:FUNC \"CURR:DC\"", ":SENS:CURR:NPLC 0.100000",
                                ":TRIG:COUN 1", ":TRIG:SAMP:COUN 200", ":TRACe:POINts 200", ":TRACe:CLEar",
                                ":INIT:CONT OFF", ":STAT:OPER:INST:ISUM:ENAB 1024", ":INIT"})
        Send(model, command);
    ASSERT_TRUE(testsupport::WaitUntil([&] {
        const auto event = static_cast<unsigned>(std::stoul(Ask(model, ":STAT:OPER:INST:ISUM:EVEN?")));
        return (event & CSim2280S::MEASUREMENT_DONE) != 0;
    }));
    EXPECT_EQ(Ask(model, ":STAT:OPER:INST:ISUM:EVEN?"), "0") << "reading the event register clears it";
    const auto fields = Fields(Ask(model, "TRAC:DATA? \"READ,REL\""));
    ASSERT_EQ(fields.size(), 400u);
    bool sleeping = false, burst = false;
    for (std::size_t i = 0; i < 200; ++i) {
        EXPECT_NEAR(fields[2 * i + 1], 0.002 * static_cast<double>(i), 1e-9);
        sleeping |= fields[2 * i] > 1e-6 && fields[2 * i] < 1e-5;
        burst |= fields[2 * i] > 5e-3;
    }
    EXPECT_TRUE(sleeping);
    EXPECT_TRUE(burst) << "0.4 s holds at least one burst";
}

TEST(Sim2280S, HeldMeasurementNeverCompletes) {
    CSim2280S model;
    model.SetTimeScale(1000.0);
    model.SetHoldMeasurement(true);
    Send(model, ":TRIG:SAMP:COUN 10");
    Send(model, ":INIT");
    // Seconds of the supply's time, in which ten readings would complete were they not held. The
    // simulated clock runs on the wall clock: a slow machine only sleeps longer, which can hide no
    // fault and fail no good run.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(Ask(model, ":STAT:OPER:INST:ISUM:EVEN?"), "0");
}

TEST(Sim2280S, ContinuousMeasurementFeedsStreamAndFetch) {
    CSim2280S model;
    model.SetTimeScale(100.0);
    Send(model, ":OUTP ON");
    Send(model, ":SENS:CURR:NPLC 0.010000");
    std::uint64_t run = 0, next = 0;
    EXPECT_TRUE(model.TakeStreamReadings(run, next, 100).empty());
    Send(model, ":FORM:ELEM \"READ,REL\"");
    Send(model, ":TRACe:FEED:CONTrol ALWays");
    Send(model, ":INIT:CONT ON");
    // Two seconds of the supply's time at least, ten thousand readings: the simulated clock runs on the
    // wall clock, so a slow machine only sleeps longer.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto readings = model.TakeStreamReadings(run, next, 1000);
    ASSERT_GE(readings.size(), 100u);
    for (std::size_t i = 1; i < readings.size(); ++i)
        EXPECT_NEAR(readings[i].time - readings[i - 1].time, 0.0002, 1e-9);
    EXPECT_EQ(Fields(Ask(model, ":FETC?")).size(), 2u);
    Send(model, ":INIT:CONT OFF");
    EXPECT_TRUE(model.TakeStreamReadings(run, next, 100).empty());
}

// With the output off no load current flows: the supply reads none, also for readings that the
// stream takes later, after the output has come on, of the times it was still off.
TEST(Sim2280S, WithTheOutputOffTheSupplyMeasuresNoLoadCurrent) {
    CSim2280S model;
    model.SetTimeScale(100.0);
    Send(model, ":SENS:CURR:NPLC 0.010000");
    EXPECT_EQ(std::stod(Ask(model, ":READ?")), 0.0);
    Send(model, ":INIT:CONT ON");
    // A second reader of the stream waits until readings of the time with the output off exist.
    std::uint64_t run = 0, next = 0, waitRun = 0, waitNext = 0;
    std::size_t seen = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (seen < 200 && std::chrono::steady_clock::now() < deadline)
        seen += model.TakeStreamReadings(waitRun, waitNext, 1000).size();
    ASSERT_GE(seen, 200u);
    Send(model, ":OUTP ON");
    // Readings go on with the output off until the instant of the command, however many the clock
    // made meanwhile; from the first one with current on, every reading has it.
    std::vector<CSim2280S::SStreamReading> readings;
    const auto firstOn = [&] {
        return std::find_if(readings.begin(), readings.end(),
                            [](const CSim2280S::SStreamReading& r) { return r.value > 0.0f; });
    };
    while ((readings.size() < seen || firstOn() == readings.end() || readings.end() - firstOn() < 200) &&
           std::chrono::steady_clock::now() < deadline) {
        const auto more = model.TakeStreamReadings(run, next, 1000);
        readings.insert(readings.end(), more.begin(), more.end());
    }
    ASSERT_GE(readings.size(), seen);
    for (std::size_t i = 0; i < seen; ++i)
        ASSERT_EQ(readings[i].value, 0.0f) << "reading " << i << " of the time the output was off";
    ASSERT_NE(firstOn(), readings.end()) << "no reading with the output on";
    for (auto r = firstOn(); r != readings.end(); ++r)
        ASSERT_GT(r->value, 0.0f) << "reading " << (r - readings.begin()) << " after the output came on";
    EXPECT_GT(std::stod(Ask(model, ":READ?")), 0.0);
    Send(model, ":OUTP OFF");
    EXPECT_EQ(std::stod(Ask(model, ":READ?")), 0.0);
}

TEST(Sim2280S, ProtectionTripKeepsTheOutputOffUntilCleared) {
    CSim2280S model;
    model.SetProtectionTrip("OCP");
    EXPECT_EQ(Ask(model, ":OUTP:PROT:TRIP?"), "OCP");
    Send(model, ":OUTP ON");
    EXPECT_EQ(Ask(model, ":OUTP?"), "0");
    Send(model, ":OUTPut:PROTection:CLEar");
    Send(model, ":OUTP ON");
    EXPECT_EQ(Ask(model, ":OUTP?"), "1");
}

} // namespace
