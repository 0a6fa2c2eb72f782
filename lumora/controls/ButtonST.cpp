#include "ButtonST.h"

#include "platform/MessageTarget.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace controls {
namespace {

void Draw3dRect(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight) {
    painter.setPen(topLeft);
    painter.drawLine(rect.left(), rect.top(), rect.right() - 1, rect.top());
    painter.drawLine(rect.left(), rect.top(), rect.left(), rect.bottom() - 1);
    painter.setPen(bottomRight);
    painter.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
    painter.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
}

template <typename PixelFn> QImage MapNonBlack(const QImage& source, PixelFn fn) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            if ((pixel & 0x00FFFFFFu) != 0)
                line[x] = fn(pixel);
        }
    }
    return image;
}

} // namespace

QImage GrayscaleImage(const QImage& source) {
    return MapNonBlack(source, [](QRgb p) {
        const int g = static_cast<int>(std::lround(0.299 * qRed(p) + 0.587 * qGreen(p) + 0.114 * qBlue(p)));
        return qRgba(g, g, g, qAlpha(p));
    });
}

QImage DarkerImage(const QImage& source, double factor) {
    if (factor >= 1.0)
        return source.convertToFormat(QImage::Format_ARGB32);
    const auto lower = [factor](int c) { return static_cast<int>(std::lround(c - c * factor)); };
    return MapNonBlack(
        source, [&](QRgb p) { return qRgba(lower(qRed(p)), lower(qGreen(p)), lower(qBlue(p)), qAlpha(p)); });
}

QImage DisabledBitmapImage(const QImage& source, const QColor& light, const QColor& shadow) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    QImage result(image.width() + 1, image.height() + 1, QImage::Format_ARGB32);
    result.fill(Qt::transparent);
    auto dark = [&](int x, int y) {
        const QRgb p = image.pixel(x, y);
        return qAlpha(p) >= 128 && qGray(p) < 128;
    };
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (dark(x, y))
                result.setPixel(x + 1, y + 1, light.rgba());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (dark(x, y))
                result.setPixel(x, y, shadow.rgba());
    return result;
}

QString WrapToWidth(const QString& text, const QFontMetrics& metrics, int width) {
    QStringList lines;
    for (const QString& paragraph : text.split(u'\n')) {
        QString line;
        int i = 0;
        while (i < paragraph.size()) {
            // The next piece: a word with the blanks before it, or a single character of a script
            // without blanks between its words.
            int end = i;
            while (end < paragraph.size() && paragraph[end] == u' ')
                ++end;
            if (end < paragraph.size() && paragraph[end].unicode() >= 0x2E80)
                ++end;
            else
                while (end < paragraph.size() && paragraph[end] != u' ' && paragraph[end].unicode() < 0x2E80)
                    ++end;
            const QString piece = paragraph.mid(i, end - i);
            if (!line.isEmpty() && metrics.horizontalAdvance(line + piece) > width) {
                lines << line;
                line = piece.trimmed();
            } else {
                line += piece;
            }
            // A word wider than the whole width is cut where it must be.
            while (metrics.horizontalAdvance(line) > width && line.size() > 1) {
                int cut = line.size() - 1;
                while (cut > 1 && metrics.horizontalAdvance(line.left(cut)) > width)
                    --cut;
                lines << line.left(cut);
                line = line.mid(cut);
            }
            i = end;
        }
        lines << line;
    }
    return lines.join(u'\n');
}

namespace {
CButtonST::SoundPlayer& Player() {
    static CButtonST::SoundPlayer player;
    return player;
}
} // namespace

void CButtonST::SetSoundPlayer(SoundPlayer player) {
    Player() = std::move(player);
}

void CButtonST::SetSound(const QString& sound, bool onClick) {
    (onClick ? m_clickSound : m_hoverSound) = sound;
}

// A sound file plays through the desktop's player when there is one; any other sound is the bell.
void CButtonST::PlaySound(const QString& sound) const {
    if (sound.isEmpty())
        return;
    if (Player()) {
        Player()(sound);
        return;
    }
    if (QFileInfo(sound).isFile()) {
        for (const char* name : {"paplay", "aplay"}) {
            const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name));
            if (!program.isEmpty() && QProcess::startDetached(program, {sound}))
                return;
        }
    }
    QApplication::beep();
}

void CButtonST::SetMargins(int marginX, int marginY) {
    m_marginX = marginX;
    m_marginY = marginY;
    update();
}

