#pragma once

#include "ColorRef.h"

#include <QCursor>
#include <QFont>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <optional>

namespace controls {

// Header passed (as lParam) with the label's click notification to a parent that asked for it.
struct SLabelNotify {
    QWidget* from;
    int id;
    unsigned code;
};

// A static text with its own colours, a solid or gradient background, font attributes, 3-D, rotated
// or flashing text and web or mail link behaviour. Every setter returns the label for chaining.
class CQXStaticLabel : public QLabel {
public:
    // Static types and flags of the label's template style.
    enum : unsigned {
        SS_LEFT = 0x0,
        SS_CENTER = 0x1,
        SS_RIGHT = 0x2,
        SS_SIMPLE = 0xB,
        SS_LEFTNOWORDWRAP = 0xC,
        SS_TYPEMASK = 0x1F,
        SS_NOTIFY = 0x100,
        SS_CENTERIMAGE = 0x200,
    };
    static constexpr unsigned WM_NOTIFY = 0x004E;
    static constexpr unsigned kClickCode = 0x8200;
    static constexpr int kFlashTimerMs = 500;
    enum eLinkType { LinkNone = 0, LinkWeb = 1, LinkMail = 2 };
    enum eFlashType { FlashNone = 0, FlashText = 1, FlashBackground = 2 };

    explicit CQXStaticLabel(QWidget* parent = nullptr, unsigned style = SS_LEFT);
    ~CQXStaticLabel() override;

    CQXStaticLabel& SetLabelBackground(COLORREF color, COLORREF gradientColor = 0, int gradientType = 0);
    CQXStaticLabel& SetLabelTextColor(COLORREF color);
    CQXStaticLabel& SetLabelText(const QString& text);
    CQXStaticLabel& SetBoldFont(bool bold);
    CQXStaticLabel& SetFaceName(const QString& face);
    CQXStaticLabel& SetUnderlineFont(bool underline);
    CQXStaticLabel& SetItalicFont(bool italic);
    CQXStaticLabel& SetPointSize(int points);
    CQXStaticLabel& SetSunkenEdge(bool sunken);
    CQXStaticLabel& SetThinBorder(bool border);
    CQXStaticLabel& SetTransparentMode(bool transparent);
    CQXStaticLabel& StartTextFlash(bool on);
    CQXStaticLabel& StartBackgroundFlash(bool on);
    CQXStaticLabel& SetWebLink(bool link, bool notifyParent = false);
    CQXStaticLabel& SetHoverCursor(const QCursor& cursor);
    CQXStaticLabel& SetRelief(bool relief, bool raised = true);
    CQXStaticLabel& SetRotation(int degrees, bool rotation = true);
    CQXStaticLabel& SetReliefColor(COLORREF color);
    CQXStaticLabel& SetLogicalFont(const QFont& font);
    CQXStaticLabel& SetMailTo(bool link, bool notifyParent = false);
    CQXStaticLabel& SetWebLinkTarget(const QString& url);
    // An image shown in place of the text, over the background colour (none: the text is shown). No
    // label of the program has one.
    CQXStaticLabel& SetLabelImage(const QPixmap& image);

    unsigned Style() const { return m_style; }
    COLORREF TextColor() const { return m_textColor; }
    int LinkType() const { return m_linkType; }
    int FlashType() const { return m_flashType; }
    bool FlashPhase() const { return m_flashPhase; }
    bool IsFlashTimerRunning() const { return m_flashTimer.isActive(); }
    // Bands of the horizontal gradient for a label of the width.
    static int GradientBands(int width);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Redraw();
    // Remakes the drawing font from the logical font.
    CQXStaticLabel& ApplyFont();
    void OnFlashTimer();
    void StartFlash(bool on, eFlashType type);
    // The drawing colour of the text in the current flash phase.
    QColor PaintTextColor() const;
    QColor FaceColor() const;
    int TextFlags() const;

    unsigned m_style;
    COLORREF m_textColor;
    COLORREF m_reliefColor = RGB(255, 255, 255);
    std::optional<COLORREF> m_ownBrush;
    QFont m_logicalFont;
    QTimer m_flashTimer;
    bool m_flashPhase = false;
    int m_linkType = LinkNone;
    bool m_transparent = false;
    bool m_relief = false;
    bool m_raised = false;
    bool m_notifyParent = false;
    bool m_rotation = false;
    int m_rotationDegrees = 0;
    int m_flashType = FlashNone;
    bool m_sunken = false;
    bool m_thinBorder = false;
    int m_gradientType = 0;
    COLORREF m_gradientColor = 0;
    COLORREF m_backColor = 0;
    QPixmap m_image;
    QString m_linkUrl;
};

} // namespace controls
