#pragma once

#include "waveform/prefdlg/PreferencesPageBase.h"

class CParameterWaveform;
class QLineEdit;
class QRadioButton;
class QWidget;
namespace controls {
class CDigEdit;
}

// The axis page: chart name, axis captions and zoom limits. Mode 1 (the two-axis window) shows the
// left axis too and checks its limits.
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
    controls::CDigEdit* m_horiMin = nullptr;
    controls::CDigEdit* m_horiMax = nullptr;
    controls::CDigEdit* m_vertMin = nullptr;
    controls::CDigEdit* m_vertMax = nullptr;
    controls::CDigEdit* m_leftMin = nullptr;
    controls::CDigEdit* m_leftMax = nullptr;
    QRadioButton* m_unitAdaptive = nullptr;
    QRadioButton* m_unitFixed = nullptr;
    QWidget* m_leftGroup = nullptr;
};
