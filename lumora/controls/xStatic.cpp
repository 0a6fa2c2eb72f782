#include "lumora/controls/xStatic.h"

#include "lumora/controls/MemDCKR.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <algorithm>
#include <optional>

namespace controls {

CxStatic::CxStatic(QWidget* parent, unsigned style)
    : QLabel(parent), m_style(style), m_textColor(ToColorRef(palette().color(QPalette::WindowText))),
      m_backColor(ToColorRef(palette().color(QPalette::Button))), m_gradientColor1(m_backColor),
      m_gradientColor2(m_backColor), m_face(font().family()), m_font(font()) {}

CxStatic::~CxStatic() = default;

void CxStatic::SetBitmap(const QPixmap& bitmap, int width, int height) {
    m_hasBitmap = true;
    m_bitmap = bitmap;
    resize(width, height);
    update();
}

void CxStatic::SetFont(const QString& face, int height, int weight) {
    m_face = face;
    m_weight = weight;
    m_fontSize = height;
    RebuildFont();
    update();
}

void CxStatic::SetFont(const QFont& font) {
    m_font = font;
    m_face = font.family();
    update();
}

void CxStatic::RebuildFont() {
    QFont font(m_face);
    if (m_fontSize > 0)
        font.setPixelSize(m_fontSize);
    if (m_weight > 0)
        font.setWeight(static_cast<QFont::Weight>(std::clamp(m_weight, 1, 1000)));
    m_font = font;
}

void CxStatic::SetTransparent(bool transparent) {
    m_transparent = transparent;
    update();
}
void CxStatic::SetAutoShrink(bool autoShrink) {
    m_autoShrink = autoShrink;
    update();
}
void CxStatic::SetWordWrap(bool wordWrap) {
    m_wordWrap = wordWrap;
    update();
}
void CxStatic::SetTextColor(COLORREF color) {
    m_textColor = color;
    update();
}
void CxStatic::SetBkColor(COLORREF color) {
    m_backColor = color;
    update();
}
void CxStatic::SetGradient(int gradient, COLORREF color1, COLORREF color2) {
    m_gradient = gradient;
    m_gradientColor1 = color1;
    m_gradientColor2 = color2;
    update();
}
void CxStatic::Set3DText(bool on, bool raised) {
    m_3dText = on;
    m_3dRaised = raised;
    update();
}

QStringList CxStatic::SplitLines(const QString& text, int width, const MeasureFn& measure) {
    QStringList lines;
    qsizetype start = 0;
    qsizetype i = 0;
    QChar pending;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            if (!pending.isNull() && pending != c) {
                lines << text.mid(start, i - 1 - start);
                start = i + 1;
                i = start;
                pending = QChar();
                continue;
            }
            pending = c;
            ++i;
            continue;
        }
        pending = QChar();
        if (measure(text.mid(start, i + 1 - start)) > width) {
            QString prefix = text.mid(start, i - start);
            // One character always makes a line, or a character wider than the control would
            // never be passed.
            if (prefix.isEmpty())
                prefix = text.mid(start, 1);
            const qsizetype blank = prefix.lastIndexOf(u' ');
            if (blank < 0 || blank == prefix.size() - 1) {
                lines << prefix;
                start += prefix.size();
            } else {
                lines << prefix.left(blank);
                start += blank + 1;
            }
            i = start;
            continue;
        }
        ++i;
    }
    lines << text.mid(start);
    return lines;
}

int CxStatic::TextFlags() const {
    int flags = Qt::AlignTop;
    switch (m_style & SS_TYPEMASK) {
    case SS_CENTER:
        flags |= Qt::AlignHCenter;
        break;
    case SS_RIGHT:
        flags |= Qt::AlignRight;
        break;
    default:
        flags |= Qt::AlignLeft;
        break;
    }
    if (text().contains(u'\t'))
        flags |= Qt::TextExpandTabs;
    return flags;
}

