#include "waveform/stripplot/WaveformTimeVsAmpWnd.h"

CWaveformTimeVsAmpWnd::CWaveformTimeVsAmpWnd() : CWaveformPlotWnd(QStringLiteral("Waveform.xml")) {}

CWaveformTimeVsAmpWnd::~CWaveformTimeVsAmpWnd() = default;

void CWaveformTimeVsAmpWnd::SetDataMultiLine(int line, const double* x, const double* y, unsigned n,
                                             int exclusion) {
    AssignLine(line, x, y, n, exclusion);
}

void CWaveformTimeVsAmpWnd::ResetWaveformWnd() {
    SetAxisScaleVertOrg(0.0, 1.0, 1);
    SetAxisScaleVertZoom(0.0, 1.0, 1);
    SetAxisScaleHoriOrg(0.0, 1.0, 1);
    SetAxisScaleHoriZoom(0.0, 1.0, 1);
    Line(0)->Data.Clear();
    ForgetDrawnRange(0);
    ReDrawWaveformWnd(1, 1, 1);
}
