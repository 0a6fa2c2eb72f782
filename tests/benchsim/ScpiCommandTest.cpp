#include "instruments/simulator/models/ScpiCommand.h"

#include <gtest/gtest.h>

namespace {

using benchsim::CScpiCommand;

struct SHeaderCase {
    const char* text;
    const char* header;
    bool query;
};

TEST(ScpiCommand, LongAndShortFormsGiveOneHeader) {
    const SHeaderCase cases[] = {
        {":SENS:CURR:NPLC 0.1", "SENS:CURR:NPLC", false},
        {":SENSe1:CURRent:NPLCycles?", "SENS:CURR:NPLC", true},
        {"syst:err?", "SYST:ERR", true},
        {":SYSTem:ERRor:COUNt?", "SYST:ERR:COUN", true},
        {"*IDN?", "*IDN", true},
        {":OUTPut:PROTection:CLEar", "OUTP:PROT:CLE", false},
        {"  :TRACe:POINts 100", "TRAC:POIN", false},
    };
    for (const auto& c : cases) {
        const CScpiCommand command(c.text);
        EXPECT_EQ(command.Header(), c.header) << c.text;
        EXPECT_EQ(command.IsQuery(), c.query) << c.text;
    }
}

TEST(ScpiCommand, ParametersKeepQuotedCommas) {
    const CScpiCommand command(R"(:TRAC:DATA? 1, 25, "defbuffer1", READ, REL)");
    ASSERT_EQ(command.Count(), 5u);
    EXPECT_EQ(command.Text(2), "defbuffer1");
    EXPECT_EQ(command.Word(4), "REL");
    EXPECT_EQ(*command.Number(1), 25.0);
    const CScpiCommand elements(R"(:FORM:ELEM "READ,REL")");
    ASSERT_EQ(elements.Count(), 1u);
    EXPECT_EQ(elements.Word(0), "READ,REL");
    EXPECT_FALSE(CScpiCommand(":VOLT abc").Number(0));
}

TEST(ScpiCommand, OptionalNodesAreDroppedOrAdded) {
    CScpiCommand range(":SENS:CURR:DC:RANG:AUTO OFF");
    range.DropNode("DC");
    EXPECT_EQ(range.Header(), "SENS:CURR:RANG:AUTO");
    CScpiCommand bare("CURR:AZER OFF");
    bare.AddRootFor({"CURR"}, "SENS");
    EXPECT_EQ(bare.Header(), "SENS:CURR:AZER");
    EXPECT_EQ(CScpiCommand::SplitUnits(R"(*CLS; :FORM:ELEM "A;B";*IDN?)").size(), 3u);
}

} // namespace
