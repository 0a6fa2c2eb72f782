#include "lumora/core/MeasurementPage.h"

#include "common/xmlfile/TextHelpers.h"
#include "lumora/LumoraStrings.h"
#include "lumora/controls/DialogUnits.h"
#include "lumora/controls/ListCtrlEx.h"
#include "lumora/controls/ListCtrlExData.h"
#include "lumora/controls/ReportCtrl.h"
#include "lumora/controls/XPStyleButtonST.h"
#include "lumora/core/DataImport.h"
#include "lumora/core/FilePageStrings.h"
#include "lumora/core/MainFrame.h"
#include "lumora/core/MainPreferences.h"
#include "lumora/core/PageSkeleton.h"
#include "platform/ControlId.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/StringTable.h"
#include "waveform/common/PlotRecords.h"
#include "waveform/common/WaveformPlotMainWnd.h"
#include "waveform/tailplot/WaveformCCDFMainWnd.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>

using controls::CListCtrlEx;
using controls::CXPStyleButtonST;

CMeasurementPage::CMeasurementPage(int templateId, QWidget* parent) : CDialogResize(templateId, parent) {
    RegisterToolTipStrings();
    RegisterFilePageStrings();
    platform::RegisterStrings({
        {IDS_STATISTICS, u"统计值"},
        {IDS_MARKERS_HORI, u"水平标记"},
        {IDS_STAT_MAXIMUM, u"最大值"},
        {IDS_STAT_MINIMUM, u"最小值"},
        {IDS_STAT_MEAN, u"平均值"},
        {IDS_STAT_MILLIAMPERE_HOURS, u"毫安时"},
        {IDS_MARKER_1, u"标记 1"},
        {IDS_MARKER_2, u"标记 2"},
        {IDS_MARKER_DIFFERENCE, u"差值"},
        {IDS_AXIS_TIME, u"时间 ( 秒 )"},
        {IDS_AXIS_CURRENT, u"电流 ( 安培 )"},
        {IDS_AUTO_AXES, u"自动坐标系"},
    });
}

CMeasurementPage::~CMeasurementPage() = default;

QRect CMeasurementPage::DialogRect(int x, int y, int width, int height) const {
    return controls::DialogUnitsToPixels(font(), QRect(x, y, width, height));
}

CXPStyleButtonST* CMeasurementPage::Button(int id) const {
    return platform::FindControl<CXPStyleButtonST>(this, id);
}

void CMeasurementPage::CreateSkeleton(QSize size, const QRect& placeHolder, const QRect& table,
                                      const SToolButton* buttons, std::size_t count, ETable kind) {
    // The template's own font, so that its dialog units mean the same size whatever the desktop's font.
    setFont(QFont(QStringLiteral("宋体"), 9));
    m_placeHolderUnits = placeHolder;
    m_tableUnits = table;
    resize(DialogRect(0, 0, size.width(), size.height()).size());
    m_placeHolder = new QFrame(this);
    platform::SetControlId(m_placeHolder, IDC_PLACE_HOLDER);
    m_placeHolder->setGeometry(
        DialogRect(placeHolder.x(), placeHolder.y(), placeHolder.width(), placeHolder.height()));
    m_placeHolder->hide();
    QWidget* tableWidget = nullptr;
    if (kind == ETable::eStatistics)
        tableWidget = m_list = new CListCtrlEx(this);
    else
        tableWidget = m_report = new controls::CReportCtrl(this);
    platform::SetControlId(tableWidget, IDC_LIST_STATISTIC);
    tableWidget->setGeometry(DialogRect(table.x(), table.y(), table.width(), table.height()));
    m_labelHori = new QLabel(platform::LoadString(IDS_LABEL_HORI), this);
    m_labelVert = new QLabel(platform::LoadString(IDS_LABEL_VERT), this);
    m_comboHori = new QComboBox(this);
    m_comboVert = new QComboBox(this);
    platform::SetControlId(m_comboHori, IDC_COMBO_HORI);
    platform::SetControlId(m_comboVert, IDC_COMBO_VERT);
    // Each label ends a little before its combo box, so that the two never touch.
    m_labelHori->setGeometry(DialogRect(250, 7, 26, 12));
    m_comboHori->setGeometry(DialogRect(278, 5, 60, 14));
    m_labelVert->setGeometry(DialogRect(342, 7, 26, 12));
    m_comboVert->setGeometry(DialogRect(370, 5, 60, 14));
    ShowAxisCombos(false);
    // In every page's template, never shown and without a handler.
    auto* automatic = new QPushButton(platform::LoadString(IDS_AUTO_AXES), this);
    platform::SetControlId(automatic, IDC_AUTO_AXES);
    automatic->setGeometry(DialogRect(210, 5, 50, 14));
    automatic->hide();
    for (std::size_t i = 0; i < count; ++i) {
        const int id = buttons[i].id;
        auto* button = CreatePageToolButton(this, &m_theme, id, platform::LoadString(buttons[i].tipId),
                                            DialogRect(buttons[i].x, 5, 16, 16));
        connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
    }
}

