#pragma once

#include "platform/MessageTarget.h"
#include "waveform/common/ColorRef.h"

#include <QPushButton>

// A button showing a colour that drops down a palette (CColourPopup). It tells the nearest ancestor
// that takes messages what happens: wParam the colour, lParam the button's control id. "Automatic"
// stands for the button's default colour, and the button hands out that colour, never the marker.
class CColorButton : public QPushButton {
public:
    static constexpr COLORREF CLR_DEFAULT = 0xFF000000;
    static constexpr platform::UINT CPN_SELCHANGE = platform::WM_USER + 1001;
    static constexpr platform::UINT CPN_DROPDOWN = platform::WM_USER + 1002;
    static constexpr platform::UINT CPN_CLOSEUP = platform::WM_USER + 1003;
    static constexpr platform::UINT CPN_SELENDOK = platform::WM_USER + 1004;
    static constexpr platform::UINT CPN_SELENDCANCEL = platform::WM_USER + 1005;

    explicit CColorButton(QWidget* parent = nullptr);
    ~CColorButton() override;

    // The colour shown; CLR_DEFAULT selects the default colour.
    void SetColour(COLORREF colour);
    COLORREF GetColour() const { return m_automatic ? m_defaultColour : m_colour; }
    bool IsAutomatic() const { return m_automatic; }
    void SetDefaultColour(COLORREF colour);
    COLORREF GetDefaultColour() const { return m_defaultColour; }
    // The colour follows the one under the mouse while the popup is open.
    void SetTrackSelection(bool track) { m_trackSelection = track; }
    bool IsPopupOpen() const { return m_popupOpen; }

    // From the popup: one of the CPN_ messages with its colour (CLR_DEFAULT for "Automatic").
    void OnPopupMessage(platform::UINT message, COLORREF colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnClicked();
    void Notify(platform::UINT message, COLORREF colour);
    COLORREF Resolve(COLORREF colour) const { return colour == CLR_DEFAULT ? m_defaultColour : colour; }

    COLORREF m_colour = 0;
    COLORREF m_defaultColour;
    bool m_automatic = true;
    // The popup's two boxes, in the language shown: "Automatic" and "More Colors..." in English.
    QString m_defaultText;
    QString m_customText;
    bool m_popupOpen = false;
    bool m_trackSelection = false;
};
