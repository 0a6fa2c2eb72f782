#include "lumora/core/QXAppDialogMeasCCDF.h"

#include "platform/StringTable.h"

#include "lumora/controls/ReportCtrl.h"
#include "lumora/core/DataImport.h"
#include "platform/MessageBox.h"
#include "waveform/tailplot/WaveformCCDFMainWnd.h"

#include <algorithm>

CQXAppDialogMeasCCDF::CQXAppDialogMeasCCDF(QWidget* parent) : CQXAppDialogMeasFilePage(IDD, parent) {}

CQXAppDialogMeasCCDF::~CQXAppDialogMeasCCDF() = default;

CWaveformPlotMainWnd* CQXAppDialogMeasCCDF::PlotWindow() const {
    return m_waveform;
}

bool CQXAppDialogMeasCCDF::CreatePlot(const QRect& rect) {
    m_waveform = new CWaveformCCDFMainWnd();
    if (m_waveform->Create(this, rect, IDC_WAVEFORM) != 0) {
        delete m_waveform;
        m_waveform = nullptr;
        return false;
    }
    m_waveform->SetAxisTextHori(QStringLiteral("Amperes"));
    m_waveform->SetAxisTextVert(QStringLiteral("Occurrence (%)"));
    m_waveform->SetChartName(QStringLiteral("CCDF Graph"));
    return true;
}

void CQXAppDialogMeasCCDF::BuildTable() {
    // The two marker columns each go in at position 1: they read "水平标记", "垂直标记".
    SetUpReportTable({platform::LoadString(35021), platform::LoadString(35028), platform::LoadString(35029)},
                     {0, 1, 1});
}

void CQXAppDialogMeasCCDF::SetTool(int tool) {
    m_waveform->SetWaveformOperateTool(static_cast<eWaveformOperateToolsCCDF>(tool));
}

int CQXAppDialogMeasCCDF::GetTool() const {
    return static_cast<int>(m_waveform->GetWaveformOperateTool());
}

void CQXAppDialogMeasCCDF::RedrawAll() {
    m_waveform->ReDrawWaveformWnd(1);
}

void CQXAppDialogMeasCCDF::RedrawMarkers() {
    m_waveform->ReDrawWaveformWnd(0);
}

int CQXAppDialogMeasCCDF::LoadWaveformFromTextFile(const QString& path, QChar separator) {
    return LoadLine(0, path, separator);
}

int CQXAppDialogMeasCCDF::LoadLine(int line, const QString& path, QChar separator) {
    if (m_waveform == nullptr)
        return 0;
    std::vector<double> amplitudes, percents;
    const int result = ImportColumnsFromText(amplitudes, path, separator, QStringLiteral("CCDFAmplitude"),
                                             QStringLiteral("Occurrence"), percents, this);
    if (result == kImportCancelled)
        return result;
    if (result != kImportOk) {
        ShowParseError();
        return 0;
    }
    // The file already holds the distribution: its points are drawn as they are.
    const auto n = static_cast<unsigned>(std::min(amplitudes.size(), percents.size()));
    if (n < 2 || m_waveform->SetCcdfPointsMultiLine(line, amplitudes.data(), percents.data(), n) == 0) {
        platform::MessageBox(platform::LoadString(kTooFewPointsId), platform::MB_ICONSTOP);
        UpdateLineButtons();
        RedrawAll();
        return 0;
    }
    RedrawAll();
    UpdateLineButtons();
    return 1;
}
