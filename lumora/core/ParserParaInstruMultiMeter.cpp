#include "lumora/core/ParserParaInstruMultiMeter.h"

#include "lumora/core/XmlSettings.h"

#include <tinyxml.h>

using namespace core;

int CParserParaInstruMultiMeter::Load(const QString& path, CParameterInstruMultiMeter* record) {
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
        ReadDouble(document, s, "CaptCurr", record->CaptCurr);
        ReadDouble(document, s, "NplcCurr", record->NplcCurr);
        ReadDouble(document, s, "NplcDLog", record->NplcDLog);
    }
    ReadDataLogging(document, document.Root->FirstChildElement("ParaMeasDataLogging"), record->DataLogging);
    CloseXmlDocument(document);
    return 1;
}

int CParserParaInstruMultiMeter::Save(const QString& path, const CParameterInstruMultiMeter* record) {
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
    WriteDouble(writer, s, "CaptCurr", record->CaptCurr, before);
    WriteDouble(writer, s, "NplcCurr", record->NplcCurr, before);
    WriteDouble(writer, s, "NplcDLog", record->NplcDLog, before);
    WriteDataLogging(writer, writer.Root(), record->DataLogging,
                     ChildElement(previous.Root, "ParaMeasDataLogging"));
    return writer.Save();
}