int CButtonST::SetBitmaps(const QImage& in, COLORREF transparentIn, const QImage& out,
                          COLORREF transparentOut) {
    m_bitmapIn = QPixmap();
    m_bitmapOut = QPixmap();
    if (in.isNull()) {
        update();
        return 1;
    }
    auto masked = [](const QImage& image, COLORREF transparent) {
        QImage copy = image.convertToFormat(QImage::Format_ARGB32);
        if (transparent != CLR_UNSET) {
            const QRgb key = ToQColor(transparent).rgb() & 0x00FFFFFFu;
            for (int y = 0; y < copy.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(copy.scanLine(y));
                for (int x = 0; x < copy.width(); ++x)
                    if ((line[x] & 0x00FFFFFFu) == key)
                        line[x] = 0;
            }
        }
        return QPixmap::fromImage(copy);
    };
    m_bitmapIn = masked(in, transparentIn);
    if (!out.isNull())
        m_bitmapOut = masked(out, transparentOut);
    update();
    return 0;
}

CButtonST::CButtonST(QWidget* parent, unsigned style) : QPushButton(parent) {
    m_buttonType = style & BS_TYPEMASK;
    m_isCheckBox = (style & BS_CHECKBOX) != 0;
    if (m_buttonType == BS_DEFPUSHBUTTON) {
        m_isDefault = true;
        m_buttonType = 0;
    }
    setDefault(m_isDefault);
    SetDefaultColors(false);
    connect(this, &QAbstractButton::clicked, this, &CButtonST::OnClicked);
}

CButtonST::~CButtonST() = default;

void CButtonST::FreeIcons() {
    m_iconIn = QPixmap();
    m_iconOut = QPixmap();
}

int CButtonST::SetIcons(const QPixmap& in, const QPixmap& out) {
    FreeIcons();
    if (in.isNull()) {
        update();
        return 1;
    }
    m_iconIn = in;
    m_iconOut = out;
    update();
    return 0;
}

int CButtonST::SetIcons(const QPixmap& in, eOutIcon out) {
    if (in.isNull())
        return SetIcons(in, QPixmap());
    switch (out) {
    case eOutIcon::Grayscale:
        return SetIcons(in, QPixmap::fromImage(GrayscaleImage(in.toImage())));
    case eOutIcon::Darker:
        return SetIcons(in, QPixmap::fromImage(DarkerImage(in.toImage())));
    case eOutIcon::Same:
        break;
    }
    return SetIcons(in, QPixmap());
}

void CButtonST::SetColor(eColor index, COLORREF color, bool repaint) {
    if (index < 0 || index >= BTNST_MAX_COLORS)
        return;
    m_colors[index] = color;
    if (repaint)
        update();
}

void CButtonST::SetDefaultColors(bool repaint) {
    const COLORREF face = ToColorRef(palette().color(QPalette::Button));
    const COLORREF text = ToColorRef(palette().color(QPalette::ButtonText));
    m_colors[BTNST_COLOR_BK_IN] = m_colors[BTNST_COLOR_BK_OUT] = m_colors[BTNST_COLOR_BK_FOCUS] = face;
    m_colors[BTNST_COLOR_FG_IN] = m_colors[BTNST_COLOR_FG_OUT] = m_colors[BTNST_COLOR_FG_FOCUS] = text;
    if (repaint)
        update();
}

void CButtonST::BrightenBackColor() {
    const COLORREF color = m_colors[BTNST_COLOR_BK_IN];
    const int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    const int step = std::min({30, 255 - r, 255 - g, 255 - b});
    m_colors[BTNST_COLOR_BK_IN] = RGB(r + step, g + step, b + step);
    update();
}

void CButtonST::SetTooltipText(const QString& text) {
    if (text.isNull())
        return;
    setToolTip(WrapToWidth(text, QFontMetrics(QToolTip::font()), kTooltipMaxWidth));
}

void CButtonST::SetFlat(bool flat, bool repaint) {
    m_flat = flat;
    if (repaint)
        update();
}

void CButtonST::DrawBorder(bool enable, bool repaint) {
    m_drawBorder = enable;
    if (repaint)
        update();
}

void CButtonST::DrawFlatFocus(bool drawFlatFocus, bool repaint) {
    m_flatFocus = drawFlatFocus;
    if (repaint)
        update();
}

void CButtonST::DrawTransparent(bool transparent) {
    m_transparent = transparent;
    update();
}

void CButtonST::SetAlign(eAlign align, bool repaint) {
    m_align = align;
    if (repaint)
        update();
}

