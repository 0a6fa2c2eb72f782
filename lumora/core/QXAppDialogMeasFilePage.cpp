#include "lumora/core/QXAppDialogMeasFilePage.h"

#include "lumora/controls/DialogUnits.h"
#include "lumora/controls/ReportCtrl.h"
#include "lumora/controls/XPStyleButtonST.h"
#include "lumora/core/DataImport.h"
#include "lumora/core/FilePageStrings.h"
#include "lumora/core/PageSkeleton.h"
#include "lumora/shell/ToolIcon.h"
#include "platform/ControlId.h"
#include "platform/MessageBox.h"
#include "platform/StringTable.h"
#include "waveform/common/WaveformPlotMainWnd.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>

namespace {

using controls::CXPStyleButtonST;

constexpr int kButtonIds[] = {1079, 1080, 1081, 1082, 1083, 1084, 1085, 1086, 1087, 1088, 1089, 1091, 1090};
// The tips' string ids, in the order of the ids above.
constexpr int kButtonTips[] = {34300, 34301, 34302, 34303, 34304, 34305, 34306,
                               34308, 34309, 34310, 34311, 34312, 34313};

} // namespace

CQXAppDialogMeasFilePage::CQXAppDialogMeasFilePage(unsigned templateId, QWidget* parent)
    : CDialogResize(templateId, parent) {
    RegisterToolTipStrings();
    RegisterFilePageStrings();
}

CQXAppDialogMeasFilePage::~CQXAppDialogMeasFilePage() = default;

const controls::DlgResizeMapEntry* CQXAppDialogMeasFilePage::GetDlgResizeMap() const {
    return PageResizeMap();
}

QRect CQXAppDialogMeasFilePage::DialogRect(int x, int y, int width, int height) const {
    return controls::DialogUnitsToPixels(font(), QRect(x, y, width, height));
}

CXPStyleButtonST* CQXAppDialogMeasFilePage::Button(int id) const {
    return platform::FindControl<CXPStyleButtonST>(this, id);
}

bool CQXAppDialogMeasFilePage::OnInitDialog() {
    resize(DialogRect(0, 0, 449, 323).size());
    m_placeHolder = new QFrame(this);
    platform::SetControlId(m_placeHolder, IDC_PLACE_HOLDER);
    m_placeHolder->setGeometry(DialogRect(7, 25, 435, 199));
    m_placeHolder->hide();
    m_list = new controls::CReportCtrl(this);
    platform::SetControlId(m_list, IDC_LIST_STATISTIC);
    m_list->setGeometry(DialogRect(7, 228, 435, 88));
    m_labelHori = new QLabel(platform::LoadString(35015), this);
    m_labelVert = new QLabel(platform::LoadString(35016), this);
    m_comboHori = new QComboBox(this);
    m_comboVert = new QComboBox(this);
    platform::SetControlId(m_comboHori, IDC_COMBO_HORI);
    platform::SetControlId(m_comboVert, IDC_COMBO_VERT);
    m_labelHori->setGeometry(DialogRect(250, 7, 28, 12));
    m_comboHori->setGeometry(DialogRect(278, 5, 60, 14));
    m_labelVert->setGeometry(DialogRect(342, 7, 28, 12));
    m_comboVert->setGeometry(DialogRect(370, 5, 60, 14));
    for (QWidget* widget : {static_cast<QWidget*>(m_labelHori), static_cast<QWidget*>(m_labelVert),
                            static_cast<QWidget*>(m_comboHori), static_cast<QWidget*>(m_comboVert)})
        widget->setVisible(ShowsAxisCombos());
    SetupToolButtons();
    DlgResize_Init();
    if (!CreatePlot(m_placeHolder->geometry()))
        return false;
    BuildTable();
    UpdateLineButtons();
    return true;
}

void CQXAppDialogMeasFilePage::SetupToolButtons() {
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        const int id = kButtonIds[i];
        const int x = id == IDC_SETTINGS ? 426 : 7 + 18 * int(i < 4 ? i : i - 1);
        auto* button = CreatePageToolButton(this, &m_theme, id, platform::LoadString(kButtonTips[i]),
                                            DialogRect(x, 5, 16, 16));
        button->setVisible(!IsButtonHidden(id));
        connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
        m_buttons[i] = button;
    }
}

