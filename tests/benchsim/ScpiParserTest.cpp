// The parser of both simulated instruments against rows of their reference manuals: header forms,
// optional nodes, numeric suffixes, compound commands, MINimum/MAXimum/DEFault, and every error code.
#include "instruments/simulator/models/Sim2280S.h"
#include "instruments/simulator/models/SimDMM7510.h"
#include "tests/benchsim/ModelDialogue.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

using benchsim::CScpiModel;
using benchsim::CSim2280S;
using benchsim::CSimDMM7510;
using benchsimtest::Ask;

enum eModel { eMeter, eSupply };

std::unique_ptr<CScpiModel> Make(eModel which) {
    if (which == eMeter)
        return std::make_unique<CSimDMM7510>();
    return std::make_unique<CSim2280S>();
}

std::string ErrorsOf(CScpiModel& model) {
    std::string all;
    for (std::string entry = Ask(model, ":SYST:ERR?"); entry.rfind("0,", 0) != 0;
         entry = Ask(model, ":SYST:ERR?"))
        all += entry.substr(0, entry.find(',')) + " ";
    return all;
}

struct SFormCase {
    const char* name;
    eModel model;
    const char* send; // taken without error and without reply
    const char* query;
    const char* reply;
};

TEST(ScpiParser, ManualHeaderFormsAreAccepted) {
    const SFormCase cases[] = {
        // DMM7510: [:SENSe[1]]:CURRent[:DC]:NPLCycles <n>, 0.0005 to 12 at 50 Hz
        {"long form with suffix and optional nodes", eMeter, ":SENSe1:CURRent:DC:NPLCycles 0.5",
         ":SENS:CURR:NPLC?", "5.000000E-01"},
        {"lower case", eMeter, "sens:curr:nplc 2", "SENSE:CURRENT:NPLCYCLES?", "2.000000E+00"},
        {"optional root left out", eMeter, "CURRent:NPLC 3", ":SENSe:CURRent:DC:NPLC?", "3.000000E+00"},
        {"MINimum", eMeter, ":SENS:CURR:DC:NPLC MINimum", ":SENS:CURR:NPLC?", "5.000000E-04"},
        {"MAX", eMeter, ":SENS:CURR:NPLC max", ":SENS:CURR:NPLC?", "1.200000E+01"},
        {"DEF", eMeter, ":SENS:CURR:NPLC 7;NPLC DEF", ":SENS:CURR:NPLC?", "1.000000E+00"},
        {"query of the maximum", eMeter, "*CLS", ":SENS:CURR:NPLC? MAX", "1.200000E+01"},
        {"exponent and sign", eMeter, ":SENS:CURR:NPLC +25E-1", ":SENS:CURR:NPLC?", "2.500000E+00"},
        {"unit with prefix", eMeter, ":SENS:CURR:RANG 10 mA", ":SENS:CURR:RANG?", "1.000000E-02"},
        {"range upper node", eMeter, ":SENS:CURR:DC:RANG:UPP 1e-4", ":SENS:CURR:RANG:AUTO?", "0"},
        {"function as string, short", eMeter, ":SENS:FUNC 'CURR'", ":SENS:FUNC?", "\"CURR:DC\""},
        {"function with ON node", eMeter, ":SENSe:FUNCtion:ON \"voltage:dc\"", ":FUNC?", "\"VOLT:DC\""},
        {"boolean word and STATe node", eMeter, ":SENS:CURR:AZER:STAT OFF", ":SENS:CURR:AZERO?", "0"},
        {"character data long form", eMeter, ":FORMat:DATA sreal", ":FORM?", "SREAL"},
        {"character data short form", eMeter, ":FORM:BORD swap", ":FORM:BORD?", "SWAP"},
        {"analog trigger slope", eMeter, ":CURR:ATR:EDGE:SLOPe FALLing", ":SENS:CURR:ATR:EDGE:SLOP?", "FALL"},
        {"count", eMeter, ":SENSe:COUNt 5", ":COUN?", "5"},
        {"compound keeps the path", eMeter, ":SENS:CURR:NPLC 0.1;AZER OFF;RANG 1", ":SENS:CURR:RANG?",
         "1.000000E+00"},
        {"';:' starts at the root", eMeter, ":SENS:CURR:NPLC 0.2;:FORM:DATA REAL", ":FORM:DATA?", "REAL"},
        {"common command keeps the path", eMeter, ":SENS:CURR:NPLC 0.3;*CLS;NPLC 0.4", ":SENS:CURR:NPLC?",
         "4.000000E-01"},
        {"compound queries", eMeter, "*CLS", ":SENS:CURR:NPLC?;AZER?", "1.000000E+00;1"},
        {"buffer size", eMeter, ":TRACe:POINts 25000, \"defbuffer1\"", ":TRAC:POIN?", "25000"},
        {"buffer made", eMeter, ":TRACe:MAKE \"mybuf\", 200", ":TRAC:POIN? 'mybuf'", "200"},
        {"line frequency", eMeter, "*CLS", ":SYSTem:LFRequency?", "50.000000"},
        // 2280S: [:SOURce[n]]:VOLTage[:LEVel][:IMMediate][:AMPLitude], 0 to 32 V
        {"source, every node", eSupply, ":SOURce1:VOLTage:LEVel:IMMediate:AMPLitude 3.3", ":VOLT?",
         "3.300000"},
        {"source, shortest", eSupply, "volt 5", ":SOUR:VOLT:LEV?", "5.000000"},
        {"source with unit", eSupply, ":VOLT 500 mV", ":VOLT?", "0.500000"},
        {"source maximum", eSupply, ":VOLT MAX", ":VOLT?", "32.000000"},
        {"source maximum query", eSupply, "*CLS", ":VOLT? MAX", "32.000000"},
        {"current level", eSupply, ":SOUR:CURR:LEV:IMM 1.5", ":CURR?", "1.500000"},
        {"voltage limit", eSupply, ":VOLTage:LIMit:LEVel 12", ":VOLT:LIM?", "12.000000"},
        {"output with suffix", eSupply, ":OUTPut1:STATe ON", ":OUTP?", "1"},
        {"output boolean number", eSupply, ":OUTP 1;:OUTP 0", ":OUTP:STAT?", "0"},
        {"trigger sequence node", eSupply, ":TRIGger:SEQuence1:COUNt 10", ":TRIG:COUN?", "10"},
        {"trigger source", eSupply, ":TRIG:SOURce bus", ":TRIG:SOUR?", "BUS"},
        {"concurrent function", eSupply, ":SENS:FUNC \"CONCurrent\"", ":SENS:FUNC?", "\"CONC:DC\""},
        {"supply NPLC maximum at 50 Hz", eSupply, ":SENS:CURR:NPLC MAX", ":SENS:CURR:NPLC?", "12.000000"},
        {"non-decimal data", eSupply, "*ESE #H24", "*ESE?", "36"},
    };
    for (const SFormCase& c : cases) {
        auto model = Make(c.model);
        std::string reply;
        EXPECT_FALSE(model->Execute(c.send, reply)) << c.name << ": " << reply;
        EXPECT_EQ(Ask(*model, c.query), c.reply) << c.name;
        EXPECT_EQ(ErrorsOf(*model), "") << c.name;
    }
}

