#pragma once

#include "ColorRef.h"

#include <QPixmap>
#include <QPushButton>
#include <functional>

namespace platform {
class CMessageTarget;
}

namespace controls {

// A push button that paints an image beside or above its caption, changes colours and image as the
// mouse passes over it, can behave as a check box, carries a tooltip and can open a link.
class CButtonST : public QPushButton {
public:
    // Button styles as the templates give them (the low five bits are the button type).
    enum : unsigned {
        BS_PUSHBUTTON = 0x0,
        BS_DEFPUSHBUTTON = 0x1,
        BS_CHECKBOX = 0x2,
        BS_AUTOCHECKBOX = 0x3,
        BS_OWNERDRAW = 0xB,
        BS_TYPEMASK = 0x1F,
    };
    enum eColor {
        BTNST_COLOR_BK_IN = 0,
        BTNST_COLOR_FG_IN,
        BTNST_COLOR_BK_OUT,
        BTNST_COLOR_FG_OUT,
        BTNST_COLOR_BK_FOCUS,
        BTNST_COLOR_FG_FOCUS,
        BTNST_MAX_COLORS
    };
    enum eAlign { ST_ALIGN_HORIZ = 0, ST_ALIGN_VERT = 1, ST_ALIGN_HORIZ_RIGHT = 2 };
    // What the out (normal state) image is when no own image is given.
    enum class eOutIcon { Same, Grayscale, Darker };
    // lParam of the menu callback message.
    static constexpr long kMenuCallbackCode = 291;

    // style is the button's template style: a check-box type makes a check-like button.
    explicit CButtonST(QWidget* parent = nullptr, unsigned style = BS_PUSHBUTTON);
    ~CButtonST() override;

    // The in image is shown while hovered or pressed, the out image otherwise. Returns 0, or 1 when
    // the in image is empty (no image is kept then).
    int SetIcons(const QPixmap& in, const QPixmap& out = QPixmap());
    int SetIcons(const QPixmap& in, eOutIcon out);
    QPixmap IconIn() const { return m_iconIn; }
    QPixmap IconOut() const { return m_iconOut; }
    // Bitmaps instead of icons: pixels of the transparency colour are not drawn (CLR_UNSET: every
    // pixel is). The out bitmap may be null (the in bitmap in every state). A disabled button draws
    // an embossed monochrome copy. Returns 0, or 1 when the in bitmap is empty.
    int SetBitmaps(const QImage& in, COLORREF transparentIn, const QImage& out = QImage(),
                   COLORREF transparentOut = CLR_UNSET);
    QPixmap BitmapIn() const { return m_bitmapIn; }

    // Sounds of the hover and the click: a sound file or a name the player knows; empty: none.
    void SetSound(const QString& sound, bool onClick);
    // Who plays the sounds of every button (a test's recorder, or the system's player).
    using SoundPlayer = std::function<void(const QString&)>;
    static void SetSoundPlayer(SoundPlayer player);

    // Gaps: x between the edge and the image and between image and caption, y from the top edge.
    void SetMargins(int marginX, int marginY);
    int MarginX() const { return m_marginX; }
    int MarginY() const { return m_marginY; }

    void SetColor(eColor index, COLORREF color, bool repaint = true);
    COLORREF GetColor(eColor index) const { return m_colors[index]; }
    void SetDefaultColors(bool repaint = true);
    // Raises the hover background by 30 on each channel, less when a channel would pass 255.
    void BrightenBackColor();

    // Creates and activates the tooltip; a null text changes nothing. Lines wider than the tooltip's
    // width are broken between words.
    void SetTooltipText(const QString& text);
    static constexpr int kTooltipMaxWidth = 400;