void CMeasurementPage::CreateFilePageSkeleton() {
    static const SToolButton kButtons[] = {
        {1079, IDS_TIP_LINE_1, 7},         {1080, IDS_TIP_LINE_2, 25},     {1081, IDS_TIP_LINE_3, 43},
        {1082, IDS_TIP_LINE_4, 61},        {1083, IDS_TIP_SETTINGS, 426},  {1084, IDS_TIP_FIT, 79},
        {1085, IDS_TIP_RESTORE, 97},       {1086, IDS_TIP_DRAG, 115},      {1087, IDS_TIP_ZOOM_BOX, 133},
        {1088, IDS_TIP_ZOOM_HORI, 151},    {1089, IDS_TIP_ZOOM_VERT, 169}, {1091, IDS_TIP_MARKERS_HORI, 187},
        {1090, IDS_TIP_MARKERS_VERT, 205},
    };
    CreateSkeleton(QSize(449, 323), QRect(7, 25, 435, 199), QRect(7, 228, 435, 88), kButtons,
                   std::size(kButtons), ETable::eReport);
}

void CMeasurementPage::ShowAxisCombos(bool show) {
    for (QWidget* widget : {static_cast<QWidget*>(m_labelHori), static_cast<QWidget*>(m_labelVert),
                            static_cast<QWidget*>(m_comboHori), static_cast<QWidget*>(m_comboVert)})
        widget->setVisible(show);
}

void CMeasurementPage::FitStatisticList(QWidget* plot, int minWidth) {
    constexpr int kRows = 4;
    // The plot keeps at least this height, in dialog units, when the page is at its smallest.
    constexpr int kPlotMinHeight = 60;
    const int rowHeight = m_list->fontMetrics().height() + DialogRect(0, 0, 0, 3).height();
    m_list->verticalHeader()->setMinimumSectionSize(rowHeight);
    m_list->verticalHeader()->setDefaultSectionSize(rowHeight);
    for (int row = 0; row < m_list->rowCount(); ++row)
        m_list->setRowHeight(row, rowHeight);
    const int needed = m_list->horizontalHeader()->sizeHint().height() + kRows * rowHeight +
                       2 * m_list->frameWidth() + m_list->horizontalScrollBar()->sizeHint().height();
    const int grow = std::max(0, needed - m_list->height());
    m_list->setGeometry(m_list->geometry().adjusted(0, -grow, 0, 0));
    m_placeHolder->setGeometry(m_placeHolder->geometry().adjusted(0, 0, 0, -grow));
    DlgResize_Init();
    if (plot != nullptr)
        plot->setGeometry(m_placeHolder->geometry());
    const int gap = m_tableUnits.top() - m_placeHolderUnits.bottom() - 1;
    const int margin = m_placeHolderUnits.left();
    const int minHeight =
        DialogRect(0, 0, 0, m_placeHolderUnits.top() + kPlotMinHeight + gap + margin).height() +
        m_list->height();
    DlgResize_SetMinTrackSize(DialogRect(0, 0, minWidth, 0).width(), minHeight);
}

bool CMeasurementPage::AttachFrameParameters() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* frame = dynamic_cast<CMainFrame*>(widget)) {
            m_preferences = frame->Preferences();
            break;
        }
    }
    return m_preferences != nullptr;
}

