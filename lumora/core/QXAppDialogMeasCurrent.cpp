#include "lumora/core/QXAppDialogMeasCurrent.h"

#include "lumora/LumoraStrings.h"
#include "lumora/core/FilePageStrings.h"

#include "lumora/controls/ListCtrlEx.h"
#include "lumora/controls/XPStyleButtonST.h"
#include "lumora/core/DataImport.h"
#include "lumora/core/MainPreferences.h"
#include "lumora/core/PageFiles.h"
#include "platform/ControlId.h"
#include "platform/StringTable.h"
#include "waveform/stripplot/TimeVsAmpRecords.h"
#include "waveform/stripplot/WaveformTimeVsAmpMainWnd.h"

#include <QComboBox>
#include <QLabel>
#include <algorithm>

namespace {

using platform::LoadString;

// The toolbar in one row; the settings button at the right.
const CMeasurementPage::SToolButton kButtons[] = {
    {1079, IDS_TIP_LINE_1, 7},         {1080, IDS_TIP_LINE_2, 25},        {1081, IDS_TIP_LINE_3, 43},
    {1082, IDS_TIP_LINE_4, 61},        {1083, IDS_TIP_SETTINGS, 480},     {1084, IDS_TIP_FIT, 79},
    {1085, IDS_TIP_RESTORE, 97},       {1092, IDS_TIP_NO_TOOL, 115},      {1086, IDS_TIP_DRAG, 133},
    {1087, IDS_TIP_ZOOM_BOX, 151},     {1088, IDS_TIP_ZOOM_HORI, 169},    {1089, IDS_TIP_ZOOM_VERT, 187},
    {1091, IDS_TIP_MARKERS_HORI, 205}, {1090, IDS_TIP_MARKERS_VERT, 223},
};
const QString kProfileSection = QStringLiteral("QXAppDialogMeasCurrent");

void RegisterPageStrings() {
    RegisterFilePageStrings();
    platform::RegisterStrings({
        {IDS_MARKERS_VERT, u"垂直标记"},
        {IDS_CHART_CURRENT, u"电流波形曲线"},
        {IDS_CURRENT_LINE_FILTER,
         u"CSV文件, Excel文件, 文本文件(*.csv *.xls *.txt);;CSV文件(*.csv);;Excel文件 "
         u"(*.xls);;文本文件(*.txt);;所有文件 (*.*)"},
    });
}

} // namespace

CQXAppDialogMeasCurrent::CQXAppDialogMeasCurrent(QWidget* parent) : CMeasurementPage(IDD, parent) {
    RegisterPageStrings();
}

CQXAppDialogMeasCurrent::~CQXAppDialogMeasCurrent() = default;

const controls::DlgResizeMapEntry* CQXAppDialogMeasCurrent::GetDlgResizeMap() const {
    return PageResizeMap();
}

bool CQXAppDialogMeasCurrent::OnInitDialog() {
    CreateSkeleton(QSize(503, 323), QRect(7, 25, 489, 217), QRect(7, 246, 489, 70), kButtons,
                   std::size(kButtons));
    DlgResize_Init();

    m_waveform = new CWaveformTimeVsAmpMainWnd();
    m_waveform->SetConfigFileName(QStringLiteral("WaveformCurrent.xml"));
    if (m_waveform->Create(this, this, m_placeHolder->geometry(), IDC_WAVEFORM) != 0) {
        delete m_waveform;
        m_waveform = nullptr;
        return false;
    }
    m_waveform->SetChartName(LoadString(IDS_CHART_CURRENT));
    m_waveform->SetAxisTextHori(LoadString(IDS_AXIS_TIME));
    m_waveform->SetAxisTextVert(LoadString(IDS_AXIS_CURRENT));
    const QString headers[] = {LoadString(IDS_STATISTICS),
                               QString(),
                               LoadString(IDS_MARKERS_VERT),
                               QString(),
                               LoadString(IDS_MARKERS_HORI),
                               QString(),
                               QString()};
    BuildStatisticList(headers, 7, {2, 4}, {1, 3, 5, 6});
    SetValueCells(1, 3, 3, EmptyCell());
    SetMarkerColumns({3}, {5, 6}, true);
    // The settings button stays clear of the last tool button.
    FitStatisticList(m_waveform, 223 + 16 + 2 + 16 + 7);
    UpdateLineButtons();
    UpdateToolButtons(static_cast<int>(m_waveform->GetWaveformOperateTool()));
    CreateHiddenTemplateItems();
    m_comboHori->setCurrentIndex(0);
    m_comboVert->setCurrentIndex(0);
    AttachFrameParameters();
    return true;
}

// Items of the template that are never shown: the axis lists with their labels and the automatic axes
// button. The statistics table takes one row at a time.
void CQXAppDialogMeasCurrent::CreateHiddenTemplateItems() {
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_comboHori->addItem(LoadString(IDS_AXIS_TIME));
    m_comboVert->addItem(LoadString(IDS_AXIS_CURRENT));
    const struct {
        int id;
        QString text;
        QRect units;
    } labels[] = {{IDC_LABEL_HORI, LoadString(IDS_LABEL_HORI), QRect(7, 8, 30, 8)},
                  {IDC_LABEL_VERT, LoadString(IDS_LABEL_VERT), QRect(110, 8, 30, 8)}};
    for (const auto& label : labels) {
        auto* text = new QLabel(label.text, this);
        text->setObjectName(QStringLiteral("label_%1").arg(label.id));
        text->setGeometry(
            DialogRect(label.units.x(), label.units.y(), label.units.width(), label.units.height()));
        text->hide();
    }
    m_comboHori->setGeometry(DialogRect(40, 6, 60, 12));
    m_comboVert->setGeometry(DialogRect(143, 6, 60, 12));
}

