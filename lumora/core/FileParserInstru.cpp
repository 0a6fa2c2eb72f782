#include "lumora/core/FileParserInstru.h"

#include "common/xmlfile/TextConversion.h"
#include "lumora/core/XmlSettings.h"

#include <tinyxml.h>

using namespace core;

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
                                        const CParameterInstru& record, const TiXmlElement* previous) {
    TiXmlElement* property = writer.AddElement(instrument, "Property");
    const TiXmlElement* previousProperty = ChildElement(previous, "Property");
    WriteAttributeText(writer, property, "Name", record.Name, previousProperty);
    WriteAttributeText(writer, property, "Type", record.Type, previousProperty);
    WriteAttributeText(writer, property, "Model", record.Model, previousProperty);
    TiXmlElement* visa = writer.AddElement(instrument, "VISA");
    const TiXmlElement* previousVisa = ChildElement(previous, "VISA");
    WriteAttributeText(writer, visa, "Resource", record.Resource, previousVisa);
    WriteAttributeText(writer, visa, "Timeout", record.Timeout, previousVisa);
    WriteAttributeText(writer, visa, "EndOfLine", record.EndOfLine, previousVisa);
    WriteAttributeText(writer, visa, "AddressIP", record.AddressIP, previousVisa);
    WriteAttributeText(writer, visa, "AddressUSB", record.AddressUSB, previousVisa);
}

void CFileParserInstru::WriteDataLogging(CXmlWriter& writer, TiXmlElement* root,
                                         const CParameterMeasDataLogging& record,
                                         const TiXmlElement* previous) {
    TiXmlElement* block = writer.AddElement(root, "ParaMeasDataLogging");
    WriteInt(writer, block, "AcqTimeHour", record.AcqTimeHour, previous);
    WriteInt(writer, block, "AcqTimeMinute", record.AcqTimeMinute, previous);
    WriteInt(writer, block, "AcqTimeSecond", record.AcqTimeSecond, previous);
    WriteInt(writer, block, "AutoNPLC", record.AutoNPLC, previous);
    WriteInt(writer, block, "DataLoggingMeas", record.DataLoggingMeas, previous);
    WriteUnsigned(writer, block, "DataAcqNumber", record.DataAcqNumber, previous);
    WriteUnsigned(writer, block, "FileSize", record.FileSize, previous);
}
