#include "lumora/core/QXAppDialogMeasDLOG.h"

#include "lumora/LumoraStrings.h"
#include "lumora/core/FilePageStrings.h"

#include "common/xmlfile/TextHelpers.h"
#include "lumora/controls/XPStyleButtonST.h"
#include "lumora/core/BinDataFile.h"
#include "lumora/core/DataImport.h"
#include "lumora/core/PageFiles.h"
#include "lumora/core/SampleStore.h"
#include "platform/MessageBox.h"
#include "platform/StringTable.h"
#include "waveform/dualplot/ComboRecords.h"
#include "waveform/dualplot/WaveformComboMainWnd.h"
#include "waveform/tailplot/WaveformCCDFMainWnd.h"

#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <algorithm>
#include <string>

namespace {

using controls::CXPStyleButtonST;
using platform::LoadString;

// The line buttons of the CCDF view stand where the first tool buttons of the two-axis view are.
const CMeasurementPage::SToolButton kButtons[] = {
    {1079, IDS_TIP_LINE_1, 43},        {1080, IDS_TIP_LINE_2, 61},        {1081, IDS_TIP_LINE_3, 79},
    {1082, IDS_TIP_LINE_4, 97},        {1083, IDS_TIP_SETTINGS, 426},     {1084, IDS_TIP_FIT, 7},
    {1085, IDS_TIP_RESTORE, 25},       {1092, IDS_TIP_NO_TOOL, 43},       {1086, IDS_TIP_DRAG, 61},
    {1087, IDS_TIP_ZOOM_BOX, 79},      {1088, IDS_TIP_ZOOM_HORI, 97},     {1089, IDS_TIP_ZOOM_VERT, 115},
    {1091, IDS_TIP_MARKERS_HORI, 133}, {1090, IDS_TIP_MARKERS_VERT, 151}, {1093, IDS_TIP_CCDF, 408},
};
// Buttons of the two-axis view and of the CCDF view; the first four of each share their places.
constexpr int kComboButtons[] = {1085, 1092, 1086, 1087, 1088, 1089, 1091, 1090};
constexpr int kCcdfButtons[] = {1079, 1080, 1081, 1082};
constexpr int kValueColumns[] = {1, 3, 5, 7, 8};
const QString kProfileSection = QStringLiteral("CQXAppDialogMeasDLOG");
// The names of a file's value columns, in the order their lines are filled; the voltage goes on the
// left axis.
const QString kColumnNames[] = {QStringLiteral("Voltage"), QStringLiteral("DC"), QStringLiteral("Min"),
                                QStringLiteral("Max")};
enum { eVoltage = 0, eDirect = 1 };
// The names the writers give each kind of current; a file the page reads back finds its column again.
const char* const kSavedNames[] = {nullptr, "Current DC", "Current Min", "Current Max"};

void RegisterPageStrings() {
    RegisterFilePageStrings();
    platform::RegisterStrings({
        {IDS_MARKERS_VERT_CURRENT, u"垂直标记(电流)"},
        {IDS_MARKERS_VERT_VOLTAGE, u"垂直标记(电压)"},
        {IDS_CHART_DATALOGGING, u"数据记录测试"},
        {IDS_AXIS_VOLTAGE, u"电压 ( 伏特 )"},
        {IDS_AXIS_PROBABILITY, u"概率 (%)"},
        {IDS_LABEL_LEFT, u"左侧纵坐标"},
        {IDS_ONLY_CURRENT_SAVED, u"注意：文件只保存了电流曲线，电压曲线及其它曲线未保存！"},
        {IDS_DATALOGGING_LINE_FILTER,
         u"CSV文件, Excel文件, 文本文件, 二进制数据文件 (*.csv *.xls *.txt *.bin);;CSV文件(*.csv);;"
         u"Excel文件 (*.xls);;文本文件(*.txt);;二进制数据文件(*.bin);;所有文件 (*.*)"},
    });
}

} // namespace

