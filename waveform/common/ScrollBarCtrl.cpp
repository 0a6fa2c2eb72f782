#include "waveform/common/ScrollBarCtrl.h"

#include "waveform/common/ColorRef.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace {

constexpr COLORREF kFace = 0xDBD3C3;
constexpr COLORREF kShadow = 0x9B9383;

QColor C(COLORREF c) {
    return waveform::ToQColor(c);
}

// A one-pixel frame: top and left in one colour, bottom and right in the other.
void Draw3dRect(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    if (r.width() <= 0 || r.height() <= 0)
        return;
    p.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), topLeft);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
}

// r less s where what remains is one rectangle (s reaches across r at one of its ends), else r as it
// is; nothing when s covers r.
QRect SubtractRect(const QRect& r, const QRect& s) {
    const QRect i = r & s;
    if (i.isEmpty())
        return r;
    if (i == r)
        return QRect();
    if (i.left() == r.left() && i.right() == r.right()) {
        if (i.top() == r.top())
            return QRect(QPoint(r.left(), i.bottom() + 1), r.bottomRight());
        if (i.bottom() == r.bottom())
            return QRect(r.topLeft(), QPoint(r.right(), i.top() - 1));
    }
    if (i.top() == r.top() && i.bottom() == r.bottom()) {
        if (i.left() == r.left())
            return QRect(QPoint(i.right() + 1, r.top()), r.bottomRight());
        if (i.right() == r.right())
            return QRect(r.topLeft(), QPoint(i.left() - 1, r.bottom()));
    }
    return r;
}

void DrawDoubleFrame(QPainter& p, const QRect& r) {
    Draw3dRect(p, r, C(kFace), Qt::black);
    Draw3dRect(p, r.adjusted(1, 1, -1, -1), Qt::white, C(kShadow));
}

} // namespace

CScrollBarCtrl::CScrollBarCtrl(QWidget* parent) : QWidget(parent) {
    m_timer1.setSingleShot(true);
    m_timer1.setInterval(100);
    m_timer2.setInterval(10);
    connect(&m_timer1, &QTimer::timeout, this, &CScrollBarCtrl::OnRepeatDelay);
    connect(&m_timer2, &QTimer::timeout, this, &CScrollBarCtrl::OnRepeat);
}

CScrollBarCtrl::~CScrollBarCtrl() = default;

void CScrollBarCtrl::SetVertical(int vertical) {
    m_vertical = vertical ? 1 : 0;
    Layout();
    update();
}

void CScrollBarCtrl::SetFullRange(double min, double max) {
    m_fullMin = min;
    m_fullMax = max;
    m_fullSpan = max - min;
}

void CScrollBarCtrl::SetVisibleRange(double min, double max) {
    m_visibleMin = min;
    m_visibleMax = max;
    m_visibleSpan = max - min;
}

void CScrollBarCtrl::Layout() {
    m_client = rect();
    const int w = m_vertical ? m_client.width() : m_client.height();
    if (m_vertical) {
        m_firstArrow = QRect(0, 0, w, w);
        m_reset = QRect(0, m_client.height() - w, w, w);
        m_secondArrow = QRect(0, m_client.height() - 2 * w, w, w);
    } else {
        m_firstArrow = QRect(0, 0, w, w);
        m_reset = QRect(m_client.width() - w, 0, w, w);
        m_secondArrow = QRect(m_client.width() - 2 * w, 0, w, w);
    }
    // The client less the first arrow; the second arrow lies before the reset button, so taking it
    // away too would leave two pieces, and the track keeps it.
    m_track = SubtractRect(SubtractRect(m_client, m_firstArrow), m_secondArrow);
    auto triangle = [&](const QRect& r, bool first) {
        const int bw = r.width(), bh = r.height();
        const int cx = r.left() + bw / 2, cy = r.top() + bh / 2;
        const int right = r.left() + bw, bottom = r.top() + bh;
        QPolygon t;
        if (m_vertical && first) {
            const int ay = r.top() + bh / 3;
            t << QPoint(cx, ay) << QPoint(cx - bw / 4, ay + bh / 4) << QPoint(cx + bw / 4, ay + bh / 4);
        } else if (m_vertical) {
            const int ay = bottom - bh / 2;
            t << QPoint(cx, ay) << QPoint(cx - bw / 4, ay - bh / 4) << QPoint(cx + bw / 4, ay - bh / 4);
        } else if (first) {
            const int ax = r.left() + bw / 3;
            t << QPoint(ax, cy) << QPoint(ax + bw / 4, cy - bh / 4) << QPoint(ax + bw / 4, cy + bh / 4);
        } else {
            const int ax = right - bw / 2;
            t << QPoint(ax, cy) << QPoint(ax - bw / 4, cy - bh / 4) << QPoint(ax - bw / 4, cy + bh / 4);
        }
        return t;
    };
    m_firstTriangle = triangle(m_firstArrow, true);
    m_secondTriangle = triangle(m_secondArrow, false);
}

QRect CScrollBarCtrl::ThumbRect() const {
    const double lo = std::min(m_visibleMin, m_fullMin);
    const double hi = std::max(m_visibleMax, m_fullMax);
    const double range = hi - lo;
    const int length = m_vertical ? m_track.height() : m_track.width();
    double a = 0.0, b = 1.0; // fractions of the track
    // An empty or unbounded range shows the thumb over the whole track instead of dividing by zero.
    if (range > 0.0 && std::isfinite(range)) {
        a = (m_visibleMin - lo) / range;
        b = (m_visibleMax - lo) / range;
    }
    auto clampFraction = [](double f) { return std::isfinite(f) ? std::clamp(f, 0.0, 1.0) : 0.0; };
    a = clampFraction(a);
    b = clampFraction(b);
    const int from = static_cast<int>(a * length), to = static_cast<int>(b * length);
    if (m_vertical)
        return QRect(m_track.left(), m_track.top() + length - to, m_track.width(), std::max(1, to - from));
    return QRect(m_track.left() + from, m_track.top(), std::max(1, to - from), m_track.height());
}

