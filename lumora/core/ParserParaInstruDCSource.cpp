#include "lumora/core/ParserParaInstruDCSource.h"

#include "lumora/core/XmlSettings.h"

#include <tinyxml.h>

using namespace core;

int CParserParaInstruDCSource::Load(const QString& path, CParameterInstruDCSource* record) {
    if (record == nullptr)
        return 0;
    XmlReadDocument document = OpenXmlDocument(path, kRoot);
    if (document.Root == nullptr)
        return 0;
    const TiXmlElement* instrument = document.Root->FirstChildElement("Instrument");
    if (instrument == nullptr || !ReadConnection(document, instrument, *record)) {
        CXmlReadProblems::Note(path, eXmlReadError::Content);
        return 0;
    }
    if (const TiXmlElement* s = instrument->FirstChildElement("DigitMultimeter")) {
        ReadInt(document, s, "FunctionType", record->FunctionType);
        ReadInt(document, s, "OutputState", record->OutputState);
        ReadText(document, s, "VoltageLevel", record->VoltageLevel);
        ReadText(document, s, "VoltageLimit", record->VoltageLimit);
        ReadText(document, s, "VoltageProtection", record->VoltageProtection);
        ReadText(document, s, "CurrentLimit", record->CurrentLimit);
        ReadText(document, s, "CurrentProtection", record->CurrentProtection);
        ReadDouble(document, s, "TriggerTimeout", record->TriggerTimeout);
        ReadDouble(document, s, "DcsNplcCurr", record->DcsNplcCurr);
        ReadDouble(document, s, "DcsNplcDLOG", record->DcsNplcDLOG);
        ReadUnsigned(document, s, "BufferCapacity", record->BufferCapacity);
    }
    ReadDataLogging(document, document.Root->FirstChildElement("ParaMeasDataLogging"), record->DataLogging);
    CloseXmlDocument(document);
    return 1;
}

int CParserParaInstruDCSource::Save(const QString& path, const CParameterInstruDCSource* record) {
    if (record == nullptr)
        return 0;
    // The file as it is, so that what the record still holds is written as it was read.
    const XmlReadDocument previous = OpenXmlDocument(path, kRoot);
    const TiXmlElement* previousInstrument = ChildElement(previous.Root, "Instrument");
    const TiXmlElement* before = ChildElement(previousInstrument, "DigitMultimeter");
    CXmlWriter writer(path, kRoot);
    if (!writer.CreateRoot())
        return 0;
    TiXmlElement* instrument = writer.AddElement(writer.Root(), "Instrument");
    WriteConnection(writer, instrument, *record, previousInstrument);
    TiXmlElement* s = writer.AddElement(instrument, "DigitMultimeter");
    WriteInt(writer, s, "FunctionType", record->FunctionType, before);
    WriteInt(writer, s, "OutputState", record->OutputState, before);
    WriteText(writer, s, "VoltageLevel", record->VoltageLevel, before);
    WriteText(writer, s, "VoltageLimit", record->VoltageLimit, before);
    WriteText(writer, s, "VoltageProtection", record->VoltageProtection, before);
    WriteText(writer, s, "CurrentLimit", record->CurrentLimit, before);
    WriteText(writer, s, "CurrentProtection", record->CurrentProtection, before);
    WriteDouble(writer, s, "TriggerTimeout", record->TriggerTimeout, before);
    WriteDouble(writer, s, "DcsNplcCurr", record->DcsNplcCurr, before);
    WriteDouble(writer, s, "DcsNplcDLOG", record->DcsNplcDLOG, before);
    WriteUnsigned(writer, s, "BufferCapacity", record->BufferCapacity, before);
    WriteDataLogging(writer, writer.Root(), record->DataLogging,
                     ChildElement(previous.Root, "ParaMeasDataLogging"));
    return writer.Save();
}