CQXAppDialogMeasDLOG::CQXAppDialogMeasDLOG(QWidget* parent) : CMeasurementPage(IDD, parent) {
    RegisterPageStrings();
}

CQXAppDialogMeasDLOG::~CQXAppDialogMeasDLOG() = default;

const controls::DlgResizeMapEntry* CQXAppDialogMeasDLOG::GetDlgResizeMap() const {
    static const controls::DlgResizeMapEntry map[] = {
        {IDC_PLACE_HOLDER, SizeX | SizeY},
        {IDC_LIST_STATISTIC, SizeX | MoveY},
        {IDC_CCDF, MoveX},
        {IDC_SETTINGS, MoveX},
        {-1, 0},
    };
    return map;
}

bool CQXAppDialogMeasDLOG::OnInitDialog() {
    CreateSkeleton(QSize(449, 323), QRect(7, 25, 435, 217), QRect(7, 246, 435, 70), kButtons,
                   std::size(kButtons));
    m_labelVert->setText(LoadString(IDS_LABEL_LEFT));
    DlgResize_Init();

    m_waveform = new CWaveformComboMainWnd();
    if (m_waveform->Create(this, this, m_placeHolder->geometry(), IDC_WAVEFORM) != 0) {
        delete m_waveform;
        m_waveform = nullptr;
        return false;
    }
    m_waveform->SetChartName(LoadString(IDS_CHART_DATALOGGING));
    m_waveform->SetAxisTextHori(LoadString(IDS_AXIS_TIME));
    m_waveform->SetAxisTextVertRight(LoadString(IDS_AXIS_CURRENT));
    m_waveform->SetAxisTextVertLeft(LoadString(IDS_AXIS_VOLTAGE));
    const QString headers[] = {LoadString(IDS_STATISTICS),
                               QString(),
                               LoadString(IDS_MARKERS_VERT_CURRENT),
                               QString(),
                               LoadString(IDS_MARKERS_VERT_VOLTAGE),
                               QString(),
                               LoadString(IDS_MARKERS_HORI),
                               QString(),
                               QString()};
    BuildStatisticList(headers, 9, {2, 4, 6}, {1, 3, 5, 7, 8});
    SetMarkerColumns({3, 5}, {7, 8}, false);
    // The CCDF and settings buttons stay clear of the last tool button.
    FitStatisticList(m_waveform, 151 + 16 + 2 + 16 + 2 + 16 + 7);
    CXPStyleButtonST* ccdf = Button(IDC_CCDF);
    ccdf->SetColor(CXPStyleButtonST::BTNST_COLOR_FG_IN, 0x0000FF);
    ccdf->SetColor(CXPStyleButtonST::BTNST_COLOR_FG_OUT, 0x0000FF);
    UpdateLineButtons();
    UpdateToolButtons(static_cast<int>(m_waveform->GetWaveformOperateTool()));
    ShowCcdfView(0);
    return true;
}

// Every value cell, the "毫安时" row of the statistics included.
void CQXAppDialogMeasDLOG::ResetValueCells() {
    for (int column : kValueColumns)
        SetValueCells(column, 0, 2, EmptyCell());
    SetValueCells(1, 3, 3, EmptyCell());
}

CWaveformPlotMainWnd* CQXAppDialogMeasDLOG::PlotWindow() const {
    return m_waveform;
}

CWaveformPlotMainWnd* CQXAppDialogMeasDLOG::ShownPlot() const {
    if (m_ccdfView != 0 && m_ccdf != nullptr)
        return m_ccdf;
    return m_waveform;
}

CWaveformPlotMainWnd* CQXAppDialogMeasDLOG::LinePlot() const {
    return m_ccdf;
}

void CQXAppDialogMeasDLOG::SetTool(int tool) {
    m_waveform->SetWaveformOperateTool(static_cast<eWaveformOperateToolsCombo>(tool));
}

