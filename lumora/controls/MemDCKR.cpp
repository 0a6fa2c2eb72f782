#include "lumora/controls/MemDCKR.h"

#include <QPaintDevice>
#include <QPaintEngine>

namespace controls {

namespace {

bool IsPrinter(QPainter& painter) {
    const QPaintDevice* device = painter.device();
    if (device == nullptr)
        return false;
    if (device->devType() == QInternal::Printer)
        return true;
    const QPaintEngine* engine = painter.paintEngine();
    return engine != nullptr && engine->type() == QPaintEngine::Pdf;
}

} // namespace

CMemDCKR::CMemDCKR(QPainter& target, const QRect& rect, const QImage* background, const QColor& fill)
    : m_target(target), m_memory(!IsPrinter(target)) {
    m_rect = rect;
    if (m_rect.isNull() && target.device() != nullptr)
        m_rect = QRect(0, 0, target.device()->width(), target.device()->height());
    if (!m_memory)
        return;
    m_image = QImage(m_rect.size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    if (background != nullptr)
        m_image = background->copy(m_rect).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    else
        m_image.fill(fill);
    m_imagePainter.begin(&m_image);
    m_imagePainter.translate(-m_rect.topLeft());
}

CMemDCKR::~CMemDCKR() {
    if (!m_memory)
        return;
    m_imagePainter.end();
    m_target.drawImage(m_rect.topLeft(), m_image);
}

} // namespace controls
