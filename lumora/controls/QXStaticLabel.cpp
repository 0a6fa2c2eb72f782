#include "lumora/controls/QXStaticLabel.h"

#include "lumora/controls/SafeLink.h"
#include "platform/ControlId.h"
#include "platform/MessageTarget.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace controls {

CQXStaticLabel::CQXStaticLabel(QWidget* parent, unsigned style)
    : QLabel(parent), m_style(style), m_textColor(ToColorRef(palette().color(QPalette::WindowText))),
      m_logicalFont(font()) {
    m_flashTimer.setInterval(kFlashTimerMs);
    QObject::connect(&m_flashTimer, &QTimer::timeout, this, [this] { OnFlashTimer(); });
}

CQXStaticLabel::~CQXStaticLabel() = default;

CQXStaticLabel& CQXStaticLabel::ApplyFont() {
    setFont(m_logicalFont);
    Redraw();
    return *this;
}

void CQXStaticLabel::Redraw() {
    // A transparent label shows its parent's background, so the parent repaints beneath it.
    if (m_transparent && parentWidget() != nullptr)
        parentWidget()->update(geometry());
    update();
}

CQXStaticLabel& CQXStaticLabel::SetLabelBackground(COLORREF color, COLORREF gradientColor, int gradientType) {
    m_backColor = color;
    m_gradientColor = gradientColor;
    m_gradientType = gradientType;
    m_ownBrush.reset();
    if (gradientType == 0)
        m_ownBrush = color;
    Redraw();
    return *this;
}

CQXStaticLabel& CQXStaticLabel::SetLabelTextColor(COLORREF color) {
    m_textColor = color;
    Redraw();
    return *this;
}

CQXStaticLabel& CQXStaticLabel::SetLabelText(const QString& text) {
    setText(text);
    Redraw();
    return *this;
}

CQXStaticLabel& CQXStaticLabel::SetBoldFont(bool bold) {
    m_logicalFont.setWeight(bold ? QFont::Bold : QFont::Normal);
    return ApplyFont();
}

CQXStaticLabel& CQXStaticLabel::SetFaceName(const QString& face) {
    m_logicalFont.setFamily(face.left(31));
    return ApplyFont();
}

CQXStaticLabel& CQXStaticLabel::SetUnderlineFont(bool underline) {
    m_logicalFont.setUnderline(underline);
    return ApplyFont();
}

CQXStaticLabel& CQXStaticLabel::SetItalicFont(bool italic) {
    m_logicalFont.setItalic(italic);
    return ApplyFont();
}

CQXStaticLabel& CQXStaticLabel::SetPointSize(int points) {
    if (points > 0)
        m_logicalFont.setPointSize(points);
    return ApplyFont();
}

CQXStaticLabel& CQXStaticLabel::SetSunkenEdge(bool sunken) {
    m_sunken = sunken;
    Redraw();
    return *this;
}

CQXStaticLabel& CQXStaticLabel::SetThinBorder(bool border) {
    m_thinBorder = border;
    Redraw();
    return *this;
}

CQXStaticLabel& CQXStaticLabel::SetTransparentMode(bool transparent) {
    m_transparent = transparent;
    Redraw();
    return *this;
}

void CQXStaticLabel::StartFlash(bool on, eFlashType type) {
    m_flashTimer.stop();
    if (on) {
        m_flashPhase = false;
        m_flashTimer.start();
        m_flashType = type;
    } else {
        // Stopped, the label shows its own colours again, whichever phase the timer left.
        m_flashType = FlashNone;
        m_flashPhase = false;
    }
    Redraw();
}

CQXStaticLabel& CQXStaticLabel::StartTextFlash(bool on) {
    StartFlash(on, FlashText);
    return *this;
}

CQXStaticLabel& CQXStaticLabel::StartBackgroundFlash(bool on) {
    StartFlash(on, FlashBackground);
    return *this;
}

CQXStaticLabel& CQXStaticLabel::SetWebLink(bool link, bool notifyParent) {
    m_linkType = link ? LinkWeb : LinkNone;
    m_notifyParent = notifyParent;
    m_style = link ? (m_style | SS_NOTIFY) : (m_style & ~SS_NOTIFY);
    return *this;
}

CQXStaticLabel& CQXStaticLabel::SetHoverCursor(const QCursor& cursor) {
    setCursor(cursor);
    return *this;
}

CQXStaticLabel& CQXStaticLabel::SetRelief(bool relief, bool raised) {
    m_relief = relief;
    m_raised = raised;
    Redraw();
    return *this;
}

CQXStaticLabel& CQXStaticLabel::SetRotation(int degrees, bool rotation) {
    m_rotationDegrees = degrees;
    m_rotation = rotation;
    Redraw();
    return *this;
}

CQXStaticLabel& CQXStaticLabel::SetReliefColor(COLORREF color) {
    m_reliefColor = color;
    Redraw();
    return *this;
}

CQXStaticLabel& CQXStaticLabel::SetLogicalFont(const QFont& font) {
    m_logicalFont = font;
    return ApplyFont();
}