void CMeasurementPage::BuildStatisticList(const QString* headers, int columns,
                                          std::initializer_list<int> labelColumns,
                                          std::initializer_list<int> valueColumns) {
    m_list->SetExtendedStyle(CListCtrlEx::LVS_EX_GRIDLINES | CListCtrlEx::LVS_EX_FULLROWSELECT);
    for (int column = 0; column < columns; ++column)
        m_list->InsertColumn(column, headers[column], CListCtrlEx::LVCFMT_LEFT, 100);
    for (int row = 0; row < 4; ++row) {
        m_list->InsertItem(row, platform::LoadString(IDS_STAT_MAXIMUM + row));
        m_list->GetRowData(row);
        for (int column = 0; column < columns; ++column) {
            m_list->SetCellData(row, column);
            controls::CellInfo* cell = m_list->GetCellData(row, column);
            cell->crBack = row % 2 == 0 ? 0xE1E1E1u : 0xFFFFFFu;
            cell->crText = std::find(valueColumns.begin(), valueColumns.end(), column) != valueColumns.end()
                               ? 0xFF0000u
                               : 0x000000u;
        }
        if (row < 3) {
            for (int column : labelColumns)
                m_list->SetItemText(row, column, platform::LoadString(IDS_MARKER_1 + row));
        }
    }
    for (int column : valueColumns)
        SetValueCells(column, 0, 2, EmptyCell());
    // Columns are 100 pixels, or wider where a header or a fixed text would be cut (longer texts in
    // another language).
    const QFontMetrics headerMetrics(m_list->horizontalHeader()->font());
    const QFontMetrics cellMetrics(m_list->font());
    constexpr int kPadding = 16;
    for (int column = 0; column < columns; ++column) {
        int needed = headerMetrics.horizontalAdvance(headers[column]);
        for (int row = 0; row < m_list->rowCount(); ++row)
            needed = std::max(needed, cellMetrics.horizontalAdvance(m_list->GetItemText(row, column)));
        m_list->setColumnWidth(column, std::max(100, needed + kPadding));
    }
}

void CMeasurementPage::SetUpReportTable(const QStringList& columns, const std::vector<int>& positions) {
    m_report->SetImageListSize(QSize(30, 30));
    m_report->SetExtendedStyle(controls::CReportCtrl::LVS_EX_GRIDLINES |
                               controls::CReportCtrl::LVS_EX_SUBITEMIMAGES |
                               controls::CReportCtrl::LVS_EX_FULLROWSELECT);
    for (qsizetype i = 0; i < columns.size(); ++i) {
        m_report->EndEdit(true);
        const int column = m_report->InsertColumn(positions[static_cast<std::size_t>(i)], columns[i],
                                                  controls::CReportCtrl::LVCFMT_LEFT, 200);
        m_report->OnColumnInserted(column);
    }
}

void CMeasurementPage::SetMarkerColumns(std::vector<int> vertical, std::vector<int> horizontal,
                                        bool clearStatistics) {
    m_verticalColumns = std::move(vertical);
    m_horizontalColumns = std::move(horizontal);
    m_horizontalClearsStatistics = clearStatistics;
}

void CMeasurementPage::SetValueCells(int column, int firstRow, int lastRow, const QString& text) {
    for (int row = firstRow; row <= lastRow; ++row)
        m_list->SetItemText(row, column, text);
}

void CMeasurementPage::UpdateToolButtons(int tool) {
    const int toolIds[] = {IDC_TOOL_NONE, IDC_TOOL_PAN, IDC_TOOL_ZOOM, IDC_TOOL_HORI, IDC_TOOL_VERT};
    for (int i = 0; i < 5; ++i) {
        if (CXPStyleButtonST* button = Button(toolIds[i]))
            button->SetCheck(tool == i);
    }
}

void CMeasurementPage::UpdateLineButtons() {
    const CWaveformPlotMainWnd* plot = LinePlot();
    for (int line = 0; line < 4; ++line)
        Button(IDC_LINE_FIRST + line)->SetCheck(plot != nullptr && plot->GetMultiLineVisible(line) != 0);
}

QString CMeasurementPage::ValueText(double value) const {
    return FormatMeasuredValue(*m_preferences, value);
}

