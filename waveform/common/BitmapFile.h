#pragma once

#include <QImage>
#include <QRect>
#include <QString>

namespace waveform {

// Writes the rectangle of the image as a 24-bit bottom-up BMP file. 1 written; 0 when the file cannot
// be opened or written (a write or memory failure is also shown in a message box).
int SaveBitmapFile(const QString& path, const QImage& image, const QRect& area);

} // namespace waveform
