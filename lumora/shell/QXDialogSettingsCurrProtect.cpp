#include "lumora/shell/QXDialogSettingsCurrProtect.h"

#include "lumora/LumoraStrings.h"
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
    auto* limitCaption = new QLabel(LoadString(IDS_CURRPROTECT_LIMIT), group);
    grid->addWidget(limitCaption, 0, 0);
    grid->addWidget(limit, 0, 1);
    limitCaption->hide();
    limit->hide();
    grid->addWidget(new QLabel(LoadString(IDS_CURRPROTECT_PROTECTION), group), 1, 0);
    grid->addWidget(protection, 1, 1);
    grid->addWidget(new QLabel(unit, group), 1, 2);
    return group;
}

} // namespace

CQXDialogSettingsCurrProtect::CQXDialogSettingsCurrProtect(CParameterInstruDCSource& record, QWidget* parent)
    : controls::CDialogResize(IDD, parent), m_record(record),
      m_voltageLimit(platform::WToF(record.VoltageLimit)),
      m_voltageProtection(platform::WToF(record.VoltageProtection)),
      m_currentLimit(platform::WToF(record.CurrentLimit)),
      m_currentProtection(platform::WToF(record.CurrentProtection)) {
    shell::RegisterSettingsStrings();
    setWindowTitle(LoadString(IDS_CURRPROTECT_TITLE));
    platform::SetControlId(this, IDD);
    auto show = [](double value) { return platform::FormatExact(value, 0); };
    m_editVoltageLimit = ValueEdit(show(m_voltageLimit), IDC_VOLTAGE_LIMIT, this);
    m_editVoltageProtection = ValueEdit(show(m_voltageProtection), IDC_VOLTAGE_PROTECTION, this);
    m_editCurrentLimit = ValueEdit(show(m_currentLimit), IDC_CURRENT_LIMIT, this);
    m_editCurrentProtection = ValueEdit(show(m_currentProtection), IDC_CURRENT_PROTECTION, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProtectionGroup(LoadString(IDS_CURRPROTECT_VOLTAGE), LoadString(IDS_UNIT_VOLTS),
                                      m_editVoltageProtection, m_editVoltageLimit, this));
    layout->addWidget(ProtectionGroup(LoadString(IDS_CURRPROTECT_CURRENT), LoadString(IDS_UNIT_AMPERES),
                                      m_editCurrentProtection, m_editCurrentLimit, this));
    auto* enable = new QCheckBox(LoadString(IDS_CURRPROTECT_ENABLE), this);
    platform::SetControlId(enable, IDC_ENABLE_CURRENT_PROTECTION);
    enable->hide();
    auto* reset = new QPushButton(LoadString(IDS_CURRPROTECT_RESET_OUTPUT), this);
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
    m_voltageLimit = voltageLimit;
    m_voltageProtection = voltageProtection;
    m_currentLimit = currentLimit;
    m_currentProtection = currentProtection;
    return true;
}

void CQXDialogSettingsCurrProtect::accept() {
    if (!TakeValues())
        return;
    // The numbers as typed, to the last digit.
    m_record.VoltageLimit = platform::FormatExact(m_voltageLimit, 0);
    m_record.VoltageProtection = platform::FormatExact(m_voltageProtection, 0);
    m_record.CurrentLimit = platform::FormatExact(m_currentLimit, 0);
    m_record.CurrentProtection = platform::FormatExact(m_currentProtection, 0);
    controls::CDialogResize::accept();
}
