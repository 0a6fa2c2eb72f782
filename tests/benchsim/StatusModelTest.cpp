// The IEEE 488.2 status model and overlapped commands of the simulated instruments.
#include "instruments/simulator/models/Sim2280S.h"
#include "instruments/simulator/models/SimDMM7510.h"
#include "tests/benchsim/ModelDialogue.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>

namespace {

using benchsim::CSim2280S;
using benchsim::CSimDMM7510;
using benchsimtest::Ask;
using benchsimtest::Send;

struct SStatusCase {
    const char* name;
    const char* send; // executed, replies ignored
    const char* query;
    const char* reply;
};

TEST(StatusModel, RegistersFollowTheCommonCommands) {
    const SStatusCase cases[] = {
        {"fresh", "", "*STB?", "0"},
        {"command error sets CME", "*FOO", "*ESR?", "32"},
        {"execution error sets EXE", ":SENS:CURR:NPLC 99", "*ESR?", "16"},
        {"settings conflict sets EXE",
         ":SENS:FUNC 'CURR';:SENS:CURR:RANG:AUTO ON;:TRIG:LOAD 'LoopUntilEvent', ATR, 50;:INIT", "*ESR?",
         "16"},
        {"ESR clears on reading", "*FOO;*ESR?", "*ESR?", "0"},
        {"error queue sets EAV", "*FOO", "*STB?", "4"},
        {"enabled event sets ESB and MSS", "*ESE 32;*SRE 32;*FOO", "*STB?", "100"},
        {"disabled service request leaves MSS", "*ESE 32;*SRE 0;*FOO", "*STB?", "36"},
        {"output in the queue sets MAV", "", "*IDN?;*STB?", ""},
        {"*OPC sets OPC", "*OPC", "*ESR?", "1"},
        {"*CLS clears everything", "*ESE 255;*FOO;*OPC;*CLS", "*STB?;*ESR?;:SYST:ERR:COUN?", "0;0;0"},
        {"enables are kept", "*ESE 36;*SRE 48", "*ESE?;*SRE?", "36;48"},
        {"*RST keeps the enables", "*ESE 36;*RST", "*ESE?", "36"},
        {"*TST passes", "", "*TST?", "0"},
        {"operation enable", ":STAT:OPER:ENAB 1024", ":STAT:OPER:ENAB?", "1024"},
        {"operation event clears on reading", "", ":STAT:OPER?;:STAT:OPER:EVEN?", "0;0"},
        {"questionable", ":STAT:QUES:ENAB 5", ":STAT:QUES:ENAB?;:STAT:QUES?;:STAT:QUES:COND?", "5;0;0"},
        {"preset clears the enables", ":STAT:OPER:ENAB 7;:STAT:PRES", ":STAT:OPER:ENAB?", "0"},
    };
    for (const SStatusCase& c : cases) {
        CSimDMM7510 meter;
        std::string reply;
        meter.Execute(c.send, reply);
        const std::string answer = Ask(meter, c.query);
        if (*c.reply != '\0') {
            EXPECT_EQ(answer, c.reply) << c.name;
        } else {
            // "*IDN?;*STB?": the status byte has MAV (16) set by the identity waiting in the output.
            const std::string stb = answer.substr(answer.rfind(';') + 1);
            EXPECT_EQ(std::stoi(stb) & 16, 16) << c.name << ": " << answer;
        }
    }
}

TEST(StatusModel, WaitHoldsTheMeterUntilItsBufferIsFull) {
    CSimDMM7510 meter;
    meter.SetTimeScale(10.0);
    // 500 readings at 0.01 PLC take 0.1 s of the instrument's time.
    for (const char* setup : {":SENS:FUNC 'CURR'", ":SENS:CURR:NPLC 0.01", ":TRAC:POIN 500",
                              ":TRIG:LOAD 'SimpleLoop', 500, 0, 'defbuffer1'"})
        Send(meter, setup);
    EXPECT_EQ(Ask(meter, ":INIT;*WAI;:TRAC:ACT?"), "500");
    EXPECT_EQ(Ask(meter, ":TRIG:STAT?").rfind("IDLE", 0), 0u);
    Send(meter, ":TRAC:CLE");
    EXPECT_EQ(Ask(meter, ":INIT;*OPC?;:TRAC:ACT?"), "1;500");
}

TEST(StatusModel, OperationCompleteIsSetOnlyWhenTheMeasurementEnds) {
    CSimDMM7510 meter;
    meter.SetTimeScale(10.0);
    for (const char* setup : {":SENS:FUNC 'CURR'", ":SENS:CURR:NPLC 0.01", ":TRAC:POIN 500",
                              ":TRIG:LOAD 'SimpleLoop', 500, 0, 'defbuffer1'"})
        Send(meter, setup);
    meter.SetHoldMeasurement(true);
    Send(meter, ":INIT;*OPC");
    EXPECT_EQ(Ask(meter, "*ESR?"), "0");
    EXPECT_EQ(Ask(meter, ":STAT:OPER:COND?"), "16");
    meter.SetHoldMeasurement(false);
    std::string esr;
    testsupport::WaitUntil([&] { return (esr = Ask(meter, "*ESR?")) != "0"; });
    EXPECT_EQ(esr, "1");
    EXPECT_EQ(Ask(meter, ":TRAC:ACT?"), "500");
}

TEST(StatusModel, SupplyMeasurementIsOverlapped) {
    CSim2280S supply;
    supply.SetTimeScale(10.0);
    Send(supply, ":OUTP ON;:SENS:CURR:NPLC 0.1;:TRIG:COUN 20;:TRAC:CLE");
    EXPECT_EQ(Ask(supply, ":INIT;*OPC?;:TRAC:ACT?"), "1;20");
    EXPECT_EQ(Ask(supply, ":STAT:OPER:INST:ISUM?"), "1024");
}

TEST(StatusModel, UserCommandsOfTheMeter) {
    CSimDMM7510 meter;
    meter.SetTimeScale(1000.0);
    Send(meter, ":SENS:COUN 3");
    const std::string current = Ask(meter, ":MEAS:CURR?");
    EXPECT_LT(std::abs(std::stod(current)), 1.0) << current;
    EXPECT_EQ(Ask(meter, ":SENS:FUNC?"), "\"CURR:DC\"");
    EXPECT_EQ(Ask(meter, ":TRAC:ACT?"), "3");
    EXPECT_EQ(Ask(meter, ":FETC?"), current);
    EXPECT_EQ(Ask(meter, ":READ? 'defbuffer1', READ, REL").find(','), current.size());
    Send(meter, ":TRAC:MAKE 'logged', 1000;:TRAC:DEL 'logged'");
    std::string reply;
    meter.Execute(":TRAC:POIN? 'logged'", reply);
    EXPECT_EQ(Ask(meter, ":SYST:ERR?").substr(0, 4), "-224");
}

TEST(StatusModel, UserCommandsOfTheSupply) {
    CSim2280S supply;
    Send(supply, ":SOUR:VOLT 3.3;:SOUR:CURR 1;:OUTP ON");
    const double current = std::stod(Ask(supply, ":MEAS:CURR?"));
    EXPECT_GT(current, 0.0);
    EXPECT_LT(current, 1.0);
    EXPECT_EQ(std::stod(Ask(supply, ":MEAS:VOLT?")), 3.3);
    EXPECT_EQ(Ask(supply, ":SENS:FUNC?"), "\"VOLT:DC\"");
    EXPECT_EQ(std::stod(Ask(supply, ":READ?")), 3.3);
}

} // namespace