void CMeasurementPage::ShowValues(int column, double a, double b) {
    m_list->SetItemText(0, column, ValueText(a));
    m_list->SetItemText(1, column, ValueText(b));
    m_list->SetItemText(2, column, ValueText(a - b));
}

void CMeasurementPage::ShowPlainValues(int column, double a, double b) {
    m_list->SetItemText(0, column, FormatDouble(-1, a));
    m_list->SetItemText(1, column, FormatDouble(-1, b));
    m_list->SetItemText(2, column, FormatDouble(-1, a - b));
}

void CMeasurementPage::ShowStatistics(const CWaveformStatisticRecord& statistics) {
    if (statistics.Valid == 0) {
        SetValueCells(1, 0, 3, EmptyCell());
        return;
    }
    m_list->SetItemText(0, 1, ValueText(statistics.Maximum));
    m_list->SetItemText(1, 1, ValueText(statistics.Minimum));
    m_list->SetItemText(2, 1, ValueText(statistics.Mean));
    m_list->SetItemText(3, 1, ValueText(statistics.Product));
}

void CMeasurementPage::OnCommand(int id) {
    CWaveformPlotMainWnd* plot = PlotWindow();
    if (plot == nullptr)
        return;
    switch (id) {
    case IDC_SETTINGS:
        OnSettings();
        return;
    case IDC_ADAPTIVE:
        ShownPlot()->SetAxisAdaptive();
        RedrawAllLayers(*ShownPlot());
        return;
    case IDC_RESTORE:
        ShownPlot()->SetAxisRestore();
        RedrawAllLayers(*ShownPlot());
        return;
    case IDC_TOOL_NONE:
    case IDC_TOOL_PAN:
    case IDC_TOOL_ZOOM:
    case IDC_TOOL_HORI:
    case IDC_TOOL_VERT: {
        if (Button(id) == nullptr)
            return;
        const int tool = id == IDC_TOOL_NONE ? 0 : id - IDC_TOOL_PAN + 1;
        SetTool(tool);
        UpdateToolButtons(tool);
        break;
    }
    case IDC_MARKER_VERT:
    case IDC_MARKER_HORI: {
        // Index 1 is the pair moved along the time axis, shown under "水平标记".
        const int pair = id == IDC_MARKER_HORI ? 1 : 0;
        const bool show = plot->GetMarkerVisible(pair) == 0;
        plot->SetMarkerVisible(pair, show ? 1 : 0);
        Button(IDC_MARKER_HORI)->SetCheck(plot->GetMarkerVisible(1) != 0);
        Button(IDC_MARKER_VERT)->SetCheck(plot->GetMarkerVisible(0) != 0);
        if (!show)
            ClearMarkerColumns(pair);
        break;
    }
    default:
        if (id >= IDC_LINE_FIRST && id <= IDC_LINE_LAST) {
            if (LineButtonsActive())
                OnLineButton(id - IDC_LINE_FIRST);
            return;
        }
        if (!OnPageCommand(id))
            return;
        break;
    }
    RedrawMarkerLayer(*plot);
}

void CMeasurementPage::ClearMarkerColumns(int pair) {
    for (int column : pair == 0 ? m_verticalColumns : m_horizontalColumns)
        SetValueCells(column, 0, 2, EmptyCell());
    if (pair == 1 && m_horizontalClearsStatistics)
        SetValueCells(1, 0, 3, EmptyCell());
}

void CMeasurementPage::OnLineButton(int line) {
    CWaveformPlotMainWnd* plot = LinePlot();
    if (plot == nullptr)
        return;
    if (plot->GetMultiLineVisible(line) != 0) {
        plot->SetMultiLineVisible(line, 0);
        RedrawAllLayers(*plot);
        Button(IDC_LINE_FIRST + line)->SetCheck(false);
        return;
    }
    const QString path = AskForLineFile();
    if (!path.isEmpty())
        LoadLineFile(line, path);
    Button(IDC_LINE_FIRST + line)->SetCheck(plot->GetMultiLineVisible(line) != 0);
    if (RefitAfterLineButton()) {
        plot->SetAxisAdaptive();
        RedrawAllLayers(*plot);
    }
}