void CButtonST::SetBtnCursor(const QCursor& cursor) {
    setCursor(cursor);
}

void CButtonST::SetMenuCallback(platform::CMessageTarget* target, unsigned message) {
    m_menuTarget = target;
    m_menuMessage = message;
}

void CButtonST::SetButtonStyle(unsigned style) {
    const unsigned type = style & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
        m_isDefault = type == BS_DEFPUSHBUTTON;
        setDefault(m_isDefault);
    }
    update();
}

void CButtonST::SetCheck(int check) {
    if (!m_isCheckBox)
        return;
    m_checked = check == 1 || check == 2;
    update();
}

int CButtonST::GetCheck() const {
    return m_isCheckBox && m_checked ? 1 : 0;
}

void CButtonST::OnClicked() {
    setFocus(Qt::MouseFocusReason);
    PlaySound(m_clickSound);
    if (m_isCheckBox) {
        m_checked = !m_checked;
        update();
    } else if (m_menuTarget != nullptr) {
        m_menuShown = true;
        repaint();
        const QRect screen(mapToGlobal(QPoint(0, 0)), size());
        const auto low = static_cast<platform::WPARAM>(screen.left() & 0xFFFF);
        const auto high = static_cast<platform::WPARAM>((screen.top() + screen.height()) & 0xFFFF);
        platform::SendMessage(m_menuTarget, m_menuMessage, low | (high << 16), kMenuCallbackCode);
        m_menuShown = false;
        update();
    } else if (!m_url.isEmpty()) {
        QDesktopServices::openUrl(QUrl::fromUserInput(m_url));
    }
}

void CButtonST::BeginHover() {
    if (m_hover)
        return;
    m_hover = true;
    update();
    PlaySound(m_hoverSound);
}

void CButtonST::EndHover() {
    if (!m_hover)
        return;
    m_hover = false;
    update();
}

void CButtonST::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    if (!m_flat)
        return;
    if (m_alwaysTrack || QApplication::activeWindow() != nullptr)
        BeginHover();
}

void CButtonST::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    if (m_flat)
        EndHover();
}

void CButtonST::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    if (m_flat)
        EndHover();
}

void CButtonST::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        if (!isEnabled())
            EndHover();
        break;
    case QEvent::ActivationChange:
        if (m_flat && !isActiveWindow())
            EndHover();
        break;
    // The system's colours changed (the palette has already followed). A palette the program sets
    // itself, as its look commands do, keeps the colours the owner chose.
    case QEvent::ThemeChange:
        SetDefaultColors();
        break;
    default:
        break;
    }
}

void CButtonST::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawItem(painter);
}

