#pragma once

#include "waveform/common/ParameterWaveform.h"

extern "C" {

// Runs the waveform preferences dialog on a copy of the record; mode 1 shows the left axis of the
// two-axis window. On OK the copy is assigned to the record and the result is 1; otherwise the record
// is untouched and the result is 0.
int DLL_SetPropertyWaveform(CParameterWaveform* record, int mode);
}
