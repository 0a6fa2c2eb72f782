#pragma once

#include "waveform/prefdlg/PreferencesPageBase.h"

struct MainPreferences;
class QCheckBox;
class QLineEdit;
class QPushButton;

// The general page: configuration file, log and data folders with their switches, and the
// data-logging refresh interval.
class CPrefMainPageGen : public CPreferencesPageBase {
public:
    enum : int {
        IDC_CONFIG_PATH = 55143,
        IDC_CONFIG_BROWSE = 55146,
        IDC_AUTOSAVE_CURR = 55128,
        IDC_PATH_CURR = 55144,
        IDC_BROWSE_CURR = 55147,
        IDC_AUTOSAVE_DLOG = 55238,
        IDC_PATH_DLOG = 55152,
        IDC_BROWSE_DLOG = 55153,
        IDC_REFRESH = 55239,
        IDC_SAVE_LOG = 55127,
        IDC_LOG_PATH = 55142,
        IDC_BROWSE_LOG = 55145,
        IDC_AUTOSAVE_VOLT = 55236,
        IDC_PATH_VOLT = 55148,
        IDC_BROWSE_VOLT = 55149,
        IDC_AUTOSAVE_CCDF = 55237,
        IDC_PATH_CCDF = 55150,
        IDC_BROWSE_CCDF = 55151,
        // The groups' icons.
        IDI_CONFIG = 55230,
        IDI_CURRENT = 55242,
        IDI_DATA_LOGGING = 55210,
        IDI_LOG = 55243,
    };
    static constexpr int kRefreshMin = 2;
    static constexpr int kRefreshMax = 100;

    explicit CPrefMainPageGen(MainPreferences* record);
    ~CPrefMainPageGen() override;

    void SetDefaults() override;
    int ValidatePage() override;

protected:
    bool OnCreatePage() override;
    bool DoDataExchange(bool save) override;

private:
    void OnBrowseConfig();
    void OnBrowseFolder(QString MainPreferences::*field);

    MainPreferences* m_record;
    QLineEdit* m_configPath = nullptr;
    QCheckBox* m_autoSaveCurr = nullptr;
    QLineEdit* m_pathCurr = nullptr;
    QCheckBox* m_autoSaveDlog = nullptr;
    QLineEdit* m_pathDlog = nullptr;
    QLineEdit* m_refresh = nullptr;
    QCheckBox* m_saveLog = nullptr;
    QLineEdit* m_logPath = nullptr;
    QCheckBox* m_autoSaveVolt = nullptr;
    QLineEdit* m_pathVolt = nullptr;
    QCheckBox* m_autoSaveCcdf = nullptr;
    QLineEdit* m_pathCcdf = nullptr;
};
