#include "CoreTestFiles.h"
#include "lumora/core/ParserParaInstruDCSource.h"
#include "lumora/core/ParserParaInstruMultiMeter.h"

#include <clocale>
#include <gtest/gtest.h>

using coretest::ReadAll;
using coretest::WriteAll;

namespace {

// "电源" in CP936.
const QByteArray kSupplyAnsi = QByteArray::fromHex("b5e7d4b4");

const char kDcFile[] =
    "<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n"
    "<QXInstrument>\n"
    "    <Instrument>\n"
    "        <Property Name=\"@NAME@\" Type=\"DC\" Model=\"2280S\" />\n"
    "        <VISA Resource=\"TCPIP0::10.0.0.5::INSTR\" Timeout=\"30000\" EndOfLine=\"\\n\" "
    "AddressIP=\"10.0.0.5\" AddressUSB=\"\" />\n"
    "        <DigitMultimeter>\n"
    "            <FunctionType Value=\"1\" />\n"
    "            <OutputState Value=\"1\" />\n"
    "            <VoltageLevel Value=\"3.3\" />\n"
    "            <VoltageLimit Value=\"5\" />\n"
    "            <VoltageProtection Value=\"5\" />\n"
    "            <CurrentLimit Value=\"0.5\" />\n"
    "            <CurrentProtection Value=\"0.5\" />\n"
    "            <TriggerTimeout Value=\"1.000000\" />\n"
    "            <DcsNplcCurr Value=\"0.100000\" />\n"
    "            <DcsNplcDLOG Value=\"0.010000\" />\n"
    "            <BufferCapacity Value=\"2\" />\n"
    "        </DigitMultimeter>\n"
    "    </Instrument>\n"
    "    <ParaMeasDataLogging>\n"
    "        <AcqTimeHour Value=\"0\" />\n"
    "        <AcqTimeMinute Value=\"0\" />\n"
    "        <AcqTimeSecond Value=\"30\" />\n"
    "        <AutoNPLC Value=\"0\" />\n"
    "        <DataLoggingMeas Value=\"0\" />\n"
    "        <DataAcqNumber Value=\"150000\" />\n"
    "        <FileSize Value=\"0\" />\n"
    "    </ParaMeasDataLogging>\n"
    "</QXInstrument>\n";

const char kDmmFile[] =
    "<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n"
    "<QXInstrument>\n"
    "    <Instrument>\n"
    "        <Property Name=\"\" Type=\"\" Model=\"\" />\n"
    "        <VISA Resource=\"TCPIP0::127.0.0.1::INSTR\" Timeout=\"30000\" EndOfLine=\"\" "
    "AddressIP=\"\" AddressUSB=\"\" />\n"
    "        <DigitMultimeter>\n"
    "            <FunctionType Value=\"1\" />\n"
    "            <CaptCurr Value=\"0.500000\" />\n"
    "            <NplcCurr Value=\"0.001000\" />\n"
    "            <NplcDLog Value=\"0.010000\" />\n"
    "        </DigitMultimeter>\n"
    "    </Instrument>\n"
    "    <ParaMeasDataLogging>\n"
    "        <AcqTimeHour Value=\"0\" />\n"
    "        <AcqTimeMinute Value=\"0\" />\n"
    "        <AcqTimeSecond Value=\"30\" />\n"
    "        <AutoNPLC Value=\"0\" />\n"
    "        <DataLoggingMeas Value=\"0\" />\n"
    "        <DataAcqNumber Value=\"0\" />\n"
    "        <FileSize Value=\"0\" />\n"
    "    </ParaMeasDataLogging>\n"
    "</QXInstrument>\n";

class InstrumentFiles : public ::testing::Test {
protected:
    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
};

TEST_F(InstrumentFiles, DcSourceFileIsByteExact) {
    CParameterInstruDCSource dc;
    dc.Name = QString::fromUtf8("电源");
    dc.Type = QStringLiteral("DC");
    dc.Model = QStringLiteral("2280S");
    dc.Resource = QStringLiteral("TCPIP0::10.0.0.5::INSTR");
    dc.EndOfLine = QStringLiteral("\\n");
    dc.AddressIP = QStringLiteral("10.0.0.5");
    dc.OutputState = 1;
    dc.VoltageLevel = QStringLiteral("3.3");
    dc.DataLogging.DataAcqNumber = 150000;
    ASSERT_EQ(CParserParaInstruDCSource().Save(Path("dc.xml"), &dc), 1);
    QByteArray expected(kDcFile);
    expected.replace("@NAME@", kSupplyAnsi);
    EXPECT_EQ(ReadAll(Path("dc.xml")).toStdString(), expected.toStdString());
}

TEST_F(InstrumentFiles, MultimeterFileIsByteExact) {
    const CParameterInstruMultiMeter dmm;
    ASSERT_EQ(CParserParaInstruMultiMeter().Save(Path("dmm.xml"), &dmm), 1);
    EXPECT_EQ(ReadAll(Path("dmm.xml")).toStdString(), std::string(kDmmFile));
}

TEST_F(InstrumentFiles, DcSourceRoundTripKeepsEveryStoredField) {
    CParameterInstruDCSource in;
    in.Name = QString::fromUtf8("直流电源 A");
    in.Type = QStringLiteral("Power");
    in.Model = QStringLiteral("2280S-32-6");
    in.Resource = QStringLiteral("TCPIP0::192.168.1.20::5025::SOCKET");
    in.Timeout = QStringLiteral("5000");
    in.EndOfLine = QStringLiteral("LF");
    in.AddressIP = QStringLiteral("192.168.1.20");
    in.AddressUSB = QStringLiteral("USB0::0x05E6::0x2281::1234::INSTR");
    in.FunctionType = 2;
    in.OutputState = 1;
    in.VoltageLevel = QStringLiteral("4.2");
    in.VoltageLimit = QStringLiteral("6");
    in.VoltageProtection = QStringLiteral("6.5");
    in.CurrentLimit = QStringLiteral("1.5");
    in.CurrentProtection = QStringLiteral("2");
    in.TriggerTimeout = 2.5;
    in.DcsNplcCurr = 0.002;
    in.DcsNplcDLOG = 0.0005;
    in.BufferCapacity = 4000000000u;
    in.DataLogging = {};
    in.DataLogging.AcqTimeHour = 48;
    in.DataLogging.AcqTimeMinute = 59;
    in.DataLogging.AcqTimeSecond = 1;
    in.DataLogging.AutoNPLC = 1;
    in.DataLogging.DataLoggingMeas = 3;
    in.DataLogging.DataAcqNumber = 6000000;
    in.DataLogging.FileSize = 3000000000u;
    ASSERT_EQ(CParserParaInstruDCSource().Save(Path("rt.xml"), &in), 1);

    CParameterInstruDCSource out;
    out.CurrentRange = 3;
    out.InstrumentIDN = QStringLiteral("KEITHLEY");
    out.TriggerCount = 9;
    ASSERT_EQ(CParserParaInstruDCSource().Load(Path("rt.xml"), &out), 1);
    EXPECT_EQ(out.Name, in.Name);
    EXPECT_EQ(out.Type, in.Type);
    EXPECT_EQ(out.Model, in.Model);
    EXPECT_EQ(out.Resource, in.Resource);
    EXPECT_EQ(out.Timeout, in.Timeout);
    EXPECT_EQ(out.EndOfLine, in.EndOfLine);
    EXPECT_EQ(out.AddressIP, in.AddressIP);
    EXPECT_EQ(out.AddressUSB, in.AddressUSB);
    EXPECT_EQ(out.FunctionType, 2);
    EXPECT_EQ(out.OutputState, 1);
    EXPECT_EQ(out.VoltageLevel, in.VoltageLevel);
    EXPECT_EQ(out.VoltageLimit, in.VoltageLimit);
    EXPECT_EQ(out.VoltageProtection, in.VoltageProtection);
    EXPECT_EQ(out.CurrentLimit, in.CurrentLimit);
    EXPECT_EQ(out.CurrentProtection, in.CurrentProtection);
    EXPECT_DOUBLE_EQ(out.TriggerTimeout, 2.5);
    EXPECT_DOUBLE_EQ(out.DcsNplcCurr, 0.002);
    EXPECT_DOUBLE_EQ(out.DcsNplcDLOG, 0.0005);
    EXPECT_EQ(out.BufferCapacity, 4000000000u);
    EXPECT_EQ(out.DataLogging.AcqTimeHour, 48);
    EXPECT_EQ(out.DataLogging.AcqTimeMinute, 59);
    EXPECT_EQ(out.DataLogging.AcqTimeSecond, 1);
    EXPECT_EQ(out.DataLogging.AutoNPLC, 1);
    EXPECT_EQ(out.DataLogging.DataLoggingMeas, 3);
    EXPECT_EQ(out.DataLogging.DataAcqNumber, 6000000u);
    EXPECT_EQ(out.DataLogging.FileSize, 3000000000u);
    // Fields that are not in the file keep what the target held.
    EXPECT_EQ(out.CurrentRange, 3);
    EXPECT_EQ(out.InstrumentIDN, QStringLiteral("KEITHLEY"));
    EXPECT_EQ(out.TriggerCount, 9);
}

TEST_F(InstrumentFiles, MultimeterRoundTripKeepsEveryStoredField) {
    CParameterInstruMultiMeter in;
    in.Name = QString::fromUtf8("万用表");
    in.Type = QStringLiteral("DMM");
    in.Model = QStringLiteral("DMM7510");
    in.Resource = QStringLiteral("TCPIP0::10.1.1.1::INSTR");
    in.Timeout = QStringLiteral("2000");
    in.EndOfLine = QStringLiteral("\r\n");
    in.AddressIP = QStringLiteral("10.1.1.1");
    in.AddressUSB = QStringLiteral("USB0::0x05E6::0x7510::99::INSTR");
    in.FunctionType = 0;
    in.CaptCurr = 1.25;
    in.NplcCurr = 0.0005;
    in.NplcDLog = 0.05;
    in.DataLogging.AcqTimeHour = 2;
    in.DataLogging.AcqTimeMinute = 15;
    in.DataLogging.AcqTimeSecond = 0;
    in.DataLogging.AutoNPLC = 1;
    in.DataLogging.DataLoggingMeas = 2;
    in.DataLogging.DataAcqNumber = 4000000000u;
    in.DataLogging.FileSize = 12;
    ASSERT_EQ(CParserParaInstruMultiMeter().Save(Path("m.xml"), &in), 1);
    CParameterInstruMultiMeter out;
    out.TriggerMode = 2;
    out.TriggerLevel = QStringLiteral("0.001");
    ASSERT_EQ(CParserParaInstruMultiMeter().Load(Path("m.xml"), &out), 1);
    EXPECT_EQ(out.Name, in.Name);
    EXPECT_EQ(out.Type, in.Type);
    EXPECT_EQ(out.Model, in.Model);
    EXPECT_EQ(out.Resource, in.Resource);
    EXPECT_EQ(out.Timeout, in.Timeout);
    EXPECT_EQ(out.EndOfLine, in.EndOfLine);
    EXPECT_EQ(out.AddressIP, in.AddressIP);
    EXPECT_EQ(out.AddressUSB, in.AddressUSB);
    EXPECT_EQ(out.FunctionType, 0);
    EXPECT_DOUBLE_EQ(out.CaptCurr, 1.25);
    EXPECT_DOUBLE_EQ(out.NplcCurr, 0.0005);
    EXPECT_DOUBLE_EQ(out.NplcDLog, 0.05);
    EXPECT_EQ(out.DataLogging.AcqTimeHour, 2);
    EXPECT_EQ(out.DataLogging.AcqTimeMinute, 15);
    EXPECT_EQ(out.DataLogging.AcqTimeSecond, 0);
    EXPECT_EQ(out.DataLogging.AutoNPLC, 1);
    EXPECT_EQ(out.DataLogging.DataLoggingMeas, 2);
    EXPECT_EQ(out.DataLogging.DataAcqNumber, 4000000000u);
    EXPECT_EQ(out.DataLogging.FileSize, 12u);
    EXPECT_EQ(out.TriggerMode, 2);
    EXPECT_EQ(out.TriggerLevel, QStringLiteral("0.001"));
}

struct SBadCase {
    const char* name;
    QByteArray content;
};

TEST_F(InstrumentFiles, BadFilesFailAndLeaveTheDefaults) {
    const SBadCase cases[] = {
        {"root in other case", "<?xml version=\"1.0\" ?><qxinstrument><Instrument/></qxinstrument>"},
        {"no Instrument",
         "<QXInstrument><ParaMeasDataLogging><AcqTimeHour Value=\"5\"/></ParaMeasDataLogging>"
         "</QXInstrument>"},
        {"truncated", QByteArray(kDcFile).left(400)},
        {"not xml", "FunctionType=2\nOutputState=1\n"},
        {"empty", ""},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteAll(Path("bad.xml"), c.content));
        CParameterInstruDCSource dc;
        EXPECT_EQ(CParserParaInstruDCSource().Load(Path("bad.xml"), &dc), 0) << c.name;
        EXPECT_EQ(dc.DataLogging.AcqTimeHour, 0) << c.name;
        CParameterInstruMultiMeter dmm;
        EXPECT_EQ(CParserParaInstruMultiMeter().Load(Path("bad.xml"), &dmm), 0) << c.name;
    }
    CParameterInstruDCSource dc;
    EXPECT_EQ(CParserParaInstruDCSource().Load(Path("missing.xml"), &dc), 0);
    EXPECT_EQ(dc.VoltageLimit, QStringLiteral("5"));
    EXPECT_EQ(CParserParaInstruDCSource().Load(Path("missing.xml"), nullptr), 0);
    EXPECT_EQ(CParserParaInstruDCSource().Save(Path("x.xml"), nullptr), 0);
    EXPECT_EQ(CParserParaInstruDCSource().Save(Path("no/folder/x.xml"), &dc), 0);
}

