#include "waveform/traceprefs/PrefPageWfColor.h"
#include "waveform/traceprefs/TraceStrings.h"

#include "platform/ControlId.h"
#include "waveform/common/ParameterWaveform.h"
#include "waveform/traceprefs/ColorButton.h"
#include "waveform/traceprefs/ColorPickerCB.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

// The colours "Automatic" stands for: those of a new record.
const CParameterWaveform& Defaults() {
    static const CParameterWaveform defaults;
    return defaults;
}

} // namespace

CPrefPageWfColor::CPrefPageWfColor(CParameterWaveform* record) : m_record(record) {}

CPrefPageWfColor::~CPrefPageWfColor() = default;

bool CPrefPageWfColor::OnCreatePage() {
    auto* layout = new QVBoxLayout(this);
    auto* axis = new QGroupBox(traceprefs::Text(traceprefs::IDS_AXES), this);
    auto* axisForm = new QFormLayout(axis);
    m_axisColour = platform::AddControl(axis, IDC_AXIS_COLOUR, new CColorButton);
    m_axisStyle = platform::AddControl(axis, IDC_AXIS_STYLE, new CColorPickerCBLineStyle);
    m_axisWidth = platform::AddControl(axis, IDC_AXIS_WIDTH, new CColorPickerCBLineWidth);
    m_textColour = platform::AddControl(axis, IDC_TEXT_COLOUR, new CColorButton);
    m_backColour = platform::AddControl(axis, IDC_BACK_COLOUR, new CColorButton);
    axisForm->addRow(traceprefs::Text(traceprefs::IDS_AXIS_COLOUR), m_axisColour);
    axisForm->addRow(traceprefs::Text(traceprefs::IDS_LINE_STYLE), m_axisStyle);
    axisForm->addRow(traceprefs::Text(traceprefs::IDS_LINE_WIDTH), m_axisWidth);
    axisForm->addRow(traceprefs::Text(traceprefs::IDS_TEXT_COLOUR), m_textColour);
    axisForm->addRow(traceprefs::Text(traceprefs::IDS_BACK_COLOUR), m_backColour);
    layout->addWidget(axis);

    auto* curves = new QGroupBox(traceprefs::Text(traceprefs::IDS_CURVES), this);
    auto* curveForm = new QFormLayout(curves);
    m_pointStyle = platform::AddControl(curves, IDC_POINT_STYLE, new QComboBox);
    m_pointStyle->addItems(
        {traceprefs::Text(traceprefs::IDS_POINTS_LINE), traceprefs::Text(traceprefs::IDS_POINTS_DIAMOND),
         traceprefs::Text(traceprefs::IDS_POINTS_CROSS), traceprefs::Text(traceprefs::IDS_POINTS_SQUARE)});
    m_curve = platform::AddControl(curves, IDC_CURVE, new QComboBox);
    m_curve->addItems({traceprefs::Text(traceprefs::IDS_CURVE_1), traceprefs::Text(traceprefs::IDS_CURVE_2),
                       traceprefs::Text(traceprefs::IDS_CURVE_3), traceprefs::Text(traceprefs::IDS_CURVE_4)});
    m_curveColour = platform::AddControl(curves, IDC_CURVE_COLOUR, new CColorButton);
    m_curveWidth = platform::AddControl(curves, IDC_CURVE_WIDTH, new CColorPickerCBLineWidth);
    curveForm->addRow(traceprefs::Text(traceprefs::IDS_LINE_STYLE), m_pointStyle);
    curveForm->addRow(traceprefs::Text(traceprefs::IDS_CURVE_NAME), m_curve);
    curveForm->addRow(traceprefs::Text(traceprefs::IDS_CURVE_COLOUR), m_curveColour);
    curveForm->addRow(traceprefs::Text(traceprefs::IDS_LINE_WIDTH), m_curveWidth);
    layout->addWidget(curves);
    layout->addStretch(1);

    m_axisColour->SetDefaultColour(Defaults().ColorAxis);
    m_textColour->SetDefaultColour(Defaults().ColorAxisText);
    m_backColour->SetDefaultColour(Defaults().ColorAxisBkGnd);
    m_axisStyle->InitializeDefaultStyles();
    m_axisWidth->InitializeDefaultWidths();
    m_curveWidth->InitializeDefaultWidths();
    m_curveIndex = 0;
    m_curve->setCurrentIndex(0);
    LoadCurve();
    connect(m_curve, &QComboBox::currentIndexChanged, this, [this](int index) { OnCurveChanged(index); });
    return true;
}

