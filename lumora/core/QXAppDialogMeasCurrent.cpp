#include "lumora/core/QXAppDialogMeasCurrent.h"

#include "common/xmlfile/TextHelpers.h"
#include "lumora/controls/DialogUnits.h"
#include "lumora/controls/ListCtrlEx.h"
#include "lumora/controls/ListCtrlExData.h"
#include "lumora/controls/XPStyleButtonST.h"
#include "lumora/core/DataImport.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/MainPreferences.h"
#include "lumora/core/PageSkeleton.h"
#include "lumora/core/StdioFileEx.h"
#include "lumora/core/WriteFailure.h"
#include "lumora/sheetio/ExcelCell.h"
#include "lumora/sheetio/ExcelDocument.h"
#include "lumora/sheetio/ExcelSheet.h"
#include "lumora/shell/ToolIcon.h"
#include "platform/ControlId.h"
#include "platform/MessageBox.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "waveform/stripplot/TimeVsAmpRecords.h"
#include "waveform/stripplot/WaveformTimeVsAmpMainWnd.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <algorithm>
#include <charconv>

namespace {

using controls::CListCtrlEx;
using controls::CXPStyleButtonST;
using platform::LoadString;

constexpr int kButtonIds[] = {1079, 1080, 1081, 1082, 1083, 1084, 1085,
                              1092, 1086, 1087, 1088, 1089, 1091, 1090};
const char16_t* const kButtonTips[] = {u"曲线1",    u"曲线2",    u"曲线3",    u"曲线4",   u"设置",
                                       u"适应",     u"恢复",     u"无工具",   u"拖放",    u"区域选择",
                                       u"水平选择", u"垂直选择", u"水平标记", u"垂直标记"};
constexpr int kColumns = 7;
constexpr int kRows = 4;
constexpr unsigned kMaxXlsSamples = 65535;
const QString kProfileSection = QStringLiteral("QXAppDialogMeasCurrent");
const QString kEmptyCell = QStringLiteral("---");

void StopBox(int id) {
    platform::MessageBox(LoadString(id), platform::MB_ICONSTOP);
}

// Creates the file and writes the text: 1 when every byte and the close went through. A file that
// cannot be made shows 51504; a failed write or close (a full disk) removes the file and shows
// kWriteFailedId.
int WriteTextFile(const QString& path, const QString& text) {
    CStdioFileEx file;
    if (!file.Open(path, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::typeText)) {
        StopBox(51504);
        return 0;
    }
    const bool written = file.WriteString(text);
    if (!file.Close() || !written) {
        // A cut-off file must not pass for a saved one.
        if (QFileInfo(path).isFile())
            QFile::remove(path);
        StopBox(kWriteFailedId);
        return 0;
    }
    return 1;
}

void RegisterPageStrings() {
    platform::RegisterStrings({
        {33002, u"统计值"},
        {33003, u"垂直标记"},
        {33004, u"水平标记"},
        {33005, u"最大值"},
        {33006, u"最小值"},
        {33007, u"平均值"},
        {33008, u"毫安时"},
        {33009, u"标记 1"},
        {33010, u"标记 2"},
        {33011, u"差值"},
        {33014, u"时间 ( 秒 )"},
        {33015, u"电流 ( 安培 )"},
        {33016, u"电流波形曲线"},
    });
}

// The time column as FormatDouble with 8 decimals writes it (no trailing zeros or '.'), without a locale.
void AppendTime(std::string& out, double value) {
    char buffer[400];
    char* end = std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, 8).ptr;
    if (std::find(buffer, end, '.') != end && std::find(buffer, end, 'e') == end) {
        while (end - buffer > 1 && end[-1] == '0')
            --end;
    }
    if (end - buffer > 0 && end[-1] == '.')
        --end;
    out.append(buffer, end);
}

QString Extension(const QString& path) {
    return path.right(3).toLower();
}

} // namespace

CQXAppDialogMeasCurrent::CQXAppDialogMeasCurrent(QWidget* parent) : CDialogResize(IDD, parent) {
    RegisterPageStrings();
}

CQXAppDialogMeasCurrent::~CQXAppDialogMeasCurrent() = default;

const controls::DlgResizeMapEntry* CQXAppDialogMeasCurrent::GetDlgResizeMap() const {
    return PageResizeMap();
}

