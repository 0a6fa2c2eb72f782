#include "lumora/core/FileParserInstru.h"

#include "common/xmlfile/TextConversion.h"
#include "lumora/core/XmlSettings.h"

#include <tinyxml.h>

using namespace core;

namespace {

std::string Ansi(const QString& text) {
    std::string out;
    UnicodeToAnsi(text, out);
    return out;
}

} // namespace

bool CFileParserInstru::ReadConnection(const XmlReadDocument& document, const TiXmlElement* instrument,
                                       CParameterInstru& record) {
    if (const TiXmlElement* property = instrument->FirstChildElement("Property")) {
        if (!ReadAttributeText(document, property, "Name", record.Name) ||
            !ReadAttributeText(document, property, "Type", record.Type) ||
            !ReadAttributeText(document, property, "Model", record.Model))
            return false;
    }
    if (const TiXmlElement* visa = instrument->FirstChildElement("VISA")) {
        if (!ReadAttributeText(document, visa, "Resource", record.Resource) ||
            !ReadAttributeText(document, visa, "Timeout", record.Timeout) ||
            !ReadAttributeText(document, visa, "EndOfLine", record.EndOfLine) ||
            !ReadAttributeText(document, visa, "AddressIP", record.AddressIP) ||
            !ReadAttributeText(document, visa, "AddressUSB", record.AddressUSB))
            return false;
    }
    return true;
}

void CFileParserInstru::ReadDataLogging(const XmlReadDocument& document, const TiXmlElement* block,
                                        CParameterMeasDataLogging& record) {
    if (block == nullptr)
        return;
    ReadInt(document, block, "AcqTimeHour", record.AcqTimeHour);
    ReadInt(document, block, "AcqTimeMinute", record.AcqTimeMinute);
    ReadInt(document, block, "AcqTimeSecond", record.AcqTimeSecond);
    ReadInt(document, block, "AutoNPLC", record.AutoNPLC);
    ReadInt(document, block, "DataLoggingMeas", record.DataLoggingMeas);
    ReadUnsigned(document, block, "DataAcqNumber", record.DataAcqNumber);
    ReadUnsigned(document, block, "FileSize", record.FileSize);
}

void CFileParserInstru::WriteConnection(CXmlWriter& writer, TiXmlElement* instrument,
                                        const CParameterInstru& record) {
    TiXmlElement* property = writer.AddElement(instrument, "Property");
    writer.SetXmlAttribute(property, "Name", Ansi(record.Name));
    writer.SetXmlAttribute(property, "Type", Ansi(record.Type));
    writer.SetXmlAttribute(property, "Model", Ansi(record.Model));
    TiXmlElement* visa = writer.AddElement(instrument, "VISA");
    writer.SetXmlAttribute(visa, "Resource", Ansi(record.Resource));
    writer.SetXmlAttribute(visa, "Timeout", Ansi(record.Timeout));
    writer.SetXmlAttribute(visa, "EndOfLine", Ansi(record.EndOfLine));
    writer.SetXmlAttribute(visa, "AddressIP", Ansi(record.AddressIP));
    writer.SetXmlAttribute(visa, "AddressUSB", Ansi(record.AddressUSB));
}

void CFileParserInstru::WriteDataLogging(CXmlWriter& writer, TiXmlElement* root,
                                         const CParameterMeasDataLogging& record) {
    TiXmlElement* block = writer.AddElement(root, "ParaMeasDataLogging");
    WriteInt(writer, block, "AcqTimeHour", record.AcqTimeHour);
    WriteInt(writer, block, "AcqTimeMinute", record.AcqTimeMinute);
    WriteInt(writer, block, "AcqTimeSecond", record.AcqTimeSecond);
    WriteInt(writer, block, "AutoNPLC", record.AutoNPLC);
    WriteInt(writer, block, "DataLoggingMeas", record.DataLoggingMeas);
    WriteUnsigned(writer, block, "DataAcqNumber", record.DataAcqNumber);
    WriteUnsigned(writer, block, "FileSize", record.FileSize);
}
