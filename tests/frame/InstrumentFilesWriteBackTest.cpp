// The instrument files are written back at exit: what the user wrote there and the program did not
// change comes back as it was, whatever its form, and nothing is written that would read back as
// something else.
#include "BenchAdapter.h"
#include "FrameFixture.h"

#include "common/xmlfile/XmlDocument.h"
#include "lumora/LumoraStrings.h"
#include "lumora/core/MainFrame.h"
#include "platform/Numbers.h"
#include "platform/StringTable.h"
#include "tests/support/ForeignLink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

using namespace frametest;

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// The attribute's raw bytes on the element of that name (the first one), or "(none)".
QByteArray Attribute(const QByteArray& xml, const QByteArray& element, const QByteArray& attribute) {
    const qsizetype at = xml.indexOf("<" + element + " ");
    if (at < 0)
        return "(none)";
    const qsizetype end = xml.indexOf('>', at);
    const QByteArray tag = xml.mid(at, end - at);
    const qsizetype name = tag.indexOf(" " + attribute + "=\"");
    if (name < 0)
        return "(none)";
    const qsizetype from = name + attribute.size() + 3;
    return tag.mid(from, tag.indexOf('"', from) - from);
}

TEST(InstrumentFilesWriteBack, WhatTheProgramDidNotChangeIsWrittenBackAsItWasRead) {
    CBench bench;
    CMessageRecorder messages;
    CProgramFolder folder;
    folder.WriteConfiguration(1, false);
    const QString supplyFile =
        folder.Path() + QStringLiteral("Instruments/DC Power Supply/DC Power Supply.xml");
    const QString meterFile =
        folder.Path() + QStringLiteral("Instruments/Digit Multimeter/Digit Multimeter.xml");
    // 0x81 0x3A is no GBK character: a reader that takes 0x81 as a lead byte swallows the colon.
    const QByteArray odd = "\x81:odd";
    const QByteArray supply =
        "<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n<QXInstrument><Instrument>"
        "<Property Name=\"" +
        odd +
        "\" Type=\"\" Model=\"2280S\" />"
        "<VISA Resource=\"" +
        bench.SupplyResource().toLatin1() +
        "\" Timeout=\"5000\" EndOfLine=\"\" AddressIP=\"\" AddressUSB=\"USB0::" + odd +
        "::INSTR\" />"
        "<DigitMultimeter><FunctionType Value=\"2\" /><OutputState Value=\"0\" />"
        "<VoltageLevel Value=\"nan\" /><VoltageLimit Value=\"1e400\" /><VoltageProtection Value=\"6.000\" />"
        "<CurrentLimit Value=\"0.5\" /><CurrentProtection Value=\"3.25\" />"
        "<TriggerTimeout Value=\"nan\" /><DcsNplcCurr Value=\"1e400\" /><DcsNplcDLOG Value=\"0.0005\" />"
        "<BufferCapacity Value=\"4294967295\" /></DigitMultimeter></Instrument>"
        "<ParaMeasDataLogging><AcqTimeHour Value=\"07\" /><DataAcqNumber Value=\"4294967295\" />"
        "<FileSize Value=\"3000000000\" /></ParaMeasDataLogging></QXInstrument>\n";
    const QByteArray meter =
        "<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n<QXInstrument><Instrument>"
        "<Property Name=\"Digit Multimeter\" Type=\"\" Model=\"" +
        odd +
        "\" />"
        "<VISA Resource=\"" +
        bench.MeterResource().toLatin1() +
        "\" Timeout=\"5000\" EndOfLine=\"\" AddressIP=\"\" AddressUSB=\"\" />"
        "<DigitMultimeter><FunctionType Value=\"2\" /><CaptCurr Value=\"nan\" /><NplcCurr Value=\"1e400\" />"
        "<NplcDLog Value=\"1e-9\" /></DigitMultimeter></Instrument>"
        "<ParaMeasDataLogging><FileSize Value=\"4294967295\" /></ParaMeasDataLogging></QXInstrument>\n";
    WriteBytes(supplyFile, supply);
    WriteBytes(meterFile, meter);
    {
        SLumora lumora;
        ASSERT_EQ(lumora.created, 0);
        ASSERT_NE(lumora.frame->SupplyDriver(), nullptr);
        // A value the program changes is written so that it reads back as the record holds it.
        lumora.frame->MultimeterRecord().NplcCurr = 2.5e-10;
        lumora.frame->SupplyRecord().DataLogging.FileSize = 4000000000u;
    }
    const QByteArray supplyAfter = ReadBytes(supplyFile);
    const QByteArray meterAfter = ReadBytes(meterFile);
    // Settings the instrument does not report back, as the file had them.
    const struct {
        const QByteArray& before;
        const QByteArray& after;
        const char* element;
        const char* attribute;
    } values[] = {
        {supply, supplyAfter, "Property", "Name"},      {supply, supplyAfter, "VISA", "AddressUSB"},
        {supply, supplyAfter, "VoltageLimit", "Value"}, {supply, supplyAfter, "TriggerTimeout", "Value"},
        {supply, supplyAfter, "DcsNplcCurr", "Value"},  {supply, supplyAfter, "DcsNplcDLOG", "Value"},
        {supply, supplyAfter, "AcqTimeHour", "Value"},  {supply, supplyAfter, "DataAcqNumber", "Value"},
        {meter, meterAfter, "Property", "Model"},       {meter, meterAfter, "CaptCurr", "Value"},
        {meter, meterAfter, "NplcDLog", "Value"},       {meter, meterAfter, "FileSize", "Value"},
    };
    for (const auto& value : values)
        EXPECT_EQ(Attribute(value.after, value.element, value.attribute),
                  Attribute(value.before, value.element, value.attribute))
            << value.element << " " << value.attribute;
    EXPECT_EQ(platform::WToF(QString::fromLatin1(Attribute(meterAfter, "NplcCurr", "Value"))), 2.5e-10);
    EXPECT_EQ(platform::WcsToUL(QString::fromLatin1(Attribute(supplyAfter, "FileSize", "Value")), 10),
              4000000000u);
}