CQXStaticLabel& CQXStaticLabel::SetMailTo(bool link, bool notifyParent) {
    m_linkType = link ? LinkMail : LinkNone;
    m_notifyParent = notifyParent;
    m_style = link ? (m_style | SS_NOTIFY) : (m_style & ~SS_NOTIFY);
    return *this;
}

CQXStaticLabel& CQXStaticLabel::SetWebLinkTarget(const QString& url) {
    m_linkUrl = url;
    return *this;
}

void CQXStaticLabel::OnFlashTimer() {
    m_flashPhase = !m_flashPhase;
    Redraw();
}

QColor CQXStaticLabel::FaceColor() const {
    return palette().color(QPalette::Button);
}

QColor CQXStaticLabel::PaintTextColor() const {
    // In the off phase the text takes the background's colour and vanishes.
    if (m_flashType == FlashText && !m_flashPhase)
        return m_ownBrush ? ToQColor(*m_ownBrush) : FaceColor();
    return ToQColor(m_textColor);
}

int CQXStaticLabel::GradientBands(int width) {
    return std::max(1, std::min(width, 100));
}

int CQXStaticLabel::TextFlags() const {
    const QString content = text();
    int flags = 0;
    switch (m_style & SS_TYPEMASK) {
    case SS_CENTER:
        flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
        break;
    case SS_RIGHT:
        flags = Qt::AlignRight | Qt::AlignTop | Qt::TextWordWrap;
        break;
    case SS_SIMPLE:
        flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
        break;
    case SS_LEFTNOWORDWRAP:
        flags = Qt::AlignLeft | Qt::AlignTop;
        break;
    default:
        flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        break;
    }
    if (content.contains(u'\t'))
        flags |= Qt::TextExpandTabs;
    if ((m_style & SS_CENTERIMAGE) != 0)
        flags = content.contains(QStringLiteral("\r\n")) ? int(Qt::AlignHCenter | Qt::AlignTop)
                                                         : int(Qt::AlignCenter | Qt::TextSingleLine);
    return flags;
}

CQXStaticLabel& CQXStaticLabel::SetLabelImage(const QPixmap& image) {
    m_image = image;
    Redraw();
    return *this;
}

void CQXStaticLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect client = rect();
    if (!m_image.isNull()) {
        painter.fillRect(client, ToQColor(m_backColor));
        painter.drawPixmap(client.topLeft(), m_image);
        return;
    }
    if (!m_transparent) {
        if (m_gradientType == 0) {
            QColor back = m_ownBrush ? ToQColor(*m_ownBrush) : FaceColor();
            // The background flashes between its own colour and the face colour.
            if (m_flashType == FlashBackground && !m_flashPhase)
                back = FaceColor();
            painter.fillRect(client, back);
        } else {
            const int width = client.width();
            const int bands = GradientBands(width);
            const int bandWidth = width / bands;
            const QColor from = ToQColor(m_backColor);
            const QColor to = ToQColor(m_gradientColor);
            auto step = [bands](int a, int b, int i) { return ((a << 8) + ((b - a) << 8) / bands * i) >> 8; };
            for (int i = 0; i < bands; ++i) {
                const int left = client.left() + i * bandWidth;
                const int right = (i == bands - 1) ? client.right() + 1 : left + bandWidth;
                painter.fillRect(QRect(left, client.top(), right - left, client.height()),
                                 QColor(step(from.red(), to.red(), i), step(from.green(), to.green(), i),
                                        step(from.blue(), to.blue(), i)));
            }
        }
    }
    painter.setFont(font());
    const int flags = TextFlags();
    if (m_rotation) {
        painter.save();
        painter.translate(client.center());
        painter.rotate(-m_rotationDegrees);
        painter.setPen(PaintTextColor());
        painter.drawText(QPointF(-painter.fontMetrics().horizontalAdvance(text()) / 2.0, 0), text());
        painter.restore();
    } else {
        if (m_relief) {
            painter.setPen(ToQColor(m_reliefColor));
            const int offset = m_raised ? 1 : -1;
            painter.drawText(client.translated(offset, offset), flags, text());
        }
        painter.setPen(PaintTextColor());
        painter.drawText(client, flags, text());
    }
    if (m_sunken || m_thinBorder) {
        painter.setPen(m_sunken ? palette().color(QPalette::Dark) : palette().color(QPalette::WindowText));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(client.adjusted(0, 0, -1, -1));
    }
}

void CQXStaticLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (m_notifyParent) {
            for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
                if (auto* target = dynamic_cast<platform::CMessageTarget*>(w)) {
                    SLabelNotify header{this, platform::ControlId(this), kClickCode};
                    platform::SendMessage(target, WM_NOTIFY, static_cast<platform::WPARAM>(header.id),
                                          reinterpret_cast<platform::LPARAM>(&header));
                    break;
                }
            }
        } else if (m_linkType == LinkWeb) {
            OpenSafeLink(
                QUrl(m_linkUrl.isEmpty() ? text().trimmed() : m_linkUrl.trimmed(), QUrl::StrictMode));
        } else if (m_linkType == LinkMail) {
            OpenSafeLink(QUrl(QStringLiteral("mailto:") + text().trimmed(), QUrl::StrictMode));
        }
    }
    QLabel::mousePressEvent(event);
}

} // namespace controls
