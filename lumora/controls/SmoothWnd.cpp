#include "SmoothWnd.h"

#include <QPaintDevice>
#include <QPaintEvent>
#include <QPixmap>
#include <algorithm>

namespace controls {

MemDC::MemDC(QPainter& target, const QRect& rect, bool copyTarget)
    : m_target(target), m_rect(rect), m_copyTarget(copyTarget) {
    QPaintDevice* device = target.device();
    m_printing = device != nullptr && device->devType() == QInternal::Printer;
    if (m_printing) {
        m_valid = true;
        return;
    }
    if (rect.isEmpty())
        return;
    m_image = QImage(rect.size(), QImage::Format_ARGB32_Premultiplied);
    m_image.fill(Qt::transparent);
    if (copyTarget && device != nullptr) {
        // Only an image or a pixmap can be read back; a window's content is not at hand.
        QImage source;
        if (device->devType() == QInternal::Image)
            source = *static_cast<QImage*>(device);
        else if (device->devType() == QInternal::Pixmap)
            source = static_cast<QPixmap*>(device)->toImage();
        if (!source.isNull()) {
            QPainter copy(&m_image);
            copy.setCompositionMode(QPainter::CompositionMode_Source);
            copy.drawImage(QPoint(0, 0), source, rect);
        }
    }
    m_painter = std::make_unique<QPainter>(&m_image);
    m_painter->translate(-rect.topLeft());
    m_valid = true;
}

MemDC::~MemDC() {
    if (m_printing || !m_valid)
        return;
    m_painter.reset();
    m_target.drawImage(m_rect.topLeft(), m_image);
}

CSmoothWnd::CSmoothWnd(QWidget* parent) : QWidget(parent) {
    // The whole window is painted here: nothing underneath needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CSmoothWnd::~CSmoothWnd() = default;

void CSmoothWnd::Smooth(QPainter& painter) {
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
}

void CSmoothWnd::SetWindowText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    if (m_dirtyOnText)
        m_dirty = true;
    update();
}

int CSmoothWnd::GetWindowText(char16_t* buffer, int size) const {
    if (buffer == nullptr || size <= 0)
        return 0;
    const int copied = std::min(static_cast<int>(m_text.size()), size - 1);
    std::copy_n(reinterpret_cast<const char16_t*>(m_text.utf16()), copied, buffer);
    buffer[copied] = u'\0';
    return copied;
}

void CSmoothWnd::resizeEvent(QResizeEvent* event) {
    m_dirty = true;
    QWidget::resizeEvent(event);
}

void CSmoothWnd::moveEvent(QMoveEvent* event) {
    m_dirty = true;
    QWidget::moveEvent(event);
}

void CSmoothWnd::paintEvent(QPaintEvent*) {
    const QRect client = rect();
    if (client.isEmpty())
        return;
    if (m_dirty || m_background.size() != client.size()) {
        m_background = QImage(client.size(), QImage::Format_ARGB32_Premultiplied);
        m_background.fill(Qt::transparent);
        QPainter layer(&m_background);
        Smooth(layer);
        m_builtRect = client;
        DrawBackground(layer, client);
        m_dirty = false;
    }
    QPainter screen(this);
    MemDC memory(screen, client);
    QPainter& graphics = memory.Painter();
    graphics.drawImage(QPoint(0, 0), m_background);
    Smooth(graphics);
    if (m_builtRect.left() != 0 || m_builtRect.top() != 0)
        graphics.translate(m_builtRect.topLeft());
    DrawForeground(graphics, client);
}

} // namespace controls
