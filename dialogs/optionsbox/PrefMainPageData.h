#pragma once

#include "lumora/core/MainPreferences.h"
#include "waveform/prefdlg/PreferencesPageBase.h"

class QComboBox;
class QLineEdit;
class QScrollBar;

// The data page: decimals of measured values and the two bounds of exponent notation.
class CPrefMainPageData : public CPreferencesPageBase {
public:
    enum : int {
        IDC_DIGITS = 1050,
        IDC_DIGITS_SPIN = 1051,
        IDC_LITTLE = 1053,
        IDC_BIG = 1054,
        IDC_MANTISSA = 1055,
    };
    // The most decimals a measured value is written with: the arrows' range and the edit's limit.
    static constexpr int kDigitsMax = kMaxValueDigits;

    explicit CPrefMainPageData(MainPreferences* record);
    ~CPrefMainPageData() override;

    void SetDefaults() override;
    int ValidatePage() override;

protected:
    bool OnCreatePage() override;
    bool DoDataExchange(bool save) override;

private:
    MainPreferences* m_record;
    QLineEdit* m_digits = nullptr;
    QScrollBar* m_spin = nullptr;
    QComboBox* m_little = nullptr;
    QComboBox* m_big = nullptr;
};