TEST_F(InstrumentFiles, MissingElementsKeepValuesAndMissingValuesEmpty) {
    ASSERT_TRUE(WriteAll(Path("part.xml"), "<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>"
                                           "<QXInstrument><Instrument>"
                                           "<Property Model=\"2281S\"/>"
                                           "<DigitMultimeter><VoltageLimit/><FunctionType/>"
                                           "<DcsNplcCurr Value=\"0.5\"/></DigitMultimeter>"
                                           "</Instrument></QXInstrument>"));
    CParameterInstruDCSource dc;
    dc.Name = QStringLiteral("kept?");
    dc.DataLogging.AcqTimeHour = 7;
    ASSERT_EQ(CParserParaInstruDCSource().Load(Path("part.xml"), &dc), 1);
    EXPECT_EQ(dc.Model, QStringLiteral("2281S"));
    EXPECT_TRUE(dc.Name.isEmpty()); // a missing attribute of a present block reads as empty
    EXPECT_EQ(dc.Resource, QStringLiteral("TCPIP0::127.0.0.1::INSTR"));
    EXPECT_TRUE(dc.VoltageLimit.isEmpty());
    EXPECT_EQ(dc.FunctionType, 0);
    EXPECT_DOUBLE_EQ(dc.DcsNplcCurr, 0.5);
    EXPECT_EQ(dc.VoltageProtection, QStringLiteral("5"));
    EXPECT_EQ(dc.DataLogging.AcqTimeHour, 7);
}