void CQXAppDialogMeasDLOG::ShowCcdfView(int show) {
    m_ccdfView = show != 0 ? 1 : 0;
    if (m_ccdfView != 0 && m_waveform != nullptr) {
        if (m_ccdf == nullptr) {
            auto* ccdf = new CWaveformCCDFMainWnd();
            if (ccdf->Create(this, m_placeHolder->geometry(), IDC_WAVEFORM_CCDF) != 0) {
                delete ccdf;
                return;
            }
            m_ccdf = ccdf;
            m_ccdf->SetAxisTextHori(LoadString(IDS_AXIS_CURRENT));
            m_ccdf->SetAxisTextVert(LoadString(IDS_AXIS_PROBABILITY));
            m_ccdf->SetChartName(QStringLiteral("CCDF"));
            m_ccdf->ReDrawWaveformWnd(1);
        }
        const unsigned length = m_waveform->GetMultiLineDataLength(0);
        if (length == 0) {
            m_ccdf->SetMultiLineVisible(0, 0);
        } else {
            m_ccdf->SetDataMultiLine(0, m_waveform->GetDataMultiLineY(0).data(), length);
            m_ccdf->SetAxisAdaptive();
            m_ccdf->ReDrawWaveformWnd(1);
        }
        Button(IDC_LINE_FIRST)->SetCheck(m_ccdf->GetMultiLineVisible(0) != 0);
    }
    const bool ccdfView = m_ccdfView != 0;
    if (m_waveform != nullptr)
        m_waveform->setVisible(!ccdfView);
    for (int id : kComboButtons)
        Button(id)->setVisible(!ccdfView);
    if (m_ccdf != nullptr)
        m_ccdf->setVisible(ccdfView);
    for (int id : kCcdfButtons)
        Button(id)->setVisible(ccdfView);
}

void CQXAppDialogMeasDLOG::RefitVisiblePlot() {
    CWaveformPlotMainWnd* plot = ShownPlot();
    if (plot == nullptr)
        return;
    plot->SetAxisAdaptive();
    RedrawAllLayers(*plot);
}

bool CQXAppDialogMeasDLOG::OnPageCommand(int id) {
    if (id != IDC_CCDF)
        return false;
    if (m_ccdf != nullptr) {
        for (int line = 1; line < 4; ++line)
            m_ccdf->SetMultiLineVisible(line, 0);
    }
    UpdateLineButtons();
    ShowCcdfView(Button(IDC_CCDF)->GetCheck());
    return true;
}

bool CQXAppDialogMeasDLOG::LineButtonsActive() const {
    return m_ccdfView != 0 && m_ccdf != nullptr;
}

QString CQXAppDialogMeasDLOG::AskForLineFile() {
    return AskForComparisonFile(kProfileSection, LoadString(IDS_DATALOGGING_LINE_FILTER));
}

void CQXAppDialogMeasDLOG::LoadLineFile(int line, const QString& path) {
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QStringLiteral("bin"))
        LoadCcdfLineFromBinFile(line, path);
    else if (extension == QStringLiteral("txt"))
        LoadCcdfLineFromTextFile(line, path, u'\t');
    else if (extension == QStringLiteral("csv"))
        LoadCcdfLineFromTextFile(line, path, u',');
}

void CQXAppDialogMeasDLOG::ShowVerticalMarkerValues(platform::WPARAM record) {
    const auto& marker = *reinterpret_cast<const CWaveformComboMarkerRecord*>(record);
    ShowValues(m_verticalColumns[0], marker.RightValue1, marker.RightValue2);
    ShowValues(m_verticalColumns[1], marker.LeftValue1, marker.LeftValue2);
}

void CQXAppDialogMeasDLOG::FitPlots(const QRect& rect) {
    if (m_waveform != nullptr)
        m_waveform->setGeometry(rect);
    if (m_ccdf != nullptr)
        m_ccdf->setGeometry(rect);
}

