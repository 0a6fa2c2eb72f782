#pragma once

#include "lumora/controls/DialogResize.h"

#include <QString>

class CParameterInstruDCSource;
class QLineEdit;

// The DC source's protection dialog: voltage and current protection levels (and the limits, kept in
// hidden edits), written back into the record on OK. Any number is taken: the supply itself says
// which it refuses when it is programmed.
class CQXDialogSettingsCurrProtect : public controls::CDialogResize {
public:
    enum : int {
        IDD = 124,
        IDC_CURRENT_PROTECTION = 1109,
        IDC_VOLTAGE_PROTECTION = 1110,
        IDC_VOLTAGE_LIMIT = 1111,
        IDC_CURRENT_LIMIT = 1112,
        // In the template but never shown or read.
        IDC_ENABLE_CURRENT_PROTECTION = 1108,
        IDC_RESET_OUTPUT_PROTECTION = 3,
    };

    CQXDialogSettingsCurrProtect(CParameterInstruDCSource& record, QWidget* parent = nullptr);
    ~CQXDialogSettingsCurrProtect() override;

    double VoltageLimit() const { return m_voltageLimit; }
    double VoltageProtection() const { return m_voltageProtection; }
    double CurrentLimit() const { return m_currentLimit; }
    double CurrentProtection() const { return m_currentProtection; }

    void accept() override;

private:
    bool TakeValues();

    CParameterInstruDCSource& m_record;
    double m_voltageLimit;
    double m_voltageProtection;
    double m_currentLimit;
    double m_currentProtection;
    QLineEdit* m_editVoltageLimit = nullptr;
    QLineEdit* m_editVoltageProtection = nullptr;
    QLineEdit* m_editCurrentLimit = nullptr;
    QLineEdit* m_editCurrentProtection = nullptr;
};
