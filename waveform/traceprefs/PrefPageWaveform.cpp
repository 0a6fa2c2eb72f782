#include "waveform/traceprefs/PrefPageWaveform.h"
#include "waveform/traceprefs/TraceStrings.h"

#include "platform/ControlId.h"
#include "platform/MessageBox.h"
#include "waveform/common/ParameterWaveform.h"
#include "waveform/prefdlg/DataExchange.h"
#include "waveform/traceprefs/LimitEdit.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

CLimitEdit* LimitEdit(QWidget* parent, int id) {
    auto* edit = platform::AddControl(parent, id, new CLimitEdit);
    edit->m_nMaxDigits = 10;
    edit->m_nDecimals = 6;
    // The digit edit's font follows its height, so its height is fixed at that of a plain edit.
    edit->setFixedHeight(QLineEdit().sizeHint().height());
    return edit;
}

} // namespace

CPrefPageWaveform::CPrefPageWaveform(CParameterWaveform* record, int mode) : m_record(record), m_mode(mode) {}

CPrefPageWaveform::~CPrefPageWaveform() = default;

bool CPrefPageWaveform::OnCreatePage() {
    auto* layout = new QVBoxLayout(this);
    auto* nameRow = new QFormLayout;
    m_chartName = platform::AddControl(this, IDC_CHART_NAME, new QLineEdit);
    nameRow->addRow(traceprefs::Text(traceprefs::IDS_CHART_NAME), m_chartName);
    layout->addLayout(nameRow);

    auto* hori = new QGroupBox(traceprefs::Text(traceprefs::IDS_HORI_AXIS), this);
    auto* horiForm = new QFormLayout(hori);
    m_horiText = platform::AddControl(hori, IDC_HORI_TEXT, new QLineEdit);
    m_horiMin = LimitEdit(hori, IDC_HORI_MIN);
    m_horiMax = LimitEdit(hori, IDC_HORI_MAX);
    m_unitAdaptive = platform::AddControl(hori, IDC_UNIT_ADAPTIVE,
                                          new QRadioButton(traceprefs::Text(traceprefs::IDS_UNIT_ADAPTIVE)));
    m_unitFixed = platform::AddControl(hori, IDC_UNIT_FIXED,
                                       new QRadioButton(traceprefs::Text(traceprefs::IDS_UNIT_FIXED)));
    horiForm->addRow(traceprefs::Text(traceprefs::IDS_AXIS_TEXT), m_horiText);
    horiForm->addRow(traceprefs::Text(traceprefs::IDS_AXIS_MIN), m_horiMin);
    horiForm->addRow(traceprefs::Text(traceprefs::IDS_AXIS_MAX), m_horiMax);
    horiForm->addRow(m_unitAdaptive);
    horiForm->addRow(m_unitFixed);
    layout->addWidget(hori);

    auto* vert = new QGroupBox(traceprefs::Text(traceprefs::IDS_VERT_AXIS), this);
    auto* vertForm = new QFormLayout(vert);
    m_vertText = platform::AddControl(vert, IDC_VERT_TEXT, new QLineEdit);
    m_vertMin = LimitEdit(vert, IDC_VERT_MIN);
    m_vertMax = LimitEdit(vert, IDC_VERT_MAX);
    vertForm->addRow(traceprefs::Text(traceprefs::IDS_AXIS_TEXT), m_vertText);
    vertForm->addRow(traceprefs::Text(traceprefs::IDS_AXIS_MIN), m_vertMin);
    vertForm->addRow(traceprefs::Text(traceprefs::IDS_AXIS_MAX), m_vertMax);
    layout->addWidget(vert);

    auto* left = platform::AddControl(this, IDC_LEFT_GROUP,
                                      new QGroupBox(traceprefs::Text(traceprefs::IDS_LEFT_AXIS)));
    auto* leftForm = new QFormLayout(left);
    m_leftText = platform::AddControl(left, IDC_LEFT_TEXT, new QLineEdit);
    m_leftMin = LimitEdit(left, IDC_LEFT_MIN);
    m_leftMax = LimitEdit(left, IDC_LEFT_MAX);
    leftForm->addRow(traceprefs::Text(traceprefs::IDS_AXIS_TEXT), m_leftText);
    leftForm->addRow(traceprefs::Text(traceprefs::IDS_AXIS_MIN), m_leftMin);
    leftForm->addRow(traceprefs::Text(traceprefs::IDS_AXIS_MAX), m_leftMax);
    layout->addWidget(left);
    m_leftGroup = left;
    left->setVisible(m_mode == 1);

    // Present in the layout the page was drawn from, used by nothing.
    for (int id : {55131, 55133, 55182})
        platform::AddControl(this, id, new QComboBox)->hide();
    (new QLabel(traceprefs::Text(traceprefs::IDS_AXIS_UNIT), this))->hide();
    layout->addStretch(1);
    return true;
}

