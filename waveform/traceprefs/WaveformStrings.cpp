#include "waveform/traceprefs/WaveformStrings.h"

#include "waveform/traceprefs/TraceStrings.h"

namespace traceprefs {

QString LoadString(int id) {
    return Text(id);
}

} // namespace traceprefs