QRect CQXAppDialogMeasCurrent::DialogRect(int x, int y, int width, int height) const {
    return controls::DialogUnitsToPixels(font(), QRect(x, y, width, height));
}

CXPStyleButtonST* CQXAppDialogMeasCurrent::Button(int id) const {
    return platform::FindControl<CXPStyleButtonST>(this, id);
}

bool CQXAppDialogMeasCurrent::OnInitDialog() {
    resize(DialogRect(0, 0, 503, 323).size());
    m_placeHolder = new QFrame(this);
    platform::SetControlId(m_placeHolder, IDC_PLACE_HOLDER);
    m_placeHolder->setGeometry(DialogRect(7, 25, 489, 217));
    m_placeHolder->hide();
    m_list = new CListCtrlEx(this);
    platform::SetControlId(m_list, IDC_LIST_STATISTIC);
    m_list->setGeometry(DialogRect(7, 246, 489, 70));
    m_comboHori = new QComboBox(this);
    m_comboVert = new QComboBox(this);
    platform::SetControlId(m_comboHori, IDC_COMBO_HORI);
    platform::SetControlId(m_comboVert, IDC_COMBO_VERT);
    m_comboHori->hide();
    m_comboVert->hide();
    SetupToolButtons();
    DlgResize_Init();

    m_waveform = new CWaveformTimeVsAmpMainWnd();
    m_waveform->SetConfigFileName(QStringLiteral("WaveformCurrent.xml"));
    if (m_waveform->Create(this, this, m_placeHolder->geometry(), IDC_WAVEFORM) != 0) {
        delete m_waveform;
        m_waveform = nullptr;
        return false;
    }
    m_waveform->SetChartName(LoadString(33016));
    m_waveform->SetAxisTextHori(LoadString(33014));
    m_waveform->SetAxisTextVert(LoadString(33015));
    BuildStatisticList();
    UpdateLineButtons();
    UpdateToolButtons();
    m_comboHori->setCurrentIndex(0);
    m_comboVert->setCurrentIndex(0);
    AttachFrameParameters();
    return true;
}

void CQXAppDialogMeasCurrent::SetupToolButtons() {
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        const int id = kButtonIds[i];
        const int x = id == IDC_SETTINGS ? 480 : 7 + 18 * int(i < 4 ? i : i - 1);
        auto* button = CreatePageToolButton(this, &m_theme, id, QString::fromUtf16(kButtonTips[i]),
                                            DialogRect(x, 5, 16, 16));
        connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
        m_buttons[i] = button;
    }
}

bool CQXAppDialogMeasCurrent::AttachFrameParameters() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* frame = dynamic_cast<CMainFrame*>(widget)) {
            m_preferences = frame->Preferences();
            break;
        }
    }
    return m_preferences != nullptr;
}

void CQXAppDialogMeasCurrent::BuildStatisticList() {
    m_list->SetExtendedStyle(CListCtrlEx::LVS_EX_GRIDLINES | CListCtrlEx::LVS_EX_FULLROWSELECT);
    const QString headers[kColumns] = {LoadString(33002), QString(), LoadString(33003), QString(),
                                       LoadString(33004), QString(), QString()};
    for (int column = 0; column < kColumns; ++column)
        m_list->InsertColumn(column, headers[column], CListCtrlEx::LVCFMT_LEFT, 100);
    for (int row = 0; row < kRows; ++row) {
        m_list->InsertItem(row, LoadString(33005 + row));
        m_list->GetRowData(row);
        for (int column = 0; column < kColumns; ++column) {
            m_list->SetCellData(row, column);
            controls::CellInfo* cell = m_list->GetCellData(row, column);
            cell->crBack = row % 2 == 0 ? 0xE1E1E1u : 0xFFFFFFu;
            cell->crText = column % 2 == 1 || column == 6 ? 0xFF0000u : 0x000000u;
        }
        if (row < 3) {
            m_list->SetItemText(row, 2, LoadString(33009 + row));
            m_list->SetItemText(row, 4, LoadString(33009 + row));
        }
    }
    SetValueCells(1, 0, 3, kEmptyCell);
    SetValueCells(3, 0, 2, kEmptyCell);
    SetValueCells(5, 0, 2, kEmptyCell);
    SetValueCells(6, 0, 2, kEmptyCell);
}

