#pragma once

#include "platform/MessageTarget.h"
#include "waveform/common/ColorRef.h"
#include "waveform/prefdlg/PreferencesPageBase.h"

class CColorButton;
class CColorPickerCBLineStyle;
class CColorPickerCBLineWidth;
class CParameterWaveform;
class QComboBox;

// The colour page: axis colours, axis pen, background, point style and the four curves' colours and
// widths. The curve being edited is kept on the page and stored into the record whenever another
// curve is selected, however the selection changes.
class CPrefPageWfColor : public CPreferencesPageBase, public platform::CMessageTarget {
public:
    enum : int {
        IDC_CURVE_COLOUR = 5000,
        IDC_CURVE = 5001,
        IDC_AXIS_WIDTH = 5002,
        IDC_AXIS_COLOUR = 5003,
        IDC_AXIS_STYLE = 5005,
        IDC_TEXT_COLOUR = 5006,
        IDC_BACK_COLOUR = 5007,
        IDC_CURVE_WIDTH = 5008,
        IDC_POINT_STYLE = 5011,
    };

    explicit CPrefPageWfColor(CParameterWaveform* record);
    ~CPrefPageWfColor() override;

    void SetDefaults() override;
    int ValidatePage() override;
    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override;

protected:
    bool OnCreatePage() override;
    bool DoDataExchange(bool save) override;

private:
    void OnCurveChanged(int index);
    // The page's colour and width into the edited curve, and back.
    void StoreCurve();
    void LoadCurve();
    bool CurveInRange() const;

    CParameterWaveform* m_record;
    CColorButton* m_axisColour = nullptr;
    CColorButton* m_textColour = nullptr;
    CColorButton* m_backColour = nullptr;
    CColorButton* m_curveColour = nullptr;
    CColorPickerCBLineStyle* m_axisStyle = nullptr;
    CColorPickerCBLineWidth* m_axisWidth = nullptr;
    CColorPickerCBLineWidth* m_curveWidth = nullptr;
    QComboBox* m_pointStyle = nullptr;
    QComboBox* m_curve = nullptr;
    int m_curveIndex = 0;
    COLORREF m_lineColour = 0;
    int m_lineWidth = 1;
};