bool CPrefPageWaveform::DoDataExchange(bool save) {
    CParameterWaveform& r = *m_record;
    if (save) {
        // A limit that is no number is refused before anything is taken.
        for (CLimitEdit* edit : {m_horiMin, m_horiMax, m_vertMin, m_vertMax, m_leftMin, m_leftMax}) {
            if ((m_mode == 1 || (edit != m_leftMin && edit != m_leftMax)) && !edit->HasLimit())
                return prefdlg::RefuseEntry(edit, prefdlg::NotANumberMessage());
        }
        r.ChartName = m_chartName->text();
        r.ScaleTextHori = m_horiText->text();
        r.ScaleTextVert = m_vertText->text();
        r.HoriMinZoom = m_horiMin->Limit();
        r.HoriMaxZoom = m_horiMax->Limit();
        r.VertMinZoom = m_vertMin->Limit();
        r.VertMaxZoom = m_vertMax->Limit();
        // Hidden on a one-axis plot: the edits' bounds would clip the record's values, so the
        // record keeps them as they came.
        if (m_mode == 1) {
            r.ScaleTextVertLeft = m_leftText->text();
            r.VertLeftMinZoom = m_leftMin->Limit();
            r.VertLeftMaxZoom = m_leftMax->Limit();
        }
        r.HoriUnitFixed = m_unitFixed->isChecked() ? 1 : 0;
        return true;
    }
    m_chartName->setText(r.ChartName);
    m_horiText->setText(r.ScaleTextHori);
    m_vertText->setText(r.ScaleTextVert);
    m_leftText->setText(r.ScaleTextVertLeft);
    // Both limits of an axis with the decimals that tell them apart.
    const auto limits = [](CLimitEdit* min, CLimitEdit* max, double minValue, double maxValue) {
        const int decimals = CLimitEdit::DecimalsForPair(minValue, maxValue);
        min->SetLimit(minValue, decimals);
        max->SetLimit(maxValue, decimals);
    };
    limits(m_horiMin, m_horiMax, r.HoriMinZoom, r.HoriMaxZoom);
    limits(m_vertMin, m_vertMax, r.VertMinZoom, r.VertMaxZoom);
    limits(m_leftMin, m_leftMax, r.VertLeftMinZoom, r.VertLeftMaxZoom);
    m_unitFixed->setChecked(r.HoriUnitFixed != 0);
    m_unitAdaptive->setChecked(r.HoriUnitFixed == 0);
    return true;
}

void CPrefPageWaveform::SetDefaults() {
    m_record->SetDefaultScale();
    UpdateData(false);
}

int CPrefPageWaveform::ValidatePage() {
    if (!UpdateData(true))
        return 0;
    const CParameterWaveform& r = *m_record;
    int message = 0;
    if (r.HoriMaxZoom <= r.HoriMinZoom)
        message = traceprefs::IDS_HORI_RANGE;
    else if (r.VertMaxZoom <= r.VertMinZoom)
        message = traceprefs::IDS_VERT_RANGE;
    if (message == 0)
        return 1;
    platform::MessageBox(traceprefs::Text(message), platform::MB_ICONERROR);
    return 0;
}
