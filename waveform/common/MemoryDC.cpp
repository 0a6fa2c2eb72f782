#include "waveform/common/MemoryDC.h"

#include <cstring>

CMemoryDC::~CMemoryDC() = default;

bool CMemoryDC::Create(int width, int height, COLORREF background) {
    m_image = QImage();
    m_width = m_height = 0;
    if (width <= 0 || height <= 0)
        return false;
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return false;
    image.fill(waveform::ToQColor(background));
    m_image = std::move(image);
    m_width = width;
    m_height = height;
    return true;
}

void CMemoryDC::CopyFrom(const CMemoryDC& source, const QRect& rect) {
    if (!Exists() || !source.Exists())
        return;
    const QRect area = rect & m_image.rect() & source.m_image.rect();
    if (area.isEmpty())
        return;
    // Same pixel format on both sides: rows are copied as they are.
    const std::size_t bytes = static_cast<std::size_t>(area.width()) * 4;
    for (int row = area.top(); row <= area.bottom(); ++row)
        std::memcpy(m_image.scanLine(row) + area.left() * 4,
                    source.m_image.constScanLine(row) + area.left() * 4, bytes);
}
