#pragma once

#include "ColorRef.h"

#include <QFont>
#include <QLabel>
#include <QPixmap>
#include <QStringList>
#include <functional>

class QRubberBand;

namespace controls {

// An owner-drawn static: a solid colour, a two-colour gradient or a stretched picture, with
// word-wrapped, optionally 3-D text on top.
class CxStatic : public QLabel {
public:
    // Style bits that decide the text format.
    enum : unsigned {
        SS_CENTER = 0x1,
        SS_RIGHT = 0x2,
        SS_TYPEMASK = 0x1F,
        SS_NOPREFIX = 0x80,
        SS_CENTERIMAGE = 0x200,
        SS_ENDELLIPSIS = 0x4000,
        SS_PATHELLIPSIS = 0x8000,
        SS_WORDELLIPSIS = 0xC000,
        SS_ELLIPSISMASK = 0xC000,
    };
    // Auto shrink stops here, so a long text in a small control stays readable.
    static constexpr int kMinFontSize = 6;

    explicit CxStatic(QWidget* parent = nullptr, unsigned style = 0);
    ~CxStatic() override;

    // Shows the picture stretched over the control and resizes the control to width x height.
    void SetBitmap(const QPixmap& bitmap, int width, int height);
    // A font of the face, pixel height and weight (100-900; 0 normal).
    void SetFont(const QString& face, int height, int weight);
    void SetFont(const QFont& font);

    void SetTransparent(bool transparent);
    void SetAutoShrink(bool autoShrink);
    void SetWordWrap(bool wordWrap);
    void SetTextColor(COLORREF color);
    void SetBkColor(COLORREF color);
    // 0 solid, 1 horizontal, any other value vertical; colour 1 at the far edge, colour 2 at the near one.
    void SetGradient(int gradient, COLORREF color1, COLORREF color2);
    void Set3DText(bool on, bool raised = true);

    bool HasBitmap() const { return m_hasBitmap; }
    int FontSize() const { return m_fontSize; }
    const QFont& DrawFont() const { return m_font; }
    unsigned Style() const { return m_style; }

    // Tracking mode 1 lets the user place the control with the right mouse button: dragging its
    // body moves it, dragging near its right or bottom edge sizes it, and with Ctrl held a rubber
    // band drawn in the parent gives its new rectangle. Mode 0 (the default) leaves it where it is.
    void SetTrackingMode(int mode) { m_trackingMode = mode; }
    int TrackingMode() const { return m_trackingMode; }
    static constexpr int kTrackerHandle = 6;

    using MeasureFn = std::function<int(const QString&)>;
    // The text's lines for a rectangle of the width, as the control draws them. A line break is a CR
    // and an LF in either order; a line that does not fit is cut at its last blank, and holds at
    // least one character even when that character alone is wider than the rectangle.
    static QStringList SplitLines(const QString& text, int width, const MeasureFn& measure);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class eTrack { None, Move, SizeRight, SizeBottom, SizeCorner, Band };

    void RebuildFont();
    int TextFlags() const;

    unsigned m_style;
    bool m_transparent = false;
    bool m_autoShrink = false;
    bool m_wordWrap = true;
    COLORREF m_textColor;
    int m_gradient = 0;
    COLORREF m_backColor;
    COLORREF m_gradientColor1;
    COLORREF m_gradientColor2;
    bool m_hasBitmap = false;
    QPixmap m_bitmap;
    QString m_face;
    int m_weight = 0;
    bool m_3dText = false;
    bool m_3dRaised = false;
    int m_fontSize = 8;
    QFont m_font;
    int m_trackingMode = 0;
    eTrack m_track = eTrack::None;
    QPoint m_trackStart; // in the parent's coordinates
    QRect m_trackGeometry;
    QRubberBand* m_band = nullptr;
};

} // namespace controls