struct SErrorCase {
    const char* name;
    eModel model;
    const char* send;
    const char* errors; // codes in the queue afterwards, in order
};

TEST(ScpiParser, FaultsGiveTheStandardErrorCodes) {
    const SErrorCase cases[] = {
        {"invalid character", eMeter, ":SENS:CURR:NPLC @1", "-101 "},
        {"invalid character in a header", eMeter, ":SENS:CU$RR:NPLC 1", "-101 "},
        {"empty node", eMeter, ":SENS::CURR:NPLC 1", "-102 "},
        {"missing parameter after a comma", eMeter, ":TRAC:POIN 100,", "-102 "},
        {"unterminated string", eMeter, ":SENS:FUNC \"CURR", "-102 "},
        {"a syntax error ends the message", eMeter, ":SENS::NPLC 1;*IDN?", "-102 "},
        {"word for a number", eMeter, ":SENS:CURR:NPLC high", "-104 "},
        {"word for a string", eMeter, ":SENS:FUNC CURR", "-104 "},
        {"string for a word", eMeter, ":FORM:DATA 'REAL'", "-104 "},
        {"block for a number", eSupply, ":VOLT #15hello", "-104 "},
        {"too many parameters", eMeter, ":SENS:CURR:NPLC 1,2", "-108 "},
        {"parameter to a common query", eMeter, "*IDN? 1", "-108 "},
        {"no limits for a common query", eMeter, "*ESE? MAX", "-108 "},
        {"missing parameter", eMeter, ":SENS:CURR:NPLC", "-109 "},
        {"missing end of a range", eMeter, ":TRAC:DATA? 1", "-109 "},
        {"unknown mnemonic", eMeter, ":SENS:CURR:NPLCX 1", "-113 "},
        {"neither short nor long form", eMeter, ":SENS:CURR:NPLCyc 1", "-113 "},
        {"long form too long", eSupply, ":VOLTAGES 1", "-113 "},
        {"unknown common command", eMeter, "*FOO", "-113 "},
        {"query-only as a command", eMeter, ":TRAC:ACT", "-113 "},
        {"command-only as a query", eMeter, "*RST?", "-113 "},
        {"relative header off the path", eMeter, ":SENS:CURR:NPLC 1;FORM:DATA REAL", "-113 "},
        {"supply needs its SENSe root", eSupply, ":CURR:NPLC 1", "-113 "},
        {"an unknown unit continues the message", eMeter, "*FOO;:SENS:CURR:NPLC 13", "-113 -222 "},
        {"suffix out of range", eMeter, ":SENSe2:CURR:NPLC 1", "-114 "},
        {"suffix where none is taken", eMeter, ":SENS:CURR:NPLC3 1", "-114 "},
        {"second source", eSupply, ":SOUR2:VOLT 1", "-114 "},
        {"invalid unit", eSupply, ":VOLT 1 A", "-131 "},
        {"unit where none is taken", eMeter, ":SENS:CURR:NPLC 1 V", "-138 "},
        {"above the 50 Hz maximum", eMeter, ":SENS:CURR:NPLC 13", "-222 "},
        {"below the minimum", eMeter, ":SENS:CURR:NPLC 0.0001", "-222 "},
        {"beyond a double", eMeter, ":SENS:CURR:NPLC 1e999", "-222 "},
        {"above the supply's voltage", eSupply, ":VOLT 33", "-222 "},
        {"beyond the buffer", eMeter, ":TRAC:DATA? 1, 5", "-222 "},
        {"nan", eMeter, ":SENS:CURR:NPLC nan", "-224 "},
        {"infinity", eSupply, ":VOLT INF", "-224 "},
        {"negative infinity", eSupply, ":CURR ninf", "-224 "},
        {"signed nan", eSupply, ":VOLT -nan", "-102 "},
        {"word outside its forms", eMeter, ":FORM:DATA BINARY", "-224 "},
        {"shortened word", eMeter, ":FORM:BORD SWA", "-224 "},
        {"boolean out of range", eMeter, ":SENS:CURR:AZER 2", "-224 "},
        {"function outside its forms", eMeter, ":SENS:FUNC 'RESistance'", "-224 "},
        {"unknown buffer", eMeter, ":TRAC:POIN? \"nobuf\"", "-224 "},
        {"no reading yet", eSupply, ":FETC?", "-230 "},
    };
    for (const SErrorCase& c : cases) {
        auto model = Make(c.model);
        std::string reply;
        EXPECT_FALSE(model->Execute(c.send, reply)) << c.name << ": " << reply;
        EXPECT_EQ(ErrorsOf(*model), c.errors) << c.name;
    }
}

