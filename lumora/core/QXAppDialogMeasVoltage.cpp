#include "lumora/core/QXAppDialogMeasVoltage.h"

#include "platform/StringTable.h"

#include "lumora/controls/ReportCtrl.h"
#include "lumora/core/DataImport.h"
#include "waveform/stripplot/WaveformTimeVsAmpMainWnd.h"

#include <algorithm>

CQXAppDialogMeasVoltage::CQXAppDialogMeasVoltage(QWidget* parent) : CQXAppDialogMeasFilePage(IDD, parent) {}

CQXAppDialogMeasVoltage::~CQXAppDialogMeasVoltage() = default;

CWaveformPlotMainWnd* CQXAppDialogMeasVoltage::PlotWindow() const {
    return m_waveform;
}

bool CQXAppDialogMeasVoltage::CreatePlot(const QRect& rect) {
    m_waveform = new CWaveformTimeVsAmpMainWnd();
    if (m_waveform->Create(this, nullptr, rect, IDC_WAVEFORM) != 0) {
        delete m_waveform;
        m_waveform = nullptr;
        return false;
    }
    m_waveform->SetAxisTextHori(platform::LoadString(35018));
    m_waveform->SetAxisTextVert(platform::LoadString(35019));
    m_waveform->SetChartName(platform::LoadString(35020));
    return true;
}

void CQXAppDialogMeasVoltage::BuildTable() {
    SetUpReportTable({platform::LoadString(35021), platform::LoadString(35027)}, {0, 1});
}

void CQXAppDialogMeasVoltage::SetTool(int tool) {
    m_waveform->SetWaveformOperateTool(static_cast<eWaveformOperateTools>(tool));
}

int CQXAppDialogMeasVoltage::GetTool() const {
    return static_cast<int>(m_waveform->GetWaveformOperateTool());
}

void CQXAppDialogMeasVoltage::RedrawAll() {
    m_waveform->ReDrawWaveformWnd(1, 1, 1);
}

void CQXAppDialogMeasVoltage::RedrawMarkers() {
    m_waveform->ReDrawWaveformWnd(0, 0, 1);
}

int CQXAppDialogMeasVoltage::LoadWaveformFromTextFile(const QString& path, QChar separator) {
    return LoadLine(0, path, separator);
}

int CQXAppDialogMeasVoltage::LoadLine(int line, const QString& path, QChar separator) {
    if (m_waveform == nullptr)
        return 0;
    std::vector<double> times, volts;
    const int result = ImportColumnsFromText(times, path, separator, QStringLiteral("Time"),
                                             QStringLiteral("Voltage"), volts, this);
    if (result == kImportCancelled)
        return result;
    if (result != kImportOk) {
        ShowParseError();
        return 0;
    }
    const auto n = static_cast<unsigned>(std::min(times.size(), volts.size()));
    m_waveform->SetDataMultiLine(line, times.data(), volts.data(), n, 3);
    // A new line is seen whole, as on the current page.
    m_waveform->SetAxisAdaptive();
    RedrawAll();
    UpdateLineButtons();
    return 1;
}
