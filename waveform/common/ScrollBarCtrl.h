#pragma once

#include "platform/MessageTarget.h"
#include "waveform/common/AxisScrollBar.h"

#include <QPolygon>
#include <QRect>
#include <QTimer>
#include <QWidget>

// Scroll bar of a plot axis: shows which part of the axis' full range is visible and moves that part.
// It works on real ranges and lets the visible part leave the full range. Every change is reported to
// the owner with WM_USER+0x6D (wParam: 1 vertical bar, 0 horizontal; lParam: the code).
class CScrollBarCtrl : public QWidget, public CAxisScrollBar {
public:
    static constexpr platform::UINT kNotifyMessage = platform::WM_USER + 0x6D;
    static constexpr platform::LPARAM kCodeMoved = 224;
    static constexpr platform::LPARAM kCodeResetPressed = 513;
    static constexpr platform::LPARAM kCodeResetDoubleClicked = 515;

    enum ePart {
        ePartNone = 0,
        ePartFirstArrow = 1,
        ePartSecondArrow = 2,
        ePartResetPressed = 4,
        ePartResetDouble = 5
    };

    explicit CScrollBarCtrl(QWidget* parent = nullptr);
    ~CScrollBarCtrl() override;

    void SetNotifyTarget(platform::CMessageTarget* target) { m_target = target; }
    // Bars of a frame with two vertical bars tell which one they are: lParam then points to a block of
    // three ints (not used, the control id, the code), valid during the call.
    void SetNotifyControlId(int controlId) {
        m_controlId = controlId;
        m_notifyBlock = true;
    }
    void SetVertical(int vertical);
    int IsVertical() const { return m_vertical; }

    void SetFullRange(double min, double max) override;
    void SetVisibleRange(double min, double max) override;
    double FullMin() const { return m_fullMin; }
    double FullMax() const { return m_fullMax; }
    double VisibleMin() const override { return m_visibleMin; }
    double VisibleMax() const override { return m_visibleMax; }

    // Layout parts, for the owner's tests of what the user sees and presses.
    QRect FirstArrowRect() const { return m_firstArrow; }
    QRect SecondArrowRect() const { return m_secondArrow; }
    QRect ResetRect() const { return m_reset; }
    QRect TrackRect() const { return m_track; }
    // The thumb's extent along the track for the present ranges.
    virtual QRect ThumbRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

protected:
    // Moves the visible range by a fraction of its span, towards the first arrow's end when up; arrow
    // tells a press or repeat of an arrow from a drag. The moved range is reported.
    virtual void Step(double fraction, bool up, bool arrow);
    void Notify(platform::LPARAM code);

private:
    void Layout();
    void OnRepeatDelay();
    void OnRepeat();

    platform::CMessageTarget* m_target = nullptr;
    int m_vertical = 0;
    int m_controlId = 0;
    bool m_notifyBlock = false;
    QRect m_client, m_firstArrow, m_secondArrow, m_reset, m_track;
    QPolygon m_firstTriangle, m_secondTriangle;
    int m_pressed = ePartNone;
    int m_capture = 0;
    int m_lastX = 0, m_lastY = 0;
    double m_fullMax = 1.0, m_fullMin = 0.0, m_visibleMax = 1.0, m_visibleMin = 0.0;
    double m_fullSpan = 1.0, m_visibleSpan = 1.0;
    QTimer m_timer1, m_timer2;
};
