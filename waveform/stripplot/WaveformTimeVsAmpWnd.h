#pragma once

#include "waveform/common/WaveformPlotWnd.h"
#include "waveform/stripplot/TimeVsAmpRecords.h"

// The plot child of the time-versus-amplitude window: four lines of amplitude against time, line 0
// the measured one. Used on the user-interface thread only.
class CWaveformTimeVsAmpWnd : public CWaveformPlotWnd {
public:
    CWaveformTimeVsAmpWnd();
    ~CWaveformTimeVsAmpWnd() override;

    // Replaces a line's samples; exclusion: 1 overflows, 2 repeated times, 3 overflows or else repeated
    // times, other none. The line is shown when it holds samples.
    void SetDataMultiLine(int line, const double* x, const double* y, unsigned n, int exclusion);
    // All ranges back to 0..1 and line 0 emptied; lines 1..3 keep their samples.
    void ResetWaveformWnd();

    void SetWaveformOperateTool(eWaveformOperateTools tool) { SetOperateTool(tool); }
    eWaveformOperateTools GetWaveformOperateTool() const {
        return static_cast<eWaveformOperateTools>(GetOperateTool());
    }
};