void CQXAppDialogMeasCurrent::SetValueCells(int column, int firstRow, int lastRow, const QString& text) {
    for (int row = firstRow; row <= lastRow; ++row)
        m_list->SetItemText(row, column, text);
}

void CQXAppDialogMeasCurrent::UpdateLineButtons() {
    if (m_waveform == nullptr)
        return;
    for (int line = 0; line < 4; ++line)
        m_buttons[line]->SetCheck(m_waveform->GetMultiLineVisible(line) != 0);
}

void CQXAppDialogMeasCurrent::UpdateToolButtons() {
    if (m_waveform == nullptr)
        return;
    const int tool = static_cast<int>(m_waveform->GetWaveformOperateTool());
    const int toolIds[] = {IDC_TOOL_NONE, IDC_TOOL_PAN, IDC_TOOL_ZOOM, IDC_TOOL_HORI, IDC_TOOL_VERT};
    for (int i = 0; i < 5; ++i)
        Button(toolIds[i])->SetCheck(tool == i);
}

void CQXAppDialogMeasCurrent::UpdateMarkerButtons() {
    // Index 1 is the pair moved along the time axis, shown under "水平标记".
    Button(IDC_MARKER_HORI)->SetCheck(m_waveform->GetMarkerVisible(1) != 0);
    Button(IDC_MARKER_VERT)->SetCheck(m_waveform->GetMarkerVisible(0) != 0);
}

void CQXAppDialogMeasCurrent::OnCommand(int id) {
    if (m_waveform == nullptr)
        return;
    switch (id) {
    case IDC_SETTINGS: // the plot window has no preferences dialog yet
        return;
    case IDC_ADAPTIVE:
        m_waveform->SetAxisAdaptive();
        m_waveform->ReDrawWaveformWnd(1, 1, 1);
        return;
    case IDC_RESTORE:
        m_waveform->SetAxisRestore();
        m_waveform->ReDrawWaveformWnd(1, 1, 1);
        return;
    case IDC_TOOL_NONE:
    case IDC_TOOL_PAN:
    case IDC_TOOL_ZOOM:
    case IDC_TOOL_HORI:
    case IDC_TOOL_VERT: {
        const int tool = id == IDC_TOOL_NONE ? 0 : id - IDC_TOOL_PAN + 1;
        m_waveform->SetWaveformOperateTool(static_cast<eWaveformOperateTools>(tool));
        UpdateToolButtons();
        break;
    }
    case IDC_MARKER_VERT:
    case IDC_MARKER_HORI: {
        const int pairA = id == IDC_MARKER_HORI ? 1 : 0;
        const bool show = m_waveform->GetMarkerVisible(pairA) == 0;
        m_waveform->SetMarkerVisible(pairA, show ? 1 : 0);
        UpdateMarkerButtons();
        if (!show && pairA == 0)
            SetValueCells(3, 0, 2, kEmptyCell);
        if (!show && pairA == 1) {
            SetValueCells(5, 0, 2, kEmptyCell);
            SetValueCells(6, 0, 2, kEmptyCell);
            SetValueCells(1, 0, 3, kEmptyCell);
        }
        break;
    }
    default:
        if (id >= IDC_LINE_FIRST && id <= IDC_LINE_LAST)
            OnLineButton(id - IDC_LINE_FIRST);
        return;
    }
    m_waveform->ReDrawWaveformWnd(0, 0, 1);
}

void CQXAppDialogMeasCurrent::OnLineButton(int line) {
    if (m_waveform->GetMultiLineVisible(line) != 0) {
        m_waveform->SetMultiLineVisible(line, 0);
        m_waveform->ReDrawWaveformWnd(1, 1, 1);
        m_buttons[line]->SetCheck(false);
        return;
    }
    const QString last = platform::GetProfileString(kProfileSection, QStringLiteral("FileLoadWaveform"));
    const QString folder = last.isEmpty() ? QString() : QFileInfo(platform::NormalizePath(last)).path();
    const QString path = QFileDialog::getOpenFileName(
        this, QString(), folder,
        QStringLiteral("CSV文件, Excel文件, 文本文件(*.csv *.xls *.txt);;CSV文件(*.csv);;Excel文件 (*.xls);;"
                       "文本文件(*.txt);;所有文件 (*.*)"));
    if (!path.isEmpty()) {
        platform::WriteProfileString(kProfileSection, QStringLiteral("FileLoadWaveform"), path);
        const QString extension = Extension(path);
        if (extension == QStringLiteral("txt"))
            LoadWaveformFromTextFile(line, path, u'\t');
        else if (extension == QStringLiteral("csv"))
            LoadWaveformFromTextFile(line, path, u',');
        else if (extension == QStringLiteral("xls"))
            LoadWaveformFromXlsFile(line, path);
    }
    m_buttons[line]->SetCheck(m_waveform->GetMultiLineVisible(line) != 0);
    m_waveform->SetAxisAdaptive();
    m_waveform->ReDrawWaveformWnd(1, 1, 1);
}