void CQXAppDialogMeasFilePage::UpdateLineButtons() {
    if (PlotWindow() == nullptr)
        return;
    for (int line = 0; line < 4; ++line)
        m_buttons[static_cast<std::size_t>(line)]->SetCheck(PlotWindow()->GetMultiLineVisible(line) != 0);
}

void CQXAppDialogMeasFilePage::UpdateToolButtons() {
    const int tool = GetTool();
    const int ids[] = {IDC_TOOL_PAN, IDC_TOOL_ZOOM, IDC_TOOL_HORI, IDC_TOOL_VERT};
    for (int i = 0; i < 4; ++i)
        Button(ids[i])->SetCheck(tool == i + 1);
}

void CQXAppDialogMeasFilePage::UpdateMarkerButtons() {
    Button(IDC_MARKER_HORI)->SetCheck(PlotWindow()->GetMarkerVisible(1) != 0);
    Button(IDC_MARKER_VERT)->SetCheck(PlotWindow()->GetMarkerVisible(0) != 0);
}

void CQXAppDialogMeasFilePage::ShowParseError() {
    platform::MessageBox(platform::LoadString(kParseErrorId), platform::MB_ICONSTOP);
}

void CQXAppDialogMeasFilePage::SetUpReportTable(const QStringList& columns,
                                                const std::vector<int>& positions) {
    m_list->SetImageListSize(QSize(30, 30));
    m_list->SetExtendedStyle(controls::CReportCtrl::LVS_EX_GRIDLINES |
                             controls::CReportCtrl::LVS_EX_SUBITEMIMAGES |
                             controls::CReportCtrl::LVS_EX_FULLROWSELECT);
    for (qsizetype i = 0; i < columns.size(); ++i) {
        m_list->EndEdit(true);
        const int column = m_list->InsertColumn(positions[static_cast<std::size_t>(i)], columns[i],
                                                controls::CReportCtrl::LVCFMT_LEFT, 200);
        m_list->OnColumnInserted(column);
    }
}

void CQXAppDialogMeasFilePage::OnCommand(int id) {
    CWaveformPlotMainWnd* plot = PlotWindow();
    if (plot == nullptr)
        return;
    switch (id) {
    case IDC_SETTINGS:
        return;
    case IDC_ADAPTIVE:
        plot->SetAxisAdaptive();
        RedrawAll();
        return;
    case IDC_RESTORE:
        plot->SetAxisRestore();
        RedrawAll();
        return;
    case IDC_TOOL_PAN:
    case IDC_TOOL_ZOOM:
    case IDC_TOOL_HORI:
    case IDC_TOOL_VERT:
        SetTool(id - IDC_TOOL_PAN + 1);
        UpdateToolButtons();
        break;
    case IDC_MARKER_VERT:
    case IDC_MARKER_HORI: {
        const int index = id == IDC_MARKER_HORI ? 1 : 0;
        plot->SetMarkerVisible(index, plot->GetMarkerVisible(index) != 0 ? 0 : 1);
        UpdateMarkerButtons();
        break;
    }
    default:
        if (id >= IDC_LINE_FIRST && id <= IDC_LINE_LAST)
            OnLineButton(id - IDC_LINE_FIRST);
        return;
    }
    RedrawMarkers();
}

void CQXAppDialogMeasFilePage::OnLineButton(int line) {
    CWaveformPlotMainWnd* plot = PlotWindow();
    if (plot->GetMultiLineVisible(line) != 0) {
        plot->SetMultiLineVisible(line, 0);
        RedrawAll();
        m_buttons[static_cast<std::size_t>(line)]->SetCheck(false);
        return;
    }
    const QString path =
        QFileDialog::getOpenFileName(this, QString(), QString(), platform::LoadString(35017));
    if (!path.isEmpty())
        LoadLine(line, path, u'\t');
    m_buttons[static_cast<std::size_t>(line)]->SetCheck(plot->GetMultiLineVisible(line) != 0);
    if (RefitAfterLineButton()) {
        plot->SetAxisAdaptive();
        RedrawAll();
    }
}

void CQXAppDialogMeasFilePage::OnSize(unsigned type, int cx, int cy) {
    CDialogResize::OnSize(type, cx, cy);
    if (type != SIZE_MINIMIZED && PlotWindow() != nullptr && m_placeHolder != nullptr)
        PlotWindow()->setGeometry(m_placeHolder->geometry());
}
