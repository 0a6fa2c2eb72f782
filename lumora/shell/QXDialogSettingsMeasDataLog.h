#pragma once

#include "lumora/controls/DialogResize.h"

#include <QString>

class CParameterMeasDataLogging;
class QCheckBox;
class QLineEdit;
class QRadioButton;

// Duration and integration time of a data-logging run, with the number of samples and the file size
// they give; tested against the measuring instrument of the measure mode and written into the
// data-logging block on OK.
class CQXDialogSettingsMeasDataLog : public controls::CDialogResize {
public:
    enum : int {
        IDD = 126,
        IDC_NPLC = 1111,
        IDC_SECOND = 1112,
        IDC_HOUR = 1113,
        IDC_MINUTE = 1114,
        IDC_AUTO_NPLC = 1115,
        IDC_SAMPLES = 1116,
        IDC_FILE_SIZE = 1117,
        IDC_STATIC_SUPPLY = 1118,
        IDC_STATIC_METER = 1119,
        IDC_MEAS_CURRENT = 1120,
        IDC_MEAS_VOLTAGE_CURRENT = 1121,
    };

    CQXDialogSettingsMeasDataLog(CParameterMeasDataLogging* record, double nplc, double lineFrequency,
                                 int measureMode, QWidget* parent = nullptr);
    ~CQXDialogSettingsMeasDataLog() override;

    double Nplc() const { return m_nplc; }

    void accept() override;

private:
    // The sample count and file size of the values typed so far; "---" while one does not parse.
    void UpdateSampleFields();

    CParameterMeasDataLogging* m_record;
    double m_nplc;
    double m_lineFrequency;
    int m_measureMode;
    QLineEdit* m_editHour = nullptr;
    QLineEdit* m_editMinute = nullptr;
    QLineEdit* m_editSecond = nullptr;
    QLineEdit* m_editNplc = nullptr;
    QCheckBox* m_autoNplc = nullptr;
    QRadioButton* m_measCurrent = nullptr;
    QLineEdit* m_samples = nullptr;
    QLineEdit* m_fileSize = nullptr;
};
