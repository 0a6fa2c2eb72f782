#include "lumora/shell/QXDialogSettingsCurrProtect.h"

#include "common/xmlfile/TextHelpers.h"
#include "lumora/core/ParameterInstruDCSource.h"
#include "lumora/shell/DialogData.h"
#include "platform/ControlId.h"
#include "platform/Numbers.h"
#include "platform/StringTable.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

using platform::LoadString;

QLineEdit* ValueEdit(const QString& text, int id, QWidget* parent) {
    auto* edit = new QLineEdit(text, parent);
    platform::SetControlId(edit, id);
    return edit;
}

// One protection group: the shown protection edit with its unit and the hidden limit edit.
QGroupBox* ProtectionGroup(const QString& title, const QString& unit, QLineEdit* protection, QLineEdit* limit,
                           QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    auto* grid = new QGridLayout(group);
    auto* limitCaption = new QLabel(LoadString(34811), group);
    grid->addWidget(limitCaption, 0, 0);
    grid->addWidget(limit, 0, 1);
    limitCaption->hide();
    limit->hide();
    grid->addWidget(new QLabel(LoadString(34812), group), 1, 0);
    grid->addWidget(protection, 1, 1);
    grid->addWidget(new QLabel(unit, group), 1, 2);
    return group;
}

} // namespace

CQXDialogSettingsCurrProtect::SRating CQXDialogSettingsCurrProtect::RatingOf(const QString& identification) {
    if (identification.contains(QStringLiteral("2280S-32-6")))
        return {32.0, 6.0};
    if (identification.contains(QStringLiteral("2280S-60-3")))
        return {60.0, 3.2};
    return {60.0, 6.0};
}

CQXDialogSettingsCurrProtect::CQXDialogSettingsCurrProtect(CParameterInstruDCSource& record, QWidget* parent)
    : controls::CDialogResize(IDD, parent), m_record(record), m_rating(RatingOf(record.InstrumentIDN)),
      m_voltageLimit(platform::WToF(record.VoltageLimit)),
      m_voltageProtection(platform::WToF(record.VoltageProtection)),
      m_currentLimit(platform::WToF(record.CurrentLimit)),
      m_currentProtection(platform::WToF(record.CurrentProtection)) {
    shell::RegisterSettingsStrings();
    setWindowTitle(LoadString(34810));
    platform::SetControlId(this, IDD);
    auto show = [](double value) { return FormatDouble(-1, value); };
    m_editVoltageLimit = ValueEdit(show(m_voltageLimit), IDC_VOLTAGE_LIMIT, this);
    m_editVoltageProtection = ValueEdit(show(m_voltageProtection), IDC_VOLTAGE_PROTECTION, this);
    m_editCurrentLimit = ValueEdit(show(m_currentLimit), IDC_CURRENT_LIMIT, this);
    m_editCurrentProtection = ValueEdit(show(m_currentProtection), IDC_CURRENT_PROTECTION, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProtectionGroup(LoadString(34813), LoadString(34815), m_editVoltageProtection,
                                      m_editVoltageLimit, this));
    layout->addWidget(ProtectionGroup(LoadString(34814), LoadString(34816), m_editCurrentProtection,
                                      m_editCurrentLimit, this));
    auto* enable = new QCheckBox(LoadString(34863), this);
    platform::SetControlId(enable, IDC_ENABLE_CURRENT_PROTECTION);
    enable->hide();
    auto* reset = new QPushButton(LoadString(34864), this);
    platform::SetControlId(reset, IDC_RESET_OUTPUT_PROTECTION);
    reset->setAutoDefault(false);
    reset->hide();
    shell::AddOkCancel(this, layout);
}

CQXDialogSettingsCurrProtect::~CQXDialogSettingsCurrProtect() = default;

bool CQXDialogSettingsCurrProtect::TakeValues() {
    double voltageLimit = 0, voltageProtection = 0, currentLimit = 0, currentProtection = 0;
    if (!shell::GetDouble(m_editVoltageLimit, voltageLimit) ||
        !shell::GetDouble(m_editVoltageProtection, voltageProtection) ||
        !shell::GetDouble(m_editCurrentLimit, currentLimit) ||
        !shell::GetDouble(m_editCurrentProtection, currentProtection))
        return false;
    // The protection levels become the bounds of the panes' edits: a level of 0 or less, or above
    // what the supply can deliver, is refused here rather than by the instrument later.
    struct SCheck {
        double value;
        double rating;
        int name;
        int unit;
        QLineEdit* edit;
    };
    const SCheck checks[] = {
        {voltageProtection, m_rating.volts, 34817, 34815, m_editVoltageProtection},
        {currentProtection, m_rating.amperes, 34818, 34816, m_editCurrentProtection},
    };
    for (const SCheck& check : checks) {
        if (check.value > 0.0 && check.value <= check.rating)
            continue;
        shell::StopMessage(LoadString(34819).arg(LoadString(check.name), FormatDouble(-1, check.rating),
                                                 LoadString(check.unit)));
        shell::FocusEdit(check.edit);
        return false;
    }
    m_voltageLimit = voltageLimit;
    m_voltageProtection = voltageProtection;
    m_currentLimit = currentLimit;
    m_currentProtection = currentProtection;
    return true;
}

void CQXDialogSettingsCurrProtect::accept() {
    if (!TakeValues())
        return;
    m_record.VoltageLimit = FormatDouble(-1, m_voltageLimit);
    m_record.VoltageProtection = FormatDouble(-1, m_voltageProtection);
    m_record.CurrentLimit = FormatDouble(-1, m_currentLimit);
    m_record.CurrentProtection = FormatDouble(-1, m_currentProtection);
    controls::CDialogResize::accept();
}
