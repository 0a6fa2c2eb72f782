#include "lumora/core/QXAppDialogMeasCCDF.h"

#include "lumora/LumoraStrings.h"
#include "lumora/controls/XPStyleButtonST.h"
#include "lumora/core/DataImport.h"
#include "platform/StringTable.h"
#include "waveform/tailplot/WaveformCCDFMainWnd.h"

#include <QFrame>
#include <algorithm>

CQXAppDialogMeasCCDF::CQXAppDialogMeasCCDF(QWidget* parent) : CMeasurementPage(IDD, parent) {}

CQXAppDialogMeasCCDF::~CQXAppDialogMeasCCDF() = default;

const controls::DlgResizeMapEntry* CQXAppDialogMeasCCDF::GetDlgResizeMap() const {
    return PageResizeMap();
}

bool CQXAppDialogMeasCCDF::OnInitDialog() {
    CreateFilePageSkeleton();
    for (int id : {IDC_TOOL_ZOOM, IDC_TOOL_HORI, IDC_TOOL_VERT, IDC_MARKER_VERT, IDC_MARKER_HORI})
        Button(id)->hide();
    DlgResize_Init();
    m_waveform = new CWaveformCCDFMainWnd();
    if (m_waveform->Create(this, m_placeHolder->geometry(), IDC_WAVEFORM) != 0) {
        delete m_waveform;
        m_waveform = nullptr;
        return false;
    }
    m_waveform->SetAxisTextHori(QStringLiteral("Amperes"));
    m_waveform->SetAxisTextVert(QStringLiteral("Occurrence (%)"));
    m_waveform->SetChartName(QStringLiteral("CCDF Graph"));
    // The two marker columns each go in at position 1: they read "水平标记", "垂直标记".
    SetUpReportTable({platform::LoadString(IDS_REPORT_MEASURED),
                      platform::LoadString(IDS_REPORT_MARKERS_VERT),
                      platform::LoadString(IDS_REPORT_MARKERS_HORI)},
                     {0, 1, 1});
    UpdateLineButtons();
    return true;
}

CWaveformPlotMainWnd* CQXAppDialogMeasCCDF::PlotWindow() const {
    return m_waveform;
}

void CQXAppDialogMeasCCDF::SetTool(int tool) {
    m_waveform->SetWaveformOperateTool(static_cast<eWaveformOperateToolsCCDF>(tool));
}

QString CQXAppDialogMeasCCDF::AskForLineFile() {
    return AskForTextFile();
}

void CQXAppDialogMeasCCDF::LoadLineFile(int line, const QString& path) {
    LoadLine(line, path, u'\t');
}

int CQXAppDialogMeasCCDF::LoadWaveformFromTextFile(const QString& path, QChar separator) {
    return LoadLine(0, path, separator);
}

int CQXAppDialogMeasCCDF::LoadLine(int line, const QString& path, QChar separator) {
    if (m_waveform == nullptr)
        return 0;
    CImportColumn amplitudes, percents;
    if (ImportColumnsFromText(amplitudes, path, separator, QStringLiteral("CCDFAmplitude"),
                              QStringLiteral("Occurrence"), percents, this) != kImportOk) {
        ShowParseError();
        return 0;
    }
    // The file already holds the distribution: its points are drawn as they are.
    const auto n = static_cast<unsigned>(std::min(amplitudes.size(), percents.size()));
    if (n < 2 || m_waveform->SetCcdfPointsMultiLine(line, amplitudes.data(), percents.data(), n) == 0) {
        platform::StopBox(IDS_TOO_FEW_CCDF_POINTS);
        UpdateLineButtons();
        RedrawAllLayers(*m_waveform);
        return 0;
    }
    RedrawAllLayers(*m_waveform);
    UpdateLineButtons();
    return 1;
}