// A file just under the reader's size bound whose name is all '>' (as raw text in a value, which a
// writer spells "&gt;") would be four times as long written back: the exit says the file was not
// saved and leaves it, and the next start reads it as it was, rather than refusing the program's own
// file and losing its settings.
TEST(InstrumentFilesWriteBack, AFileThatWouldNotReadBackIsNotWrittenAndTheOldOneStays) {
    CBench bench;
    CMessageRecorder messages;
    CProgramFolder folder;
    folder.WriteConfiguration(1, false);
    const QString meterFile =
        folder.Path() + QStringLiteral("Instruments/Digit Multimeter/Digit Multimeter.xml");
    const QByteArray head =
        "<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n<QXInstrument><Instrument>"
        "<Property Name=\"";
    const QByteArray tail =
        "\" Type=\"\" Model=\"DMM7510\" /><VISA Resource=\"" + bench.MeterResource().toLatin1() +
        "\" Timeout=\"5000\" EndOfLine=\"\" AddressIP=\"\" AddressUSB=\"\" /></Instrument>"
        "</QXInstrument>\n";
    const QByteArray name(xmlfile::kMaxDocumentBytes - head.size() - tail.size(), '>');
    const QByteArray meter = head + name + tail;
    ASSERT_EQ(meter.size(), xmlfile::kMaxDocumentBytes);
    WriteBytes(meterFile, meter);
    {
        SLumora lumora;
        ASSERT_EQ(lumora.created, 0);
        EXPECT_EQ(lumora.frame->MultimeterRecord().Name, QString::fromLatin1(name));
        messages.Clear();
    }
    EXPECT_EQ(messages.Texts(), QStringList{platform::LoadString(IDS_WRITE_FAILED)});
    EXPECT_EQ(ReadBytes(meterFile), meter);
    {
        SLumora lumora;
        ASSERT_EQ(lumora.created, 0);
        EXPECT_EQ(lumora.frame->MultimeterRecord().Name, QString::fromLatin1(name));
    }
}

// An instrument file that is another user's link to a file of this user's is not written through at
// exit: the exit says the file was not saved, and the file the link names stays as it was.
TEST(InstrumentFilesWriteBack, AnotherUsersLinkIsNotWrittenThrough) {
    if (!testsupport::CanMakeForeignLinks())
        GTEST_SKIP() << "only root can give a link to another user";
    CMessageRecorder messages;
    CProgramFolder folder;
    folder.WriteConfiguration(1, false);
    // The user's own instrument file elsewhere, which the program would load and then write back.
    const QString precious = folder.Path() + QStringLiteral("precious.xml");
    const QByteArray mine = "<?xml version=\"1.0\" ?><QXInstrument><Instrument><Property Name=\"mine\"/>"
                            "</Instrument></QXInstrument>";
    WriteBytes(precious, mine);
    const QString meterFile =
        folder.Path() + QStringLiteral("Instruments/Digit Multimeter/Digit Multimeter.xml");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(meterFile).path()));
    ASSERT_TRUE(testsupport::MakeForeignLink(precious, meterFile));
    {
        SLumora lumora;
        ASSERT_EQ(lumora.created, 0);
        ASSERT_EQ(lumora.frame->MultimeterRecord().Name, QStringLiteral("mine"));
        messages.Clear();
    }
    EXPECT_TRUE(messages.Contains(platform::LoadString(IDS_WRITE_FAILED)))
        << messages.Texts().join(u'\n').toStdString();
    EXPECT_EQ(ReadBytes(precious), mine);
    EXPECT_TRUE(QFileInfo(meterFile).isSymLink());
}

} // namespace
