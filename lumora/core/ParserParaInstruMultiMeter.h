#pragma once

#include "lumora/core/FileParserInstru.h"
#include "lumora/core/ParameterInstruMultiMeter.h"

#include <QString>

// The multimeter's file "Instruments/Digit Multimeter/Digit Multimeter.xml".
class CParserParaInstruMultiMeter : public CFileParserInstru {
public:
    // 1 when the file was read; fields whose elements are missing keep their values.
    int Load(const QString& path, CParameterInstruMultiMeter* record);
    // 1 when the file was written. The folder must exist.
    int Save(const QString& path, const CParameterInstruMultiMeter* record);
};
