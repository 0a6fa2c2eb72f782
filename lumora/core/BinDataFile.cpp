#include "lumora/core/BinDataFile.h"

#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/ReadOnlyFile.h"
#include "platform/ReplaceFile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

static_assert(std::endian::native == std::endian::little,
              "the file's numbers are copied as they lie in memory");
static_assert(sizeof(float) == 4 && sizeof(double) == 8);

namespace {

// Serialises the header field by field, with no padding.
class CHeaderWriter {
public:
    explicit CHeaderWriter(char* bytes) : m_bytes(bytes) {}
    template <typename T> void Put(const T& value) {
        std::memcpy(m_bytes + m_offset, &value, sizeof(T));
        m_offset += sizeof(T);
    }
    size_t Offset() const { return m_offset; }

private:
    char* m_bytes;
    size_t m_offset = 0;
};

class CHeaderReader {
public:
    explicit CHeaderReader(const char* bytes) : m_bytes(bytes) {}
    template <typename T> void Get(T& value) {
        std::memcpy(&value, m_bytes + m_offset, sizeof(T));
        m_offset += sizeof(T);
    }
    size_t Offset() const { return m_offset; }

private:
    const char* m_bytes;
    size_t m_offset = 0;
};

template <typename Stream, typename Header> void VisitHeader(Stream& s, Header& h) {
    s.Get(h.Magic);
    s.Get(h.Identifier);
    s.Get(h.Maker);
    s.Get(h.SampleCount);
    s.Get(h.Reserved1);
    s.Get(h.Reserved2);
    s.Get(h.ReservedFloat1);
    s.Get(h.ColumnPresent);
    s.Get(h.ReservedInt);
    s.Get(h.ReservedFloat2);
    s.Get(h.ReservedDouble);
}

// Adapts the writer to the same visiting order as the reader.
struct SPutAsGet {
    CHeaderWriter& writer;
    template <typename T> void Get(const T& value) { writer.Put(value); }
};

// The pieces a large array is read in, between two looks at Cancel.
constexpr std::uint64_t kReadPieceBytes = 4 << 20;

void ReportReadError(const QString& path, int code) {
    platform::StopBox(path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(code)));
}

} // namespace

CBinDataFile::CBinDataFile() {
    std::memcpy(m_header.Identifier, kIdentifier, std::strlen(kIdentifier));
    std::memcpy(m_header.Maker, kMaker, std::strlen(kMaker));
}

int CBinDataFile::Write(const double* times, const double* values, unsigned n, const QString& path,
                        int column) {
    if (n > 0 && (times == nullptr || values == nullptr))
        return 0;
    const SColumnPiece timePiece{times, n};
    const SColumnPiece valuePiece{values, n};
    return Write(std::span(&timePiece, n > 0 ? 1 : 0), std::span(&valuePiece, n > 0 ? 1 : 0), path, column);
}

int CBinDataFile::Write(std::span<const SColumnPiece> times, std::span<const SColumnPiece> values,
                        const QString& path, int column) {
    std::uint64_t n = 0;
    std::uint64_t valueCount = 0;
    for (const SColumnPiece& piece : times)
        n += piece.count;
    for (const SColumnPiece& piece : values)
        valueCount += piece.count;
    if (n != valueCount || n > std::numeric_limits<std::uint32_t>::max() || column < 1 || column > kColumns)
        return 0;
    m_header.SampleCount = static_cast<std::uint32_t>(n);
    for (int c = 1; c <= kColumns; ++c)
        m_header.ColumnPresent[c - 1] = c == column ? 1 : 0;

    char head[kDataOffset] = {};
    CHeaderWriter writer(head);
    SPutAsGet put{writer};
    VisitHeader(put, std::as_const(m_header));
    if (writer.Offset() != kHeaderSize)
        return 0;
    std::vector<platform::SFilePiece> pieces;
    pieces.reserve(1 + times.size() + values.size());
    pieces.push_back({head, kDataOffset});
    for (auto array : {times, values}) {
        for (const SColumnPiece& piece : array) {
            if (piece.count > 0 && piece.data == nullptr)
                return 0;
            if (piece.count > 0)
                pieces.push_back({piece.data, piece.count * sizeof(double)});
        }
    }
    // The file is replaced whole: a run rewrites its auto-save file again and again, and a failed or
    // interrupted rewrite must leave the last good one, never a cut-off file.
    QString error;
    bool made = false;
    if (!platform::ReplaceFileContents(platform::NormalizePath(path), pieces, &error, &made)) {
        // A file that cannot be made at all is the caller's to report.
        if (made)
            platform::StopBox(error);
        return 0;
    }
    return 1;
}

