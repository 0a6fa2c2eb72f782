#pragma once

#include "waveform/prefdlg/PreferencesPageBase.h"

struct MainPreferences;
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
    // The range of the decimals' arrows; the edit takes any whole number.
    static constexpr int kDigitsMax = 15;

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
