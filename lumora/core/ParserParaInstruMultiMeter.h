#pragma once

#include "lumora/core/FileParserInstru.h"
#include "lumora/core/ParameterInstruMultiMeter.h"

#include <QString>

// The multimeter's file "Instruments/Digit Multimeter/Digit Multimeter.xml".
class CParserParaInstruMultiMeter : public CFileParserInstru {
public:
    // Folder under the program folder and file name of the instrument file.
    static constexpr const char* kFolder = "Instruments/Digit Multimeter/";
    static constexpr const char* kFileName = "Digit Multimeter.xml";

    // 1 when the file was read; fields whose elements are missing keep their values.
    int Load(const QString& path, CParameterInstruMultiMeter* record);
    // 1 when the file was written. The folder must exist.
    int Save(const QString& path, const CParameterInstruMultiMeter* record);
};