void CButtonST::DrawItem(QPainter& painter) {
    m_isPressed = isDown() || (m_isCheckBox && m_checked) || m_menuShown;
    m_isFocused = hasFocus();
    m_isDisabled = !isEnabled();

    const QRect client = rect();
    if (!m_transparent)
        PaintBackground(painter, client);
    PaintBorder(painter, client);

    const QString caption = text();
    QRect captionRect = client;
    // A button given both an icon and a bitmap draws both, the bitmap over the icon.
    if (!m_iconIn.isNull())
        PaintIcon(painter, caption, client, captionRect);
    if (!m_bitmapIn.isNull())
        PaintBitmap(painter, caption, client, captionRect);
    if (!caption.isEmpty())
        PaintCaption(painter, caption, captionRect);

    if (m_isFocused && (!m_flat || m_flatFocus)) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = client.adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void CButtonST::PaintBackground(QPainter& painter, const QRect& rect) {
    QRect fill = rect;
    if (!m_flat && (m_isFocused || m_isDefault)) {
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        fill = rect.adjusted(1, 1, -1, -1);
    }
    COLORREF color = m_colors[BTNST_COLOR_BK_OUT];
    if (m_hover || m_isPressed)
        color = m_colors[BTNST_COLOR_BK_IN];
    else if (m_isFocused)
        color = m_colors[BTNST_COLOR_BK_FOCUS];
    painter.fillRect(fill, ToQColor(color));
}

void CButtonST::PaintBorder(QPainter& painter, const QRect& rect) {
    const QPalette& pal = palette();
    if (m_isPressed) {
        if (m_flat) {
            if (m_drawBorder)
                Draw3dRect(painter, rect, pal.color(QPalette::Dark), pal.color(QPalette::Light));
        } else {
            painter.setPen(pal.color(QPalette::Dark));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(rect.adjusted(0, 0, -1, -1));
        }
        return;
    }
    if (!m_flat) {
        Draw3dRect(painter, rect, pal.color(QPalette::Light), pal.color(QPalette::Shadow));
        Draw3dRect(painter, rect.adjusted(1, 1, -1, -1), pal.color(QPalette::Midlight),
                   pal.color(QPalette::Dark));
    } else if (m_hover && m_drawBorder) {
        Draw3dRect(painter, rect, pal.color(QPalette::Light), pal.color(QPalette::Dark));
    }
}

QPoint CButtonST::ImagePosition(const QSize& size, const QString& caption, const QRect& client,
                                QRect& captionRect) const {
    const int w = size.width();
    const int h = size.height();
    const bool hasCaption = !caption.isEmpty();
    QPoint at;
    switch (m_align) {
    case ST_ALIGN_VERT:
        at.setX(client.left() + (client.width() - w) / 2);
        if (hasCaption) {
            at.setY(client.top() + (client.height() - h) / 6);
            captionRect.setTop(at.y() + h);
        } else {
            at.setY(client.top() + (client.height() - h) / 2);
        }
        break;
    case ST_ALIGN_HORIZ_RIGHT:
        at.setX(client.left() + client.width() - m_marginX - w);
        at.setY(client.top() + (client.height() - h) / 2);
        if (hasCaption) {
            captionRect.setLeft(client.left() + m_marginX);
            captionRect.setRight(client.right() - m_marginX - w);
        }
        break;
    case ST_ALIGN_HORIZ:
        if (hasCaption) {
            at.setX(client.left() + m_marginX);
            captionRect.setLeft(client.left() + m_marginX + w);
        } else {
            at.setX(client.left() + (client.width() - w) / 2);
        }
        at.setY(client.top() + (client.height() - h) / 2);
        break;
    }
    if (m_isPressed && !m_isCheckBox)
        at += QPoint(m_pressedOffsetX, m_pressedOffsetY);
    return at;
}

const QPixmap& CButtonST::StateImage(const QPixmap& in, const QPixmap& out) const {
    const bool showOut = !out.isNull() && (m_isCheckBox ? !m_checked : (!m_isPressed && !m_hover));
    return showOut ? out : in;
}

void CButtonST::PaintIcon(QPainter& painter, const QString& caption, const QRect& client,
                          QRect& captionRect) {
    const QPoint at = ImagePosition(m_iconIn.size(), caption, client, captionRect);
    QPixmap image = StateImage(m_iconIn, m_iconOut);
    if (m_isDisabled) {
        QStyleOption option;
        option.initFrom(this);
        image = style()->generatedIconPixmap(QIcon::Disabled, image, &option);
    }
    painter.drawPixmap(at, image);
}

void CButtonST::PaintBitmap(QPainter& painter, const QString& caption, const QRect& client,
                            QRect& captionRect) {
    const QPoint at = ImagePosition(m_bitmapIn.size(), caption, client, captionRect);
    const QPixmap& image = StateImage(m_bitmapIn, m_bitmapOut);
    if (m_isDisabled) {
        painter.drawImage(at, DisabledBitmapImage(image.toImage(), palette().color(QPalette::Light),
                                                  palette().color(QPalette::Dark)));
        return;
    }
    painter.drawPixmap(at, image);
}

void CButtonST::PaintCaption(QPainter& painter, const QString& caption, QRect captionRect) {
    if (m_isPressed && !m_isCheckBox)
        captionRect.translate(m_pressedOffsetX, m_pressedOffsetY);
    const int flags = Qt::TextWordWrap | Qt::AlignHCenter | Qt::AlignTop;
    const QRect measured = painter.fontMetrics().boundingRect(captionRect, flags, caption);
    QRect centred = captionRect;
    centred.setTop(captionRect.top() + (captionRect.height() - measured.height()) / 2);
    centred.setHeight(measured.height());
    if (m_isDisabled) {
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(centred.translated(1, 1), flags, caption);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawText(centred.translated(-1, -1), flags, caption);
        return;
    }
    COLORREF color = m_colors[BTNST_COLOR_FG_OUT];
    if (m_isPressed || m_hover)
        color = m_colors[BTNST_COLOR_FG_IN];
    else if (m_isFocused)
        color = m_colors[BTNST_COLOR_FG_FOCUS];
    painter.setPen(ToQColor(color));
    painter.drawText(centred, flags, caption);
}

} // namespace controls
