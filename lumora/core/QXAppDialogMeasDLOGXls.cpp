#include "lumora/core/DataImport.h"

#include "lumora/core/QXAppDialogMeasDLOG.h"
#include "platform/MessageBox.h"
#include "platform/StringTable.h"
#include "waveform/dualplot/WaveformComboMainWnd.h"

#include <algorithm>

int CQXAppDialogMeasDLOG::LoadWaveformFromXlsFile(const QString& path) {
    if (m_waveform == nullptr)
        return 0;
    std::vector<double> times, currents;
    const int result = ImportColumnsFromXls(this, path, QStringLiteral("Time"), times,
                                            QStringLiteral("Current DC"), currents);
    if (result == kImportCancelled)
        return result;
    if (result != kImportOk) {
        platform::MessageBox(platform::LoadString(kParseErrorId), platform::MB_ICONSTOP);
        return 0;
    }
    LeaveCcdfView();
    for (int line = 0; line < 4; ++line) {
        if (m_waveform->GetMultiLineVisible(line) != 0)
            m_waveform->SetMultiLineVisible(line, 0);
    }
    const auto n = static_cast<unsigned>(std::min(times.size(), currents.size()));
    // The DC current, on the right axis as the page wrote it.
    m_currentLine = 0;
    m_waveform->SetDataMultiLine(0, times.data(), currents.data(), n, 0, 3);
    RefitVisiblePlot();
    return 1;
}