void CScrollBarCtrl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(m_client, C(kFace));
    p.setPen(C(kShadow));
    p.setBrush(Qt::NoBrush);
    p.drawRect(m_client.adjusted(0, 0, -1, -1));
    // The track runs under the second arrow and the reset button: the thumb first, the buttons over it.
    DrawDoubleFrame(p, ThumbRect());
    auto arrow = [&](const QRect& r, const QPolygon& t, bool pressed) {
        p.fillRect(r, C(kFace));
        if (pressed)
            Draw3dRect(p, r, C(kShadow), C(kShadow));
        else
            Draw3dRect(p, r, Qt::white, C(kShadow));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPolygon(t);
        p.setBrush(Qt::NoBrush);
    };
    arrow(m_firstArrow, m_firstTriangle, m_pressed == ePartFirstArrow);
    arrow(m_secondArrow, m_secondTriangle, m_pressed == ePartSecondArrow);
    p.fillRect(m_reset, C(kFace));
    if (m_pressed == ePartResetPressed || m_pressed == ePartResetDouble) {
        Draw3dRect(p, m_reset, C(kShadow), C(kShadow));
    } else {
        DrawDoubleFrame(p, m_reset);
        const int inset = m_reset.width() / 4;
        Draw3dRect(p, m_reset.adjusted(inset, inset, -inset, -inset), Qt::white, C(kShadow));
    }
}

void CScrollBarCtrl::resizeEvent(QResizeEvent*) {
    Layout();
}

void CScrollBarCtrl::Notify(platform::LPARAM code) {
    if (m_notifyBlock) {
        const int block[3] = {0, m_controlId, static_cast<int>(code)};
        platform::SendMessage(m_target, kNotifyMessage, static_cast<platform::WPARAM>(m_vertical),
                              reinterpret_cast<platform::LPARAM>(block));
        return;
    }
    platform::SendMessage(m_target, kNotifyMessage, static_cast<platform::WPARAM>(m_vertical), code);
}

void CScrollBarCtrl::Step(double fraction, bool up, bool) {
    double delta = fraction * m_visibleSpan;
    if (up != static_cast<bool>(m_vertical))
        delta = -delta;
    SetVisibleRange(m_visibleMin + delta, m_visibleMax + delta);
    update();
    Notify(kCodeMoved);
}

void CScrollBarCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pt = event->position().toPoint();
    m_capture = 1;
    if (m_firstArrow.contains(pt)) {
        m_pressed = ePartFirstArrow;
        Step(0.1, true, true);
        m_timer1.start();
    } else if (m_secondArrow.contains(pt)) {
        m_pressed = ePartSecondArrow;
        Step(0.1, false, true);
        m_timer1.start();
    } else if (m_reset.contains(pt)) {
        m_pressed = ePartResetPressed;
        update();
        Notify(kCodeResetPressed);
    }
    m_lastX = pt.x();
    m_lastY = pt.y();
}

void CScrollBarCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    // Elsewhere the second click of a double-click does nothing: the first one stepped already.
    if (!m_reset.contains(event->position().toPoint()))
        return;
    m_capture = 1;
    SetVisibleRange(m_fullMin, m_fullMax);
    m_visibleSpan = m_fullSpan;
    m_pressed = ePartResetDouble;
    Notify(kCodeResetDoubleClicked);
    update();
}

void CScrollBarCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_timer1.stop();
    m_timer2.stop();
    m_capture = 0;
    m_pressed = ePartNone;
    update();
}

void CScrollBarCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (!m_capture)
        return;
    QPoint pt = event->position().toPoint();
    bool held = false;
    if (m_vertical) {
        if (pt.y() > m_track.bottom()) {
            Step(0.01, false, false);
            pt.setY(m_track.bottom() - 1);
            held = true;
        } else if (pt.y() < m_track.top()) {
            Step(0.01, true, false);
            pt.setY(m_track.top() + 1);
            held = true;
        } else if (pt.y() > m_lastY) {
            Step(0.01, false, false);
        } else if (pt.y() < m_lastY) {
            Step(0.01, true, false);
        }
        if (pt.x() != m_track.center().x()) {
            pt.setX(m_track.center().x());
            held = true;
        }
    } else {
        if (pt.x() > m_track.right()) {
            Step(0.01, false, false);
            pt.setX(m_track.right() - 1);
            held = true;
        } else if (pt.x() < m_track.left()) {
            Step(0.01, true, false);
            pt.setX(m_track.left() + 1);
            held = true;
        } else if (pt.x() > m_lastX) {
            Step(0.01, false, false);
        } else if (pt.x() < m_lastX) {
            Step(0.01, true, false);
        }
        if (pt.y() != m_track.center().y()) {
            pt.setY(m_track.center().y());
            held = true;
        }
    }
    if (held)
        QCursor::setPos(mapToGlobal(pt));
    m_lastX = pt.x();
    m_lastY = pt.y();
}

void CScrollBarCtrl::OnRepeatDelay() {
    m_timer2.start();
}

void CScrollBarCtrl::OnRepeat() {
    Step(0.01, m_pressed == ePartFirstArrow, true);
}