// ---- the run ------------------------------------------------------------------------------------

void CQXAppDialogMeasDLOG::ResetDataLogging() {
    if (m_waveform != nullptr)
        m_waveform->ResetWaveformDataLogging();
    m_lineKinds[0] = eDirect;
    // The CCDF view's curve was the last run's: it must not pass for this one's.
    if (m_ccdf != nullptr) {
        m_ccdf->SetDataMultiLine(0, nullptr, 0);
        m_ccdf->SetMultiLineVisible(0, 0);
        m_ccdf->ReDrawWaveformWnd(1);
        UpdateLineButtons();
    }
    ResetValueCells();
}

void CQXAppDialogMeasDLOG::InitialMemory(unsigned capacity) {
    if (m_waveform != nullptr)
        m_waveform->InitialMemory(capacity);
}

int CQXAppDialogMeasDLOG::AppendMeasuredSamples(const CSampleStore& samples, unsigned start, unsigned count,
                                                int exclusion) {
    if (m_waveform == nullptr)
        return 1;
    // The plot's line grows from the run's own samples, not from a copy of its old arrays: a long run
    // holds each sample twice (the run's and the plot's), never three times.
    const std::size_t needed = std::size_t{start} + count;
    const std::size_t room = m_waveform->DataRoom();
    if (needed > room &&
        m_waveform->RemakeDataRoom(std::max(needed, 2 * room), [&](double* x, double* y, std::size_t n) {
            samples.ForEachSegment(0, n,
                                   [&](std::size_t first, const double* t, const double* v, std::size_t k) {
                                       std::copy_n(t, k, x + first);
                                       std::copy_n(v, k, y + first);
                                   });
        }) == 0) {
        ShowLoggedLine();
        return 0;
    }
    int kept = 1;
    samples.ForEachSegment(start, std::size_t{start} + count,
                           [&](std::size_t first, const double* x, const double* y, std::size_t n) {
                               if (kept != 0)
                                   kept = m_waveform->AppendDataSlice(x, y, static_cast<unsigned>(first),
                                                                      static_cast<unsigned>(n), exclusion);
                           });
    ShowLoggedLine();
    return kept;
}

// The two-axis plot keeps up with the run whether it is shown or behind the CCDF view, so that it shows
// the run when it is shown again; its vertical axes follow the data unless the user chose their view.
// The CCDF view keeps the distribution it was switched on with: a refit would only undo its zoom.
void CQXAppDialogMeasDLOG::ShowLoggedLine() {
    m_waveform->FollowVerticalData();
    m_waveform->ReDrawWaveformWnd(1, 1, 1);
}

// ---- files --------------------------------------------------------------------------------------

int CQXAppDialogMeasDLOG::CurrentLine() const {
    for (int line = 0; line < 4; ++line) {
        const int kind = m_lineKinds[static_cast<std::size_t>(line)];
        if (kind > eVoltage && m_waveform->GetMultiLineDataLength(line) > 0)
            return line;
    }
    return -1;
}