TEST_F(InstrumentFiles, NumbersReadTheSameUnderADecimalCommaLocale) {
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
    CParameterInstruDCSource in;
    in.TriggerTimeout = 0.25;
    const bool saved = CParserParaInstruDCSource().Save(Path("de.xml"), &in) == 1;
    CParameterInstruDCSource out;
    const bool loaded = CParserParaInstruDCSource().Load(Path("de.xml"), &out) == 1;
    std::setlocale(LC_NUMERIC, "C");
    ASSERT_TRUE(saved && loaded);
    EXPECT_TRUE(ReadAll(Path("de.xml")).contains("<TriggerTimeout Value=\"0.250000\" />"));
    EXPECT_DOUBLE_EQ(out.TriggerTimeout, 0.25);
}

// A file loaded and saved again unchanged keeps each text as the user wrote it, whatever its form;
// a value the program changed is written so that it reads back as the record holds it.
TEST_F(InstrumentFiles, SavingWritesBackWhatWasReadAndWhatReadsBackTheSame) {
    const QByteArray file =
        "<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n<QXInstrument><Instrument>"
        "<Property Name=\"\x81:x\" Type=\"\" Model=\"2280S\" />"
        "<VISA Resource=\"TCPIP0::\x81::INSTR\" Timeout=\"5000\" EndOfLine=\"\" AddressIP=\"\" "
        "AddressUSB=\"\" />"
        "<DigitMultimeter><FunctionType Value=\"+2\" /><VoltageLevel Value=\"nan\" />"
        "<VoltageLimit Value=\"1e400\" /><TriggerTimeout Value=\"nan\" /><DcsNplcCurr Value=\"1e400\" />"
        "<DcsNplcDLOG Value=\"1e-9\" /><BufferCapacity Value=\"4294967295\" /></DigitMultimeter></Instrument>"
        "<ParaMeasDataLogging><AcqTimeHour Value=\"07\" /><FileSize Value=\"3000000000\" />"
        "</ParaMeasDataLogging></QXInstrument>\n";
    ASSERT_TRUE(WriteAll(Path("kept.xml"), file));
    CParameterInstruDCSource record;
    ASSERT_EQ(CParserParaInstruDCSource().Load(Path("kept.xml"), &record), 1);
    ASSERT_EQ(CParserParaInstruDCSource().Save(Path("kept.xml"), &record), 1);
    const QByteArray saved = ReadAll(Path("kept.xml"));
    for (const QByteArray& piece :
         {QByteArray("Name=\"\x81:x\""), QByteArray("Resource=\"TCPIP0::\x81::INSTR\""),
          QByteArray("<FunctionType Value=\"+2\" />"), QByteArray("<VoltageLevel Value=\"nan\" />"),
          QByteArray("<VoltageLimit Value=\"1e400\" />"), QByteArray("<TriggerTimeout Value=\"nan\" />"),
          QByteArray("<DcsNplcCurr Value=\"1e400\" />"), QByteArray("<DcsNplcDLOG Value=\"1e-9\" />"),
          QByteArray("<BufferCapacity Value=\"4294967295\" />"), QByteArray("<AcqTimeHour Value=\"07\" />"),
          QByteArray("<FileSize Value=\"3000000000\" />")})
        EXPECT_TRUE(saved.contains(piece)) << piece.toStdString() << "\n" << saved.toStdString();

    // Changed values, and values the file did not have: each reads back as it was saved.
    record.TriggerTimeout = 1.0 / 3.0;
    record.DcsNplcCurr = 2.5e-10;
    record.DcsNplcDLOG = 0.01;
    record.BufferCapacity = 4000000000u;
    record.VoltageLevel = QStringLiteral("3.3");
    record.DataLogging.AcqTimeHour = 7;
    record.DataLogging.DataAcqNumber = 4294967295u;
    ASSERT_EQ(CParserParaInstruDCSource().Save(Path("kept.xml"), &record), 1);
    CParameterInstruDCSource back;
    ASSERT_EQ(CParserParaInstruDCSource().Load(Path("kept.xml"), &back), 1);
    EXPECT_EQ(back.TriggerTimeout, 1.0 / 3.0);
    EXPECT_EQ(back.DcsNplcCurr, 2.5e-10);
    EXPECT_EQ(back.BufferCapacity, 4000000000u);
    EXPECT_EQ(back.VoltageLevel, QStringLiteral("3.3"));
    EXPECT_EQ(back.DataLogging.DataAcqNumber, 4294967295u);
    const QByteArray again = ReadAll(Path("kept.xml"));
    // Six decimals where they read back the same, as the files have always held them.
    EXPECT_TRUE(again.contains("<DcsNplcDLOG Value=\"0.010000\" />")) << again.toStdString();
    EXPECT_TRUE(again.contains("<AcqTimeHour Value=\"07\" />")) << again.toStdString();
    EXPECT_TRUE(again.contains("Name=\"\x81:x\"")) << again.toStdString();
}

} // namespace