int CBinDataFile::Read(const QString& path, SImportControl* control) {
    Clear();
    // A FIFO or device named like a data file is refused at once, never waited on.
    platform::CReadOnlyFile file;
    if (!file.Open(path))
        return 0;
    const std::int64_t size = file.Size();
    if (size < kDataOffset)
        return 0;
    const QString name = platform::NormalizePath(path);
    char head[kDataOffset];
    if (!file.ReadAt(0, head, kDataOffset)) {
        ReportReadError(name, errno);
        return 0;
    }
    CHeaderReader reader(head);
    VisitHeader(reader, m_header);

    // Every array is sized from the file's own length, never from the header alone.
    const std::uint64_t dataArea = static_cast<std::uint64_t>(size - kDataOffset);
    if (dataArea >= (std::uint64_t{1} << 32))
        return 0;
    std::uint64_t arrays = 1;
    for (std::uint32_t present : m_header.ColumnPresent)
        arrays += present != 0 ? 1 : 0;
    const std::uint64_t n = m_header.SampleCount;
    const std::uint64_t needed = arrays * n * sizeof(double);
    if (dataArea < needed)
        return 0;
    if (control != nullptr) {
        control->total.store(static_cast<std::int64_t>(needed), std::memory_order_relaxed);
        control->done.store(0, std::memory_order_relaxed);
    }

    std::int64_t offset = kDataOffset;
    bool stopped = false;
    // Each array in pieces, straight into its storage: progress and Cancel are looked at per piece.
    const auto readArray = [&](CImportColumn& array) {
        try {
            array.resize(static_cast<size_t>(n));
        } catch (const std::bad_alloc&) {
            return false;
        }
        char* at = reinterpret_cast<char*>(array.data());
        for (std::uint64_t left = n * sizeof(double); left > 0;) {
            if (control != nullptr && control->cancel.load(std::memory_order_relaxed)) {
                stopped = true;
                return false;
            }
            const auto piece = static_cast<std::int64_t>(std::min<std::uint64_t>(left, kReadPieceBytes));
            if (!file.ReadAt(offset, at, piece)) {
                ReportReadError(name, errno);
                return false;
            }
            at += piece;
            offset += piece;
            left -= static_cast<std::uint64_t>(piece);
            if (control != nullptr)
                control->done.fetch_add(piece, std::memory_order_relaxed);
        }
        return true;
    };
    bool read = readArray(m_times);
    for (int c = 0; read && c < kColumns; ++c)
        read = m_header.ColumnPresent[c] == 0 || readArray(m_columns[c]);
    // A file changed while it was read holds neither what it held nor what it now holds.
    if (read && !file.Unchanged()) {
        ReportReadError(name, EIO);
        read = false;
    }
    if (!read || stopped) {
        Clear();
        return 0;
    }
    return 1;
}

void CBinDataFile::Clear() {
    CImportColumn().swap(m_times);
    for (auto& column : m_columns)
        CImportColumn().swap(column);
}

const CImportColumn& CBinDataFile::GetColumn(int column) const {
    static const CImportColumn kEmpty;
    return (column >= 1 && column <= kColumns) ? m_columns[column - 1] : kEmpty;
}

bool CBinDataFile::IsColumnPresent(int column) const {
    return column >= 1 && column <= kColumns && m_header.ColumnPresent[column - 1] != 0;
}
