#pragma once

#include "lumora/core/FileParserInstru.h"
#include "lumora/core/ParameterInstruDCSource.h"

#include <QString>

// The DC power supply's file "Instruments/DC Power Supply/DC Power Supply.xml".
class CParserParaInstruDCSource : public CFileParserInstru {
public:
    // Folder under the program folder and file name of the instrument file.
    static constexpr const char* kFolder = "Instruments/DC Power Supply/";
    static constexpr const char* kFileName = "DC Power Supply.xml";

    // 1 when the file was read; fields whose elements are missing keep their values.
    int Load(const QString& path, CParameterInstruDCSource* record);
    // 1 when the file was written. The folder must exist.
    int Save(const QString& path, const CParameterInstruDCSource* record);
};
