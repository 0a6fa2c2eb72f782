#pragma once

#include "common/xmlfile/XmlDocument.h"
#include "common/xmlfile/XmlWriter.h"
#include "lumora/core/ParameterInstru.h"
#include "lumora/core/ParameterMeasDataLogging.h"

class TiXmlElement;

// Base of the instrument file parsers (root QXInstrument). Holds no state; the connection block and
// the data-logging block are the same in both instrument files.
class CFileParserInstru {
public:
    virtual ~CFileParserInstru() = default;

    static constexpr const char* kRoot = "QXInstrument";

protected:
    // Property (Name, Type, Model) and VISA (the five connection texts) under 'instrument'; each block
    // is read when present. False only when an attribute read fails.
    static bool ReadConnection(const XmlReadDocument& document, const TiXmlElement* instrument,
                               CParameterInstru& record);
    static void ReadDataLogging(const XmlReadDocument& document, const TiXmlElement* block,
                                CParameterMeasDataLogging& record);

    // 'previous' is the same element of the file as it was before (may be null): texts the record
    // still holds are written as they were read (see XmlSettings.h).
    static void WriteConnection(CXmlWriter& writer, TiXmlElement* instrument, const CParameterInstru& record,
                                const TiXmlElement* previous);
    static void WriteDataLogging(CXmlWriter& writer, TiXmlElement* root,
                                 const CParameterMeasDataLogging& record, const TiXmlElement* previous);
};
