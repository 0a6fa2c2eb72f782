#include "waveform/common/BitmapFile.h"

#include "platform/MessageBox.h"

#include <QFile>
#include <cstdint>
#include <new>
#include <vector>

namespace waveform {

namespace {

void PutU16(std::uint8_t* at, std::uint16_t v) {
    at[0] = static_cast<std::uint8_t>(v);
    at[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(std::uint8_t* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace

int SaveBitmapFile(const QString& path, const QImage& image, const QRect& area) {
    const QRect rect = area & image.rect();
    if (rect.isEmpty())
        return 0;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    try {
        const int width = rect.width(), height = rect.height();
        const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t(3);
        const std::size_t pixelBytes = rowBytes * static_cast<std::size_t>(height);
        // The file and info headers are written byte by byte: readers expect exactly this little-endian
        // 14 + 40 byte layout, which no Qt image writer lets us fix.
        std::vector<std::uint8_t> data(54 + pixelBytes, 0);
        std::uint8_t* h = data.data();
        h[0] = 'B';
        h[1] = 'M';
        PutU32(h + 2, static_cast<std::uint32_t>(pixelBytes + 54));
        PutU32(h + 10, 54);
        PutU32(h + 14, 40);
        PutU32(h + 18, static_cast<std::uint32_t>(width));
        PutU32(h + 22, static_cast<std::uint32_t>(height));
        PutU16(h + 26, 1);
        PutU16(h + 28, 24);
        PutU32(h + 30, 0);
        PutU32(h + 34, static_cast<std::uint32_t>(pixelBytes));
        const QImage rgb = image.copy(rect).convertToFormat(QImage::Format_RGB32);
        for (int row = 0; row < height; ++row) {
            const QRgb* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(height - 1 - row));
            std::uint8_t* dst = h + 54 + rowBytes * static_cast<std::size_t>(row);
            for (int col = 0; col < width; ++col) {
                dst[3 * col] = static_cast<std::uint8_t>(qBlue(src[col]));
                dst[3 * col + 1] = static_cast<std::uint8_t>(qGreen(src[col]));
                dst[3 * col + 2] = static_cast<std::uint8_t>(qRed(src[col]));
            }
        }
        // A small file sits in the buffer until the close, so a full disk shows only there.
        const bool written = file.write(reinterpret_cast<const char*>(data.data()),
                                        static_cast<qint64>(data.size())) == static_cast<qint64>(data.size());
        if (!written || !file.flush()) {
            platform::StopBox(file.errorString());
            return 0;
        }
        file.close();
        if (file.error() != QFileDevice::NoError) {
            platform::StopBox(file.errorString());
            return 0;
        }
    } catch (const std::bad_alloc&) {
        platform::StopBox(QStringLiteral("Out of memory."));
        return 0;
    }
    return 1;
}

} // namespace waveform