int CQXAppDialogMeasDLOG::SaveWaveformData(const QString& path) {
    if (m_waveform == nullptr)
        return 0;
    const QString extension = Extension(path);
    const bool text = extension == QStringLiteral("csv") || extension == QStringLiteral("txt");
    if (!text && extension != QStringLiteral("xls") && extension != QStringLiteral("bin")) {
        platform::StopBox(IDS_LOGGING_TYPE_UNSUPPORTED);
        return 0;
    }
    // The file's value column is a current: a voltage read from a file is never written under its name.
    const int line = CurrentLine();
    const auto& x = m_waveform->GetDataMultiLineX(std::max(line, 0));
    const auto& y = m_waveform->GetDataMultiLineY(std::max(line, 0));
    const std::size_t n =
        line < 0 ? 0 : std::min<std::size_t>({m_waveform->GetMultiLineDataLength(line), x.size(), y.size()});
    // A file without a sample would pass for a saved line.
    if (n == 0) {
        platform::StopBox(IDS_DATA_NOT_READY);
        return 0;
    }
    const int kind = m_lineKinds[static_cast<std::size_t>(line)];
    const char* name = kSavedNames[kind];
    int written = 0;
    if (text) {
        if (m_preferences == nullptr) {
            platform::StopBox(IDS_PAGE_NO_PREFERENCES);
            return 0;
        }
        const char separator = extension == QStringLiteral("csv") ? ',' : '\t';
        written = WriteTimeValueText(path, std::string("Time") + separator + name, separator, x.data(),
                                     y.data(), n, *m_preferences);
    } else if (extension == QStringLiteral("xls")) {
        written = WriteTimeValueWorkbook(path, "Current Data Logging", name, x.data(), y.data(), n);
    } else {
        CBinDataFile file;
        written = file.Write(x.data(), y.data(), static_cast<unsigned>(n), path, kind + 1);
        if (written == 0)
            platform::StopBox(IDS_FILE_CREATE_FAILED);
    }
    if (written == 0)
        return 0;
    // The file holds one line: what else the plot shows is not in it, and the user is told so.
    for (int other = 0; other < 4; ++other) {
        if (other != line && m_waveform->GetMultiLineVisible(other) != 0 &&
            m_waveform->GetMultiLineDataLength(other) > 0) {
            platform::MessageBox(LoadString(IDS_ONLY_CURRENT_SAVED), platform::MB_ICONWARNING);
            break;
        }
    }
    return 1;
}

int CQXAppDialogMeasDLOG::SaveListData(const QString& path) {
    return WriteListText(path, *m_list);
}

int CQXAppDialogMeasDLOG::SaveAsBitmap(const QString& path) {
    if (m_ccdfView != 0)
        return m_ccdf != nullptr ? m_ccdf->SaveAsBitmapCCDF(path) : 0;
    return m_waveform != nullptr ? m_waveform->SaveAsBitmapDLOG(path) : 0;
}

void CQXAppDialogMeasDLOG::LeaveCcdfView() {
    if (m_waveform->isHidden())
        ShowCcdfView(0);
    CXPStyleButtonST* ccdf = Button(IDC_CCDF);
    if (ccdf->IsCheckBox()) {
        ccdf->SetCheck(0);
        ccdf->update();
    }
}

bool CQXAppDialogMeasDLOG::ReadTextColumns(const QString& path, QChar separator, bool voltage,
                                           std::vector<STextColumn>& columns) {
    const auto choose = [&](const QString& line, std::vector<STextColumn>& chosen) {
        QStringList header;
        if (SplitByChar(header, line, separator) < 2 || !header[0].contains(QStringLiteral("Time")))
            return false;
        chosen.assign(4, STextColumn());
        bool any = false;
        for (int kind = voltage ? 0 : 1; kind < 4; ++kind) {
            chosen[static_cast<std::size_t>(kind)].field = FindInStringArray(header, kColumnNames[kind]);
            any = any || chosen[static_cast<std::size_t>(kind)].field >= 0;
        }
        return any;
    };
    const bool read = ImportTextTable(this, path, separator, choose, columns) == kImportOk;
    const bool values = read && std::any_of(columns.begin(), columns.end(), [](const STextColumn& column) {
                            return column.field >= 0 && !column.values.empty();
                        });
    if (!values) {
        ShowParseError();
        return false;
    }
    return true;
}

