#pragma once

#include "waveform/prefdlg/PreferencesDlgBase.h"

struct MainPreferences;
class CPrefMainPageData;
class CPrefMainPageGen;

// The main preferences dialog: the general page and the data page edit the record in place.
class CPrefDlgMain : public CPreferencesDlgBase {
public:
    enum : int { IDC_APPLY = 55108, IDI_DIALOG = 55219 };

    explicit CPrefDlgMain(MainPreferences* record, QWidget* parent = nullptr);
    ~CPrefDlgMain() override;

protected:
    QString CaptionOf(const QString& path) const override;

private:
    MainPreferences* m_record;
    CPrefMainPageGen* m_pageGen;
    CPrefMainPageData* m_pageData;
};