void CxStatic::paintEvent(QPaintEvent*) {
    QPainter screen(this);
    const QRect client = rect();
    // Qt draws a child over its parent's content already: a transparent control paints straight
    // to the screen and keeps what lies beneath.
    std::optional<CMemDCKR> memory;
    if (!m_transparent)
        memory.emplace(screen, client, nullptr, ToQColor(m_backColor));
    QPainter& painter = memory ? memory->Painter() : screen;
    if (m_hasBitmap) {
        painter.drawPixmap(client, m_bitmap, QRect(0, 0, m_bitmap.width(), m_bitmap.height()));
    } else if (!m_transparent) {
        if (m_gradient != 0) {
            const bool horizontal = m_gradient == 1;
            QLinearGradient gradient(client.topLeft(), horizontal ? client.topRight() : client.bottomLeft());
            gradient.setColorAt(0.0, ToQColor(m_gradientColor2));
            gradient.setColorAt(1.0, ToQColor(m_gradientColor1));
            painter.fillRect(client, gradient);
        } else {
            painter.fillRect(client, ToQColor(m_backColor));
        }
    }

    const QString content = text();
    QStringList lines;
    int lineHeight = 0;
    for (;;) {
        painter.setFont(m_font);
        const QFontMetrics metrics(m_font);
        lineHeight = metrics.height();
        lines = m_wordWrap ? SplitLines(content, client.width(),
                                        [&](const QString& s) { return metrics.horizontalAdvance(s); })
                           : QStringList{content};
        const bool tooTall = lineHeight * lines.size() > client.height();
        if (!m_autoShrink || !tooTall || m_fontSize <= kMinFontSize)
            break;
        --m_fontSize;
        RebuildFont();
    }
    int top = client.top();
    if ((m_style & SS_CENTERIMAGE) != 0)
        top += (client.height() - lineHeight * static_cast<int>(lines.size())) / 2;
    const int flags = TextFlags();
    const QFontMetrics metrics(m_font);
    for (const QString& line : lines) {
        QString shown = line;
        if ((m_style & SS_ELLIPSISMASK) == SS_PATHELLIPSIS)
            shown = metrics.elidedText(line, Qt::ElideMiddle, client.width());
        else if ((m_style & SS_ELLIPSISMASK) != 0)
            shown = metrics.elidedText(line, Qt::ElideRight, client.width());
        const QRect band(client.left(), top, client.width(), lineHeight);
        if (m_3dText) {
            painter.setPen(QColor(Qt::white));
            const int offset = m_3dRaised ? 1 : -1;
            painter.drawText(band.translated(offset, offset), flags, shown);
        }
        painter.setPen(ToQColor(m_textColor));
        painter.drawText(band, flags, shown);
        top += lineHeight;
    }
}

void CxStatic::mousePressEvent(QMouseEvent* event) {
    QWidget* parent = parentWidget();
    if (event->button() == Qt::RightButton && m_trackingMode == 1 && parent != nullptr) {
        m_trackStart = mapToParent(event->position().toPoint());
        m_trackGeometry = geometry();
        const QPoint at = event->position().toPoint();
        const bool right = at.x() >= width() - kTrackerHandle;
        const bool bottom = at.y() >= height() - kTrackerHandle;
        if (event->modifiers() & Qt::ControlModifier) {
            m_track = eTrack::Band;
            if (m_band == nullptr)
                m_band = new QRubberBand(QRubberBand::Rectangle, parent);
            m_band->setGeometry(QRect(m_trackStart, QSize()));
            m_band->show();
        } else {
            m_track = right && bottom ? eTrack::SizeCorner
                      : right         ? eTrack::SizeRight
                      : bottom        ? eTrack::SizeBottom
                                      : eTrack::Move;
        }
    }
    QLabel::mousePressEvent(event);
}

void CxStatic::mouseMoveEvent(QMouseEvent* event) {
    if (m_track != eTrack::None && (event->buttons() & Qt::RightButton)) {
        const QPoint now = mapToParent(event->position().toPoint());
        const QPoint delta = now - m_trackStart;
        QRect placed = m_trackGeometry;
        switch (m_track) {
        case eTrack::Move:
            placed.translate(delta);
            break;
        case eTrack::SizeRight:
            placed.setWidth(std::max(1, placed.width() + delta.x()));
            break;
        case eTrack::SizeBottom:
            placed.setHeight(std::max(1, placed.height() + delta.y()));
            break;
        case eTrack::SizeCorner:
            placed.setSize(
                QSize(std::max(1, placed.width() + delta.x()), std::max(1, placed.height() + delta.y())));
            break;
        case eTrack::Band:
            // The rectangle whose opposite corners are where the press was and where the pointer is.
            m_band->setGeometry(
                QRect(QPoint(std::min(m_trackStart.x(), now.x()), std::min(m_trackStart.y(), now.y())),
                      QPoint(std::max(m_trackStart.x(), now.x()), std::max(m_trackStart.y(), now.y()))));
            break;
        case eTrack::None:
            break;
        }
        if (m_track != eTrack::Band)
            setGeometry(placed);
    }
    QLabel::mouseMoveEvent(event);
}

void CxStatic::mouseReleaseEvent(QMouseEvent* event) {
    if (m_track != eTrack::None && event->button() == Qt::RightButton) {
        if (m_track == eTrack::Band) {
            const QRect band = m_band->geometry();
            m_band->hide();
            if (band.width() > 0 && band.height() > 0)
                setGeometry(band);
        }
        m_track = eTrack::None;
    }
    QLabel::mouseReleaseEvent(event);
}

} // namespace controls