int CQXAppDialogMeasCurrent::LoadWaveformFromTextFile(int line, const QString& path, QChar separator) {
    std::vector<double> x, y;
    const int result =
        ImportColumnsFromText(x, path, separator, QStringLiteral("Time"), QStringLiteral("Current"), y, this);
    return ShowLoadedLine(line, result, x, y);
}

int CQXAppDialogMeasCurrent::LoadWaveformFromXlsFile(int line, const QString& path) {
    std::vector<double> x, y;
    const int result =
        ImportColumnsFromXls(this, path, QStringLiteral("Time"), x, QStringLiteral("Current"), y);
    return ShowLoadedLine(line, result, x, y);
}

int CQXAppDialogMeasCurrent::ShowLoadedLine(int line, int result, const std::vector<double>& x,
                                            const std::vector<double>& y) {
    if (result == kImportCancelled || m_waveform == nullptr || line < 0 || line > 3)
        return result == kImportCancelled ? kImportCancelled : 0;
    if (result != kImportOk) {
        platform::MessageBox(QString::fromUtf8(kParseErrorText), platform::MB_ICONSTOP);
        return 0;
    }
    const auto n = static_cast<unsigned>(std::min(x.size(), y.size()));
    m_waveform->SetDataMultiLine(line, x.data(), y.data(), n, 3);
    m_buttons[static_cast<std::size_t>(line)]->SetCheck(m_waveform->GetMultiLineVisible(line) != 0);
    m_waveform->SetAxisAdaptive();
    m_waveform->ReDrawWaveformWnd(1, 1, 1);
    return 1;
}

void CQXAppDialogMeasCurrent::SetMeasuredData(double* x, double* y, unsigned n, int exclusion) {
    if (m_waveform == nullptr)
        return;
    m_waveform->SetDataMultiLine(0, x, y, n, exclusion);
    m_buttons[0]->SetCheck(m_waveform->GetMultiLineVisible(0) != 0);
    m_waveform->SetAxisAdaptive();
    m_waveform->ReDrawWaveformWnd(1, 1, 1);
}

void CQXAppDialogMeasCurrent::ResetMeasurement() {
    if (m_waveform != nullptr)
        m_waveform->ResetWaveformWnd();
    SetValueCells(1, 0, 3, kEmptyCell);
    SetValueCells(3, 0, 2, kEmptyCell);
    SetValueCells(5, 0, 2, kEmptyCell);
    SetValueCells(6, 0, 2, kEmptyCell);
}

QString CQXAppDialogMeasCurrent::ValueText(double value) const {
    return FormatMeasuredValue(*m_preferences, value);
}