TEST(ScpiParser, SettingsRejectedByAnyErrorKeepTheirValue) {
    for (const char* bad : {":VOLT nan", ":VOLT inf", ":VOLT 1e999", ":VOLT 40", ":VOLT 1 A", ":VOLT abc",
                            ":VOLT", ":VOLT 1,2", ":VOLT @", ":VOLT \"3\""}) {
        CSim2280S supply;
        std::string reply;
        EXPECT_FALSE(supply.Execute(":VOLT 4.5", reply));
        EXPECT_FALSE(supply.Execute(bad, reply)) << bad;
        EXPECT_EQ(Ask(supply, ":VOLT?"), "4.500000") << bad;
        EXPECT_NE(ErrorsOf(supply), "") << bad;
    }
}

TEST(ScpiParser, AFullErrorQueueEndsWithOverflow) {
    CSimDMM7510 meter;
    std::string reply;
    for (int i = 0; i < 40; ++i)
        meter.Execute("*FOO", reply);
    EXPECT_EQ(Ask(meter, ":SYST:ERR:COUN?"), "32");
    std::string errors = ErrorsOf(meter);
    EXPECT_EQ(errors.substr(errors.size() - 5), "-350 ");
    EXPECT_EQ(errors.rfind("-113 ", 0), 0u);
}

