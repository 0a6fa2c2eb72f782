#include "lumora/shell/QXDialogSettingsMeasDataLog.h"

#include "common/xmlfile/TextHelpers.h"
#include "lumora/LumoraStrings.h"
#include "lumora/core/BinDataFile.h"
#include "lumora/core/ParameterMeasDataLogging.h"
#include "lumora/shell/DialogData.h"
#include "lumora/shell/MeasureLimits.h"
#include "platform/ControlId.h"
#include "platform/MessageBox.h"
#include "platform/StringTable.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

namespace {

constexpr int kIntMax = std::numeric_limits<int>::max();

// The edit holds what is typed, a comma or a point too: a filter that dropped them would make "0,5" a 5.
// OK refuses what is not a whole number.
QLineEdit* DigitsEdit(int value, int id, QWidget* parent) {
    auto* edit = new QLineEdit(QString::number(value), parent);
    platform::SetControlId(edit, id);
    return edit;
}

QLineEdit* ReadOnlyEdit(int id, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    platform::SetControlId(edit, id);
    return edit;
}

// The file a run writes: its header, then the time and the DC current of each sample.
double FileBytes(double samples) {
    return CBinDataFile::kDataOffset + samples * 16.0;
}

unsigned Saturated(double value) {
    return value >= static_cast<double>(std::numeric_limits<unsigned>::max())
               ? std::numeric_limits<unsigned>::max()
               : static_cast<unsigned>(value);
}

} // namespace

CQXDialogSettingsMeasDataLog::CQXDialogSettingsMeasDataLog(CParameterMeasDataLogging* record, double nplc,
                                                           double lineFrequency, int measureMode,
                                                           QWidget* parent)
    : controls::CDialogResize(IDD, parent), m_record(record), m_nplc(nplc), m_lineFrequency(lineFrequency),
      m_measureMode(measureMode) {
    shell::RegisterSettingsStrings();
    setWindowTitle(platform::LoadString(IDS_MEASDATALOG_TITLE));
    platform::SetControlId(this, IDD);
    auto* layout = new QVBoxLayout(this);

    auto* timeGroup = new QGroupBox(platform::LoadString(IDS_CAPTURE_TIME_GROUP), this);
    auto* timeRow = new QHBoxLayout(timeGroup);
    m_editHour = DigitsEdit(record->AcqTimeHour, IDC_HOUR, timeGroup);
    m_editMinute = DigitsEdit(record->AcqTimeMinute, IDC_MINUTE, timeGroup);
    m_editSecond = DigitsEdit(record->AcqTimeSecond, IDC_SECOND, timeGroup);
    for (auto [edit, unit] : {std::pair{m_editHour, IDS_UNIT_HOUR}, std::pair{m_editMinute, IDS_UNIT_MINUTE},
                              std::pair{m_editSecond, IDS_UNIT_SECOND}}) {
        timeRow->addWidget(edit);
        timeRow->addWidget(new QLabel(platform::LoadString(unit), timeGroup));
    }
    layout->addWidget(timeGroup);

    auto* nplcGroup = new QGroupBox(platform::LoadString(IDS_NPLC_GROUP), this);
    auto* nplcRow = new QHBoxLayout(nplcGroup);
    m_editNplc = new QLineEdit(FormatDouble(-1, nplc), nplcGroup);
    platform::SetControlId(m_editNplc, IDC_NPLC);
    nplcRow->addWidget(m_editNplc);
    auto* supplyStatic = new QLabel(QStringLiteral("( 0.002 ... 15 )"), nplcGroup);
    auto* meterStatic = new QLabel(QStringLiteral("( 0.0005 ... 15 )"), nplcGroup);
    platform::SetControlId(supplyStatic, IDC_STATIC_SUPPLY);
    platform::SetControlId(meterStatic, IDC_STATIC_METER);
    nplcRow->addWidget(supplyStatic);
    nplcRow->addWidget(meterStatic);
    m_autoNplc = new QCheckBox(platform::LoadString(IDS_MEASDATALOG_AUTO_NPLC), nplcGroup);
    m_autoNplc->setChecked(record->AutoNPLC != 0);
    platform::SetControlId(m_autoNplc, IDC_AUTO_NPLC);
    m_autoNplc->hide();
    layout->addWidget(nplcGroup);

    // The measurement type: current only; its group stays hidden as there is nothing to choose.
    auto* typeGroup = new QGroupBox(platform::LoadString(IDS_MEASDATALOG_TYPE), this);
    auto* typeRow = new QHBoxLayout(typeGroup);
    m_measCurrent = new QRadioButton(platform::LoadString(IDS_MEASDATALOG_CURRENT), typeGroup);
    auto* measBoth = new QRadioButton(platform::LoadString(IDS_MEASDATALOG_VOLTAGE_CURRENT), typeGroup);
    platform::SetControlId(m_measCurrent, IDC_MEAS_CURRENT);
    platform::SetControlId(measBoth, IDC_MEAS_VOLTAGE_CURRENT);
    measBoth->setEnabled(false);
    (record->DataLoggingMeas == 1 ? measBoth : m_measCurrent)->setChecked(true);
    typeRow->addWidget(m_measCurrent);
    typeRow->addWidget(measBoth);
    typeGroup->hide();
    layout->addWidget(typeGroup);

    auto* results = new QGridLayout;
    m_samples = ReadOnlyEdit(IDC_SAMPLES, this);
    m_fileSize = ReadOnlyEdit(IDC_FILE_SIZE, this);
    results->addWidget(new QLabel(platform::LoadString(IDS_MEASDATALOG_SAMPLES), this), 0, 0);
    results->addWidget(m_samples, 0, 1);
    results->addWidget(new QLabel(platform::LoadString(IDS_MEASDATALOG_FILE_SIZE), this), 1, 0);
    results->addWidget(m_fileSize, 1, 1);
    layout->addLayout(results);

    shell::AddOkCancel(this, layout);

    shell::ShowMeasureLimits(this, shell::MeasureLimitsOf(measureMode, false), supplyStatic, meterStatic);
    for (QLineEdit* edit : {m_editNplc, m_editSecond, m_editHour, m_editMinute})
        QObject::connect(edit, &QLineEdit::textChanged, this, [this] { UpdateSampleFields(); });
    UpdateSampleFields();
}

