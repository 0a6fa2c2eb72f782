#pragma once

#include "lumora/controls/DialogResize.h"

class QLabel;
class QLineEdit;

// Capture time and integration time of a current test, tested against the measuring instrument of the
// measure mode; the frame reads the values after OK.
class CQXDialogSettingsMeasCurr : public controls::CDialogResize {
public:
    enum : int {
        IDD = 125,
        IDC_CAPTURE_TIME = 1110,
        IDC_NPLC = 1111,
        IDC_STATIC_SUPPLY = 1118,
        IDC_STATIC_METER = 1119,
    };

    CQXDialogSettingsMeasCurr(double captureTime, double nplc, double lineFrequency, int measureMode,
                              QWidget* parent = nullptr);
    ~CQXDialogSettingsMeasCurr() override;

    double CaptureTime() const { return m_captureTime; }
    double Nplc() const { return m_nplc; }

    void accept() override;

private:
    double m_captureTime;
    double m_nplc;
    double m_lineFrequency;
    int m_measureMode;
    QLineEdit* m_editCapture = nullptr;
    QLineEdit* m_editNplc = nullptr;
};
