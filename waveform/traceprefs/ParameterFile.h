#pragma once

#include "waveform/common/ParameterWaveform.h"

#include <QString>

// The display parameter file of a plot window. Both return 1 on success and 0 on any failure, silently.
extern "C" {

// Reads the stored fields into the record; fields whose element or attribute is missing keep their
// values. A file without ParametersWaveform gives 1 and changes nothing. Pens are not rebuilt here.
int DLL_LoadParameterFromFile(const QString& path, CParameterWaveform* record);

// Writes a new file holding the stored fields of the record.
int DLL_SaveParameterToFile(const QString& path, CParameterWaveform* record);
}