bool CPrefPageWfColor::CurveInRange() const {
    return m_curveIndex >= 0 && m_curveIndex < static_cast<int>(m_record->Styles.size());
}

void CPrefPageWfColor::LoadCurve() {
    if (!CurveInRange())
        return;
    const CLineStyle& style = m_record->Styles[static_cast<std::size_t>(m_curveIndex)];
    m_lineColour = style.LineColor;
    m_lineWidth = style.LineWidth;
    const std::size_t index = static_cast<std::size_t>(m_curveIndex);
    if (index < Defaults().Styles.size())
        m_curveColour->SetDefaultColour(Defaults().Styles[index].LineColor);
}

void CPrefPageWfColor::StoreCurve() {
    if (!CurveInRange())
        return;
    CLineStyle& style = m_record->Styles[static_cast<std::size_t>(m_curveIndex)];
    if (style.LineColor == m_lineColour && style.LineWidth == m_lineWidth)
        return;
    style.LineColor = m_lineColour;
    style.LineWidth = m_lineWidth;
    style.ReCreateObjects();
}

void CPrefPageWfColor::OnCurveChanged(int index) {
    UpdateData(true);
    StoreCurve();
    m_curveIndex = index;
    LoadCurve();
    UpdateData(false);
}

bool CPrefPageWfColor::DoDataExchange(bool save) {
    CParameterWaveform& r = *m_record;
    if (save) {
        r.ColorAxis = m_axisColour->GetColour();
        r.ColorAxisText = m_textColour->GetColour();
        r.ColorAxisBkGnd = m_backColour->GetColour();
        r.AxisStyle = std::max(0, m_axisStyle->currentIndex());
        r.AxisWidth = m_axisWidth->SelectedValue();
        r.LineStyle = std::max(0, m_pointStyle->currentIndex());
        m_lineColour = m_curveColour->GetColour();
        m_lineWidth = m_curveWidth->SelectedValue();
        return true;
    }
    m_axisColour->SetColour(r.ColorAxis);
    m_textColour->SetColour(r.ColorAxisText);
    m_backColour->SetColour(r.ColorAxisBkGnd);
    m_axisStyle->setCurrentIndex(r.AxisStyle >= 0 && r.AxisStyle < m_axisStyle->count() ? r.AxisStyle : -1);
    m_axisWidth->SelectValue(r.AxisWidth);
    m_pointStyle->setCurrentIndex(r.LineStyle >= 0 && r.LineStyle < m_pointStyle->count() ? r.LineStyle : -1);
    m_curveColour->SetColour(m_lineColour);
    m_curveWidth->SelectValue(m_lineWidth);
    m_axisStyle->SetColour(r.ColorAxis);
    m_axisWidth->SetColour(r.ColorAxis);
    m_curveWidth->SetColour(m_lineColour);
    return true;
}

platform::LRESULT CPrefPageWfColor::OnMessage(platform::UINT message, platform::WPARAM wParam,
                                              platform::LPARAM lParam) {
    if (message != CColorButton::CPN_SELENDOK)
        return 0;
    UpdateData(true);
    const COLORREF colour = static_cast<COLORREF>(wParam);
    switch (lParam) {
    case IDC_AXIS_COLOUR:
        m_record->ColorAxis = colour;
        break;
    case IDC_TEXT_COLOUR:
        m_record->ColorAxisText = colour;
        break;
    case IDC_CURVE_COLOUR:
        m_lineColour = colour;
        break;
    default:
        break;
    }
    UpdateData(false);
    return 0;
}

void CPrefPageWfColor::SetDefaults() {
    m_record->SetDefaultColors();
    if (!IsPageCreated())
        return;
    LoadCurve();
    UpdateData(false);
}

int CPrefPageWfColor::ValidatePage() {
    if (!UpdateData(true))
        return 0;
    StoreCurve();
    return 1;
}
