#include "lumora/shell/QXDialogSettingsMeasCurr.h"

#include "common/xmlfile/TextHelpers.h"
#include "lumora/LumoraStrings.h"
#include "lumora/core/ParameterMeasDataLogging.h"
#include "lumora/shell/DialogData.h"
#include "lumora/shell/MeasureLimits.h"
#include "platform/ControlId.h"
#include "platform/MessageBox.h"
#include "platform/StringTable.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CQXDialogSettingsMeasCurr::CQXDialogSettingsMeasCurr(double captureTime, double nplc, double lineFrequency,
                                                     int measureMode, QWidget* parent)
    : controls::CDialogResize(IDD, parent), m_captureTime(captureTime), m_nplc(nplc),
      m_lineFrequency(lineFrequency), m_measureMode(measureMode) {
    shell::RegisterSettingsStrings();
    setWindowTitle(platform::LoadString(IDS_MEASCURR_TITLE));
    platform::SetControlId(this, IDD);
    auto* layout = new QVBoxLayout(this);

    auto* captureGroup = new QGroupBox(platform::LoadString(IDS_CAPTURE_TIME_GROUP), this);
    auto* captureRow = new QHBoxLayout(captureGroup);
    m_editCapture = new QLineEdit(FormatDouble(-1, captureTime), captureGroup);
    platform::SetControlId(m_editCapture, IDC_CAPTURE_TIME);
    captureRow->addWidget(m_editCapture);
    captureRow->addWidget(new QLabel(platform::LoadString(IDS_UNIT_SECONDS), captureGroup));
    layout->addWidget(captureGroup);

    auto* nplcGroup = new QGroupBox(platform::LoadString(IDS_NPLC_GROUP), this);
    auto* nplcColumn = new QVBoxLayout(nplcGroup);
    m_editNplc = new QLineEdit(FormatDouble(-1, nplc), nplcGroup);
    platform::SetControlId(m_editNplc, IDC_NPLC);
    nplcColumn->addWidget(m_editNplc);
    auto* supplyStatic = new QLabel(platform::LoadString(IDS_MEASCURR_SUPPLY_NPLC), nplcGroup);
    auto* meterStatic = new QLabel(platform::LoadString(IDS_MEASCURR_METER_NPLC), nplcGroup);
    platform::SetControlId(supplyStatic, IDC_STATIC_SUPPLY);
    platform::SetControlId(meterStatic, IDC_STATIC_METER);
    nplcColumn->addWidget(supplyStatic);
    nplcColumn->addWidget(meterStatic);
    layout->addWidget(nplcGroup);

    shell::AddOkCancel(this, layout);

    shell::ShowMeasureLimits(this, shell::MeasureLimitsOf(measureMode, true), supplyStatic, meterStatic);
}

CQXDialogSettingsMeasCurr::~CQXDialogSettingsMeasCurr() = default;

void CQXDialogSettingsMeasCurr::accept() {
    double captureTime = 0, nplc = 0;
    if (!shell::GetDouble(m_editCapture, captureTime) || !shell::GetDouble(m_editNplc, nplc))
        return;
    const double samples =
        CountDataAcqSamples(0.0f, 0.0f, static_cast<float>(captureTime), nplc, m_lineFrequency);
    if (!shell::CheckMeasureLimits(shell::MeasureLimitsOf(m_measureMode, true), nplc, samples,
                                   m_lineFrequency, m_editNplc, m_editCapture))
        return;
    m_captureTime = captureTime;
    m_nplc = nplc;
    controls::CDialogResize::accept();
}