int CQXAppDialogMeasCurrent::SaveWaveformData(const QString& path) {
    if (m_waveform == nullptr)
        return 0;
    const std::vector<double>& x = m_waveform->GetDataMultiLineX(0);
    const std::vector<double>& y = m_waveform->GetDataMultiLineY(0);
    if (x.size() != y.size()) {
        StopBox(51503);
        return 0;
    }
    if (m_preferences == nullptr) {
        StopBox(51519);
        return 0;
    }
    const QString extension = Extension(path);
    if (extension == QStringLiteral("csv") || extension == QStringLiteral("txt")) {
        const char separator = extension == QStringLiteral("csv") ? ',' : '\t';
        std::string text = separator == ',' ? "Time,Current\r\n" : "Time\tCurrent\r\n";
        text.reserve(text.size() + x.size() * 32);
        for (std::size_t i = 0; i < x.size(); ++i) {
            AppendTime(text, x[i]);
            text += separator;
            text += ValueText(y[i]).toLatin1().constData();
            text += "\r\n";
        }
        return WriteTextFile(path, QString::fromLatin1(text));
    }
    if (extension == QStringLiteral("xls")) {
        if (x.size() >= kMaxXlsSamples) {
            StopBox(51529);
            return 0;
        }
        ExcelDocument document;
        document.New();
        if (!document.RenameSheet("Sheet1", "Current"))
            return 0;
        ExcelSheet* sheet = document.GetSheetByName("Current");
        if (sheet == nullptr)
            return 0;
        sheet->Cell(0, 0)->SetString("Time");
        sheet->Cell(0, 1)->SetString("Current");
        auto setDouble = [sheet](int row, int column, double value) {
            ExcelCell* cell = sheet->Cell(row, column);
            cell->type = ExcelCell::eDouble;
            cell->dval = value;
        };
        for (std::size_t i = 0; i < x.size(); ++i) {
            setDouble(int(i + 1), 0, x[i]);
            setDouble(int(i + 1), 1, y[i]);
        }
        if (!document.SaveAs(path)) {
            StopBox(51504);
            return 0;
        }
        return 1;
    }
    return 0;
}

int CQXAppDialogMeasCurrent::SaveListData(const QString& path) {
    QString text;
    for (int column = 0; column < m_list->GetColumnCount(); ++column)
        text += m_list->GetColumnHeading(column) + u'\t';
    text += QStringLiteral("\r\n");
    for (int row = 0; row < m_list->GetItemCount(); ++row) {
        for (int column = 0; column < m_list->GetColumnCount(); ++column)
            text += m_list->GetItemText(row, column) + u'\t';
        text += QStringLiteral("\r\n");
    }
    return WriteTextFile(path, text);
}

platform::LRESULT CQXAppDialogMeasCurrent::OnMessage(platform::UINT message, platform::WPARAM wParam,
                                                     platform::LPARAM lParam) {
    if (message == WM_WAVEFORM_MARKER)
        return OnWaveformMarker(wParam, lParam);
    return 0;
}

platform::LRESULT CQXAppDialogMeasCurrent::OnWaveformMarker(platform::WPARAM record, platform::LPARAM code) {
    if (m_preferences == nullptr) {
        StopBox(51519);
        return 0;
    }
    if (record == 0)
        return 0;
    auto plain = [](double v) { return FormatDouble(-1, v); };
    if (code == kMarkerCodePairA) {
        const auto& marker = *reinterpret_cast<const CWaveformMarkerRecord*>(record);
        m_list->SetItemText(0, 5, plain(marker.Value1));
        m_list->SetItemText(1, 5, plain(marker.Value2));
        m_list->SetItemText(2, 5, plain(marker.Value1 - marker.Value2));
        m_list->SetItemText(0, 6, ValueText(marker.Value3));
        m_list->SetItemText(1, 6, ValueText(marker.Value4));
        m_list->SetItemText(2, 6, ValueText(marker.Value3 - marker.Value4));
    } else if (code == kMarkerCodePairB) {
        const auto& marker = *reinterpret_cast<const CWaveformMarkerRecord*>(record);
        m_list->SetItemText(0, 3, ValueText(marker.Value1));
        m_list->SetItemText(1, 3, ValueText(marker.Value2));
        m_list->SetItemText(2, 3, ValueText(marker.Value1 - marker.Value2));
    } else if (code == kMarkerCodeStatistics) {
        const auto& statistic = *reinterpret_cast<const CWaveformStatisticRecord*>(record);
        if (statistic.Valid == 0) {
            SetValueCells(1, 0, 3, kEmptyCell);
        } else {
            m_list->SetItemText(0, 1, ValueText(statistic.Maximum));
            m_list->SetItemText(1, 1, ValueText(statistic.Minimum));
            m_list->SetItemText(2, 1, ValueText(statistic.Mean));
            m_list->SetItemText(3, 1, ValueText(statistic.Product));
        }
    }
    return 0;
}

void CQXAppDialogMeasCurrent::OnSize(unsigned type, int cx, int cy) {
    CDialogResize::OnSize(type, cx, cy);
    if (type != SIZE_MINIMIZED && m_waveform != nullptr && m_placeHolder != nullptr)
        m_waveform->setGeometry(m_placeHolder->geometry());
}