CQXDialogSettingsMeasDataLog::~CQXDialogSettingsMeasDataLog() = default;

void CQXDialogSettingsMeasDataLog::UpdateSampleFields() {
    int hours = 0, minutes = 0, seconds = 0;
    double nplc = 0;
    if (!shell::ParseInt(m_editHour->text(), 0, kIntMax, hours) ||
        !shell::ParseInt(m_editMinute->text(), 0, kIntMax, minutes) ||
        !shell::ParseInt(m_editSecond->text(), 0, kIntMax, seconds) ||
        !shell::ParseDouble(m_editNplc->text(), nplc)) {
        m_samples->setText(QStringLiteral("---"));
        m_fileSize->setText(QStringLiteral("---"));
        return;
    }
    // The count is shown as it is, beyond the limit too, so that the user sees why OK refuses it.
    const double samples = CountDataAcqSamples(static_cast<float>(hours), static_cast<float>(minutes),
                                               static_cast<float>(seconds), nplc, m_lineFrequency);
    m_samples->setText(QString::number(samples, 'f', 0));
    m_fileSize->setText(QString::number(FileBytes(samples), 'f', 0));
}

void CQXDialogSettingsMeasDataLog::accept() {
    int hours = 0, minutes = 0, seconds = 0;
    double nplc = 0;
    if (!shell::GetInt(m_editHour, 0, kIntMax, hours) || !shell::GetInt(m_editMinute, 0, kIntMax, minutes) ||
        !shell::GetInt(m_editSecond, 0, kIntMax, seconds) || !shell::GetDouble(m_editNplc, nplc))
        return;
    const double samples = CountDataAcqSamples(static_cast<float>(hours), static_cast<float>(minutes),
                                               static_cast<float>(seconds), nplc, m_lineFrequency);
    if (!shell::CheckMeasureLimits(shell::MeasureLimitsOf(m_measureMode, false), nplc, samples,
                                   m_lineFrequency, m_editNplc, m_editSecond))
        return;
    m_nplc = nplc;
    m_record->AcqTimeHour = hours;
    m_record->AcqTimeMinute = minutes;
    m_record->AcqTimeSecond = seconds;
    m_record->AutoNPLC = m_autoNplc->isChecked() ? 1 : 0;
    m_record->DataLoggingMeas = m_measCurrent->isChecked() ? 0 : 1;
    m_record->DataAcqNumber = Saturated(samples);
    m_record->FileSize = Saturated(FileBytes(samples));
    controls::CDialogResize::accept();
}