CWaveformPlotMainWnd* CQXAppDialogMeasCurrent::PlotWindow() const {
    return m_waveform;
}

void CQXAppDialogMeasCurrent::SetTool(int tool) {
    m_waveform->SetWaveformOperateTool(static_cast<eWaveformOperateTools>(tool));
}

QString CQXAppDialogMeasCurrent::AskForLineFile() {
    return AskForComparisonFile(kProfileSection, LoadString(IDS_CURRENT_LINE_FILTER), QStringLiteral("csv"));
}

void CQXAppDialogMeasCurrent::LoadLineFile(int line, const QString& path) {
    const QString extension = Extension(path);
    if (extension == QStringLiteral("txt"))
        LoadWaveformFromTextFile(line, path, u'\t');
    else if (extension == QStringLiteral("csv"))
        LoadWaveformFromTextFile(line, path, u',');
    else if (extension == QStringLiteral("xls"))
        LoadWaveformFromXlsFile(line, path);
}

int CQXAppDialogMeasCurrent::LoadWaveformFromTextFile(int line, const QString& path, QChar separator) {
    CImportColumn x, y;
    const int result =
        ImportColumnsFromText(x, path, separator, QStringLiteral("Time"), QStringLiteral("Current"), y, this);
    return ShowLoadedLine(line, result, x, y);
}

int CQXAppDialogMeasCurrent::LoadWaveformFromXlsFile(int line, const QString& path) {
    CImportColumn x, y;
    const int result =
        ImportColumnsFromXls(this, path, QStringLiteral("Time"), x, QStringLiteral("Current"), y);
    return ShowLoadedLine(line, result, x, y);
}

int CQXAppDialogMeasCurrent::ShowLoadedLine(int line, int result, const CImportColumn& x,
                                            const CImportColumn& y) {
    if (m_waveform == nullptr || line < 0 || line > 3)
        return 0;
    if (result != kImportOk) {
        ShowParseError();
        return 0;
    }
    const auto n = static_cast<unsigned>(std::min(x.size(), y.size()));
    m_waveform->SetDataMultiLine(line, x.data(), y.data(), n, 3);
    Button(IDC_LINE_FIRST + line)->SetCheck(m_waveform->GetMultiLineVisible(line) != 0);
    m_waveform->SetAxisAdaptive();
    m_waveform->ReDrawWaveformWnd(1, 1, 1);
    return 1;
}

void CQXAppDialogMeasCurrent::SetMeasuredData(double* x, double* y, unsigned n, int exclusion) {
    if (m_waveform == nullptr)
        return;
    m_waveform->SetDataMultiLine(0, x, y, n, exclusion);
    Button(IDC_LINE_FIRST)->SetCheck(m_waveform->GetMultiLineVisible(0) != 0);
    m_waveform->SetAxisAdaptive();
    m_waveform->ReDrawWaveformWnd(1, 1, 1);
}

void CQXAppDialogMeasCurrent::ResetMeasurement() {
    if (m_waveform != nullptr)
        m_waveform->ResetWaveformWnd();
    SetValueCells(1, 0, 3, EmptyCell());
    SetValueCells(3, 0, 2, EmptyCell());
    SetValueCells(5, 0, 2, EmptyCell());
    SetValueCells(6, 0, 2, EmptyCell());
}

int CQXAppDialogMeasCurrent::SaveWaveformData(const QString& path) {
    if (m_waveform == nullptr)
        return 0;
    const auto& x = m_waveform->GetDataMultiLineX(0);
    const auto& y = m_waveform->GetDataMultiLineY(0);
    if (x.size() != y.size()) {
        platform::StopBox(IDS_DATA_SIZE_MISMATCH);
        return 0;
    }
    if (m_preferences == nullptr) {
        platform::StopBox(IDS_PAGE_NO_PREFERENCES);
        return 0;
    }
    const QString extension = Extension(path);
    if (extension == QStringLiteral("csv") || extension == QStringLiteral("txt")) {
        const bool csv = extension == QStringLiteral("csv");
        return WriteTimeValueText(path, csv ? "Time,Current" : "Time\tCurrent", csv ? ',' : '\t', x.data(),
                                  y.data(), x.size(), *m_preferences);
    }
    if (extension == QStringLiteral("xls"))
        return WriteTimeValueWorkbook(path, "Current", "Current", x.data(), y.data(), x.size());
    // Nothing is written: a save that is not made is said so.
    platform::StopBox(IDS_CURRENT_TYPE_UNSUPPORTED);
    return 0;
}

int CQXAppDialogMeasCurrent::SaveListData(const QString& path) {
    return WriteListText(path, *m_list);
}