    void SetFlat(bool flat = true, bool repaint = true);
    bool IsFlat() const { return m_flat; }
    void DrawBorder(bool enable = true, bool repaint = true);
    void DrawFlatFocus(bool drawFlatFocus, bool repaint = true);
    void SetAlwaysTrack(bool alwaysTrack = true) { m_alwaysTrack = alwaysTrack; }
    void DrawTransparent(bool transparent = true);
    void SetAlign(eAlign align, bool repaint = true);
    void SetBtnCursor(const QCursor& cursor);
    // Opened on click when the button is neither check-like nor has a menu callback.
    void SetURL(const QString& url) { m_url = url.left(260); }
    // Clicks tell the target by the message (wParam: screen left in the low word, bottom in the high word).
    void SetMenuCallback(platform::CMessageTarget* target, unsigned message);

    // The template style change of a push button: default or plain push type.
    void SetButtonStyle(unsigned style);
    bool IsDefaultButton() const { return m_isDefault; }
    bool IsCheckBox() const { return m_isCheckBox; }
    // Check state of a check-like button: 1 or 2 checks, anything else clears.
    void SetCheck(int check);
    int GetCheck() const;
    bool IsHovered() const { return m_hover; }

protected:
    // Paint steps, in the order the button draws itself.
    virtual void DrawItem(QPainter& painter);
    virtual void PaintBackground(QPainter& painter, const QRect& rect);
    virtual void PaintBorder(QPainter& painter, const QRect& rect);
    virtual void PaintIcon(QPainter& painter, const QString& caption, const QRect& client,
                           QRect& captionRect);
    virtual void PaintBitmap(QPainter& painter, const QString& caption, const QRect& client,
                             QRect& captionRect);
    virtual void PaintCaption(QPainter& painter, const QString& caption, QRect captionRect);

    bool IsPressedState() const { return m_isPressed; }
    bool IsFocusedState() const { return m_isFocused; }
    bool IsDisabledState() const { return m_isDisabled; }
    bool DrawsFlatBorder() const { return m_drawBorder; }

    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnClicked();
    void BeginHover();
    void EndHover();
    void FreeIcons();
    void PlaySound(const QString& sound) const;
    // Where an image of the size stands, and what is left of the client for the caption.
    QPoint ImagePosition(const QSize& size, const QString& caption, const QRect& client,
                         QRect& captionRect) const;
    // The image of the state: out when given and the button is neither pressed nor hovered (check
    // box: not checked), else in.
    const QPixmap& StateImage(const QPixmap& in, const QPixmap& out) const;

    int m_marginX = 3;
    int m_marginY = 3;
    int m_pressedOffsetX = 1;
    int m_pressedOffsetY = 1;
    bool m_flat = true;
    bool m_drawBorder = true;
    bool m_flatFocus = false;
    bool m_hover = false;
    bool m_alwaysTrack = false;
    bool m_transparent = false;
    bool m_isPressed = false;
    bool m_isFocused = false;
    bool m_isDisabled = false;
    bool m_isDefault = false;
    bool m_isCheckBox = false;
    bool m_checked = false;
    bool m_menuShown = false;
    eAlign m_align = ST_ALIGN_HORIZ;
    unsigned m_buttonType = 31;
    COLORREF m_colors[BTNST_MAX_COLORS] = {};
    QPixmap m_iconIn;
    QPixmap m_iconOut;
    QPixmap m_bitmapIn;
    QPixmap m_bitmapOut;
    QString m_hoverSound;
    QString m_clickSound;
    QString m_url;
    platform::CMessageTarget* m_menuTarget = nullptr;
    unsigned m_menuMessage = 0;
};

// Copies of an image for the normal state: gray by luminance, or each channel lowered by the factor
// (a factor of 1 or more leaves the colours as they are). Black pixels stay black; alpha is kept.
QImage GrayscaleImage(const QImage& image);
QImage DarkerImage(const QImage& image, double factor = 0.25);
// The embossed look of a disabled bitmap: its dark opaque pixels drawn once in the light colour one
// pixel down and right, then in the shadow colour in place.
QImage DisabledBitmapImage(const QImage& image, const QColor& light, const QColor& shadow);
// The text broken between words (anywhere in a word wider than the width) so that no line is wider.
QString WrapToWidth(const QString& text, const QFontMetrics& metrics, int width);

} // namespace controls