void CQXAppDialogMeasDLOG::LoadWaveformFromTextFile(const QString& path, QChar separator) {
    if (m_waveform == nullptr)
        return;
    LeaveCcdfView();
    std::vector<STextColumn> columns;
    if (!ReadTextColumns(path, separator, true, columns))
        return;
    int line = 0;
    for (int kind = 0; kind < 4; ++kind) {
        const STextColumn& column = columns[static_cast<std::size_t>(kind)];
        if (column.field < 0 || column.values.empty())
            continue;
        m_lineKinds[static_cast<std::size_t>(line)] = kind;
        m_waveform->SetDataMultiLine(line++, column.times.data(), column.values.data(),
                                     static_cast<unsigned>(column.values.size()), kind == eVoltage ? 1 : 0,
                                     3);
    }
    // Lines left from an earlier file would pass for this file's.
    for (; line < 4; ++line) {
        m_lineKinds[static_cast<std::size_t>(line)] = -1;
        if (m_waveform->GetMultiLineVisible(line) != 0)
            m_waveform->SetMultiLineVisible(line, 0);
    }
    RefitVisiblePlot();
}

bool CQXAppDialogMeasDLOG::ReadBinFile(CBinDataFile& file, const QString& path) {
    // A large file is read as a large text file is: under the progress window, with Cancel.
    return RunFileJob(this, path, [&](SImportControl& control) {
               const int read = file.Read(path, &control);
               return control.cancel.load(std::memory_order_relaxed) ? kImportCancelled : read;
           }) == kImportOk;
}

void CQXAppDialogMeasDLOG::LoadWaveformFromBinFile(const QString& path) {
    if (m_waveform == nullptr)
        return;
    LeaveCcdfView();
    CBinDataFile file;
    const bool read = ReadBinFile(file, path) && !file.GetTimes().empty();
    bool columns = false;
    for (int column = 1; read && column <= CBinDataFile::kColumns; ++column)
        columns = columns || file.IsColumnPresent(column);
    if (read && columns) {
        for (int line = 0; line < 4; ++line) {
            if (m_waveform->GetMultiLineVisible(line) != 0)
                m_waveform->SetMultiLineVisible(line, 0);
        }
        const auto n = static_cast<unsigned>(file.GetTimes().size());
        m_lineKinds.fill(-1);
        int line = 0;
        // The file's value columns stand for the kinds in the text files' order.
        for (int column = 1; column <= CBinDataFile::kColumns; ++column) {
            if (!file.IsColumnPresent(column))
                continue;
            m_lineKinds[static_cast<std::size_t>(line)] = column - 1;
            m_waveform->SetDataMultiLine(line++, file.GetTimes().data(), file.GetColumn(column).data(), n,
                                         column == 1 ? 1 : 0, 3);
        }
    } else {
        ShowParseError();
    }
    RefitVisiblePlot();
}

void CQXAppDialogMeasDLOG::LoadCcdfLineFromTextFile(int line, const QString& path, QChar separator) {
    if (m_ccdf == nullptr)
        return;
    std::vector<STextColumn> columns;
    if (ReadTextColumns(path, separator, false, columns)) {
        for (std::size_t kind = 1; kind < 4 && line < 4; ++kind) {
            const CImportColumn& values = columns[kind].values;
            if (columns[kind].field >= 0 && !values.empty())
                m_ccdf->SetDataMultiLine(line++, values.data(), static_cast<unsigned>(values.size()));
        }
    }
    m_ccdf->SetAxisAdaptive();
    m_ccdf->ReDrawWaveformWnd(1);
}

void CQXAppDialogMeasDLOG::LoadCcdfLineFromBinFile(int line, const QString& path) {
    if (m_ccdf == nullptr)
        return;
    CBinDataFile file;
    bool loaded = false;
    if (ReadBinFile(file, path) && !file.GetTimes().empty()) {
        const auto n = static_cast<unsigned>(file.GetTimes().size());
        for (int column = 2; column <= CBinDataFile::kColumns && line < 4; ++column) {
            if (file.IsColumnPresent(column)) {
                m_ccdf->SetDataMultiLine(line++, file.GetColumn(column).data(), n);
                loaded = true;
            }
        }
    }
    if (!loaded)
        ShowParseError();
    m_ccdf->SetAxisAdaptive();
    m_ccdf->ReDrawWaveformWnd(1);
}
