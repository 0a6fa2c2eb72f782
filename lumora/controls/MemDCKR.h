#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

namespace controls {

// Flicker-free drawing: paints go to an off-screen image of the rectangle, which is copied to the
// target when the object ends. On a printer the target is painted directly.
class CMemDCKR {
public:
    // A null rectangle means the target's whole device. copyBackground starts the image from what
    // the caller passes as background (a grab of the screen), else it is filled with fill.
    CMemDCKR(QPainter& target, const QRect& rect, const QImage* background = nullptr,
             const QColor& fill = Qt::white);
    ~CMemDCKR();
    CMemDCKR(const CMemDCKR&) = delete;
    CMemDCKR& operator=(const CMemDCKR&) = delete;

    // Draws in the target's coordinates.
    QPainter& Painter() { return m_memory ? m_imagePainter : m_target; }
    bool IsMemory() const { return m_memory; }
    const QRect& Rect() const { return m_rect; }

private:
    QPainter& m_target;
    QRect m_rect;
    bool m_memory;
    QImage m_image;
    QPainter m_imagePainter;
};

} // namespace controls
