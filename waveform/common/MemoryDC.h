#pragma once

#include "waveform/common/ColorRef.h"

#include <QImage>

// One drawing layer of a plot window: an off-screen image the size of the window.
class CMemoryDC {
public:
    CMemoryDC() = default;
    virtual ~CMemoryDC();

    // Replaces the image with one of the given size filled with the background; false when the image
    // cannot be had.
    bool Create(int width, int height, COLORREF background);

    bool Exists() const { return !m_image.isNull(); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    QImage& Image() { return m_image; }
    const QImage& Image() const { return m_image; }

    // Copies the rectangle of another layer to the same place of this one (clipped to both).
    void CopyFrom(const CMemoryDC& source, const QRect& rect);

private:
    int m_width = 0;
    int m_height = 0;
    QImage m_image;
};