void CMeasurementPage::OnSettings() {
    EditPlotSettings(*ShownPlot());
}

void CMeasurementPage::RedrawAllLayers(CWaveformPlotMainWnd& plot) {
    if (auto* ccdf = dynamic_cast<CWaveformCCDFMainWnd*>(&plot))
        ccdf->ReDrawWaveformWnd(1);
    else
        plot.ReDrawWaveformWnd(1, 1, 1);
}

void CMeasurementPage::RedrawMarkerLayer(CWaveformPlotMainWnd& plot) {
    if (auto* ccdf = dynamic_cast<CWaveformCCDFMainWnd*>(&plot))
        ccdf->ReDrawWaveformWnd(0);
    else
        plot.ReDrawWaveformWnd(0, 0, 1);
}

platform::LRESULT CMeasurementPage::OnMessage(platform::UINT message, platform::WPARAM wParam,
                                              platform::LPARAM lParam) {
    if (message == WM_WAVEFORM_MARKER)
        return OnWaveformMarker(wParam, lParam);
    return 0;
}

platform::LRESULT CMeasurementPage::OnWaveformMarker(platform::WPARAM record, platform::LPARAM code) {
    if (m_preferences == nullptr) {
        platform::StopBox(IDS_PAGE_NO_PREFERENCES);
        return 0;
    }
    if (record == 0)
        return 0;
    if (code == kMarkerCodePairA && m_horizontalColumns.size() >= 2) {
        const auto& marker = *reinterpret_cast<const CWaveformMarkerRecord*>(record);
        ShowPlainValues(m_horizontalColumns[0], marker.Value1, marker.Value2);
        ShowValues(m_horizontalColumns[1], marker.Value3, marker.Value4);
    } else if (code == kMarkerCodePairB) {
        ShowVerticalMarkerValues(record);
    } else if (code == kMarkerCodeStatistics) {
        ShowStatistics(*reinterpret_cast<const CWaveformStatisticRecord*>(record));
    }
    return 0;
}

void CMeasurementPage::ShowVerticalMarkerValues(platform::WPARAM record) {
    if (m_verticalColumns.empty())
        return;
    const auto& marker = *reinterpret_cast<const CWaveformMarkerRecord*>(record);
    ShowValues(m_verticalColumns[0], marker.Value1, marker.Value2);
}

void CMeasurementPage::OnSize(unsigned type, int cx, int cy) {
    CDialogResize::OnSize(type, cx, cy);
    if (type != SIZE_MINIMIZED && m_placeHolder != nullptr)
        FitPlots(m_placeHolder->geometry());
}

void CMeasurementPage::FitPlots(const QRect& rect) {
    if (PlotWindow() != nullptr)
        PlotWindow()->setGeometry(rect);
}

QString CMeasurementPage::AskForComparisonFile(const QString& section, const QString& filter,
                                               const QString& defaultSuffix) {
    const QString last = section.isEmpty()
                             ? QString()
                             : platform::GetProfileString(section, QStringLiteral("FileLoadWaveform"));
    const QString folder = last.isEmpty() ? QString() : QFileInfo(platform::NormalizePath(last)).path();
    QFileDialog dialog(this, QString(), folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultSuffix);
    const QString path = dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    if (!path.isEmpty() && !section.isEmpty())
        platform::WriteProfileString(section, QStringLiteral("FileLoadWaveform"), path);
    return path;
}

QString CMeasurementPage::AskForTextFile() {
    return AskForComparisonFile(QString(), platform::LoadString(IDS_TEXT_DATA_FILTER), QStringLiteral("txt"));
}

void CMeasurementPage::ShowParseError() {
    platform::StopBox(IDS_PARSE_ERROR);
}

void CMeasurementPage::EditPlotSettings(CWaveformPlotMainWnd& plot) {
    if (plot.SetPropertyWaveform() < 0)
        platform::StopBox(IDS_WRITE_FAILED);
}

QString CMeasurementPage::Extension(const QString& path) {
    return path.right(3).toLower();
}

const QString& CMeasurementPage::EmptyCell() {
    static const QString empty = QStringLiteral("---");
    return empty;
}
