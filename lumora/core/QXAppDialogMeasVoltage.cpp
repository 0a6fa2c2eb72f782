#include "lumora/core/QXAppDialogMeasVoltage.h"

#include "lumora/LumoraStrings.h"
#include "lumora/core/DataImport.h"
#include "platform/StringTable.h"
#include "waveform/stripplot/WaveformTimeVsAmpMainWnd.h"

#include <QFrame>
#include <algorithm>

CQXAppDialogMeasVoltage::CQXAppDialogMeasVoltage(QWidget* parent) : CMeasurementPage(IDD, parent) {}

CQXAppDialogMeasVoltage::~CQXAppDialogMeasVoltage() = default;

const controls::DlgResizeMapEntry* CQXAppDialogMeasVoltage::GetDlgResizeMap() const {
    return PageResizeMap();
}

bool CQXAppDialogMeasVoltage::OnInitDialog() {
    CreateFilePageSkeleton();
    ShowAxisCombos(true);
    DlgResize_Init();
    m_waveform = new CWaveformTimeVsAmpMainWnd();
    if (m_waveform->Create(this, nullptr, m_placeHolder->geometry(), IDC_WAVEFORM) != 0) {
        delete m_waveform;
        m_waveform = nullptr;
        return false;
    }
    m_waveform->SetAxisTextHori(platform::LoadString(IDS_VOLTAGE_AXIS_TIME));
    m_waveform->SetAxisTextVert(platform::LoadString(IDS_VOLTAGE_AXIS_VOLTAGE));
    m_waveform->SetChartName(platform::LoadString(IDS_CHART_VOLTAGE));
    SetUpReportTable({platform::LoadString(IDS_REPORT_MEASURED), platform::LoadString(IDS_REPORT_STATISTICS)},
                     {0, 1});
    UpdateLineButtons();
    return true;
}

CWaveformPlotMainWnd* CQXAppDialogMeasVoltage::PlotWindow() const {
    return m_waveform;
}

void CQXAppDialogMeasVoltage::SetTool(int tool) {
    m_waveform->SetWaveformOperateTool(static_cast<eWaveformOperateTools>(tool));
}

QString CQXAppDialogMeasVoltage::AskForLineFile() {
    return AskForTextFile();
}

void CQXAppDialogMeasVoltage::LoadLineFile(int line, const QString& path) {
    LoadLine(line, path, u'\t');
}

int CQXAppDialogMeasVoltage::LoadWaveformFromTextFile(const QString& path, QChar separator) {
    return LoadLine(0, path, separator);
}

int CQXAppDialogMeasVoltage::LoadLine(int line, const QString& path, QChar separator) {
    if (m_waveform == nullptr)
        return 0;
    CImportColumn times, volts;
    if (ImportColumnsFromText(times, path, separator, QStringLiteral("Time"), QStringLiteral("Voltage"),
                              volts, this) != kImportOk) {
        ShowParseError();
        return 0;
    }
    const auto n = static_cast<unsigned>(std::min(times.size(), volts.size()));
    // The axes stay where they are: the user fits them with 适应.
    m_waveform->SetDataMultiLine(line, times.data(), volts.data(), n, 3);
    RedrawAllLayers(*m_waveform);
    UpdateLineButtons();
    return 1;
}
