#include "lumora/shell/QXDialogSettingsMeasCurr.h"

#include "common/xmlfile/TextHelpers.h"
#include "lumora/core/ParameterMeasDataLogging.h"
#include "lumora/shell/DialogData.h"
#include "lumora/shell/MeasureLimits.h"
#include "platform/ControlId.h"
#include "platform/MessageBox.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CQXDialogSettingsMeasCurr::CQXDialogSettingsMeasCurr(double captureTime, double nplc, double lineFrequency,
                                                     int measureMode, QWidget* parent)
    : controls::CDialogResize(IDD, parent), m_captureTime(captureTime), m_nplc(nplc),
      m_lineFrequency(lineFrequency), m_measureMode(measureMode) {
    setWindowTitle(QStringLiteral("直流电流测量设置"));
    platform::SetControlId(this, IDD);
    auto* layout = new QVBoxLayout(this);

    auto* captureGroup = new QGroupBox(QStringLiteral(" 捕获时间 "), this);
    auto* captureRow = new QHBoxLayout(captureGroup);
    m_editCapture = new QLineEdit(FormatDouble(-1, captureTime), captureGroup);
    platform::SetControlId(m_editCapture, IDC_CAPTURE_TIME);
    captureRow->addWidget(m_editCapture);
    captureRow->addWidget(new QLabel(QStringLiteral("秒 (s)"), captureGroup));
    layout->addWidget(captureGroup);

    auto* nplcGroup = new QGroupBox(QStringLiteral(" 电源周期数目(NPLCs) "), this);
    auto* nplcColumn = new QVBoxLayout(nplcGroup);
    m_editNplc = new QLineEdit(FormatDouble(-1, nplc), nplcGroup);
    platform::SetControlId(m_editNplc, IDC_NPLC);
    nplcColumn->addWidget(m_editNplc);
    auto* supplyStatic =
        new QLabel(QStringLiteral("NPLC最小积分时间为0.002PLC，最大采集点数为2500点"), nplcGroup);
    auto* meterStatic =
        new QLabel(QStringLiteral("NPLC最小积分时间为0.0005PLC，最大采集点数为1M点"), nplcGroup);
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
