#pragma once

#include "waveform/prefdlg/PreferencesPageBase.h"

class CParameterWaveform;
class QLineEdit;
class QRadioButton;
class QWidget;
class CLimitEdit;

// The axis page: chart name, axis captions and zoom limits. Mode 1 (the two-axis window) shows the
// left axis too; its limits are taken as they are.
class CPrefPageWaveform : public CPreferencesPageBase {
public:
    enum : int {
        IDC_CHART_NAME = 55138,
        IDC_HORI_TEXT = 55134,
        IDC_HORI_MIN = 55130,
        IDC_HORI_MAX = 55132,
        IDC_UNIT_ADAPTIVE = 2001,
        IDC_UNIT_FIXED = 2000,
        IDC_VERT_TEXT = 55135,
        IDC_VERT_MIN = 55136,
        IDC_VERT_MAX = 55137,
        IDC_LEFT_GROUP = 2002,
        IDC_LEFT_TEXT = 55139,
        IDC_LEFT_MIN = 55140,
        IDC_LEFT_MAX = 55141,
    };

    CPrefPageWaveform(CParameterWaveform* record, int mode);
    ~CPrefPageWaveform() override;

    void SetDefaults() override;
    int ValidatePage() override;

protected:
    bool OnCreatePage() override;
    bool DoDataExchange(bool save) override;

private:
    CParameterWaveform* m_record;
    int m_mode;
    QLineEdit* m_chartName = nullptr;
    QLineEdit* m_horiText = nullptr;
    QLineEdit* m_vertText = nullptr;
    QLineEdit* m_leftText = nullptr;
    CLimitEdit* m_horiMin = nullptr;
    CLimitEdit* m_horiMax = nullptr;
    CLimitEdit* m_vertMin = nullptr;
    CLimitEdit* m_vertMax = nullptr;
    CLimitEdit* m_leftMin = nullptr;
    CLimitEdit* m_leftMax = nullptr;
    QRadioButton* m_unitAdaptive = nullptr;
    QRadioButton* m_unitFixed = nullptr;
    QWidget* m_leftGroup = nullptr;
};