TEST(ScpiParser, EveryNumericParameterRefusesNonNumbers) {
    struct SNumeric {
        eModel model;
        const char* header;
        const char* query;
    };
    const SNumeric numerics[] = {
        {eMeter, ":SENS:CURR:NPLC", ":SENS:CURR:NPLC?"},
        {eMeter, ":SENS:CURR:RANG", ":SENS:CURR:RANG?"},
        {eMeter, ":SENS:CURR:ATR:EDGE:LEV", ":SENS:CURR:ATR:EDGE:LEV?"},
        {eMeter, ":SENS:COUN", ":SENS:COUN?"},
        {eMeter, ":TRAC:POIN", ":TRAC:POIN?"},
        {eMeter, "*ESE", "*ESE?"},
        {eMeter, "*SRE", "*SRE?"},
        {eMeter, ":STAT:OPER:ENAB", ":STAT:OPER:ENAB?"},
        {eSupply, ":VOLT", ":VOLT?"},
        {eSupply, ":VOLT:LIM", ":VOLT:LIM?"},
        {eSupply, ":VOLT:PROT", ":VOLT:PROT?"},
        {eSupply, ":CURR", ":CURR?"},
        {eSupply, ":CURR:PROT", ":CURR:PROT?"},
        {eSupply, ":SENS:CURR:NPLC", ":SENS:CURR:NPLC?"},
        {eSupply, ":SENS:CURR:RANG", ":SENS:CURR:RANG?"},
        {eSupply, ":TRIG:COUN", ":TRIG:COUN?"},
        {eSupply, ":TRIG:SAMP:COUN", ":TRIG:SAMP:COUN?"},
        {eSupply, ":TRAC:POIN", ":TRAC:POIN?"},
        {eSupply, ":STAT:OPER:INST:ISUM:ENAB", ":STAT:OPER:INST:ISUM:ENAB?"},
    };
    for (const SNumeric& n : numerics) {
        for (const char* value :
             {"nan", "NaN", "inf", "-inf", "+nan", "1e999", "-1e999", "infinity", "0x10"}) {
            auto model = Make(n.model);
            const std::string before = Ask(*model, n.query);
            std::string reply;
            EXPECT_FALSE(model->Execute(std::string(n.header) + " " + value, reply))
                << n.header << " " << value;
            EXPECT_EQ(Ask(*model, n.query), before) << n.header << " " << value;
            EXPECT_NE(ErrorsOf(*model), "") << n.header << " " << value;
            EXPECT_NE(Ask(*model, "*IDN?"), "") << n.header << " " << value;
        }
    }
}

} // namespace
