#include "lumora/sheetio/Bytes.h"
#include "lumora/sheetio/Workbook.h"

#include <algorithm>

namespace SheetIO {

namespace {

// Walks the joined SST data, stepping over the flags byte that starts each CONTINUE piece
// inside a string's characters.
class CSstReader {
public:
    CSstReader(const std::vector<uint8_t>& data, uint32_t size, const std::vector<uint32_t>& boundaries)
        : m_data(data.data()), m_size(size), m_boundaries(boundaries) {}

    bool ReadString(CXLString& out) {
        if (m_pos + 3 > m_size)
            return false;
        uint32_t count = GetU16(m_data + m_pos);
        const uint8_t flags = m_data[m_pos + 2];
        m_pos += 3;
        uint64_t runs = 0, extension = 0;
        if (flags & 0x08) {
            if (m_pos + 2 > m_size)
                return false;
            runs = GetU16(m_data + m_pos);
            m_pos += 2;
        }
        if (flags & 0x04) {
            if (m_pos + 4 > m_size)
                return false;
            extension = GetU32(m_data + m_pos);
            m_pos += 4;
        }
        out = CXLString();
        bool wide = (flags & 0x01) != 0;
        out.wide = wide;
        while (count > 0) {
            const uint32_t end = PieceEnd();
            const uint32_t width = wide ? 2 : 1;
            const uint32_t take = std::min<uint32_t>(count, (end - m_pos) / width);
            Append(out, wide, take);
            m_pos += take * width;
            count -= take;
            if (count == 0)
                break;
            // The characters go on in the next piece, which repeats the flags byte.
            if (end >= m_size)
                return false;
            m_pos = end;
            wide = (m_data[m_pos] & 0x01) != 0;
            ++m_pos;
            if (wide)
                out.Widen();
        }
        const uint64_t skip = 4 * runs + extension;
        if (m_pos + skip > m_size)
            return false;
        m_pos += static_cast<uint32_t>(skip);
        return true;
    }

private:
    uint32_t PieceEnd() {
        while (m_next < m_boundaries.size() && m_boundaries[m_next] <= m_pos)
            ++m_next;
        return m_next < m_boundaries.size() ? std::min(m_boundaries[m_next], m_size) : m_size;
    }

    void Append(CXLString& out, bool pieceWide, uint32_t count) {
        const uint8_t* p = m_data + m_pos;
        if (out.wide) {
            for (uint32_t i = 0; i < count; ++i)
                out.wideChars.push_back(pieceWide ? static_cast<char16_t>(GetU16(p + 2 * i))
                                                  : static_cast<char16_t>(p[i]));
        } else {
            out.narrow.append(reinterpret_cast<const char*>(p), count);
        }
    }

    const uint8_t* m_data;
    uint32_t m_size;
    const std::vector<uint32_t>& m_boundaries;
    uint32_t m_pos = 8;
    size_t m_next = 0;
};

} // namespace

Workbook::SharedStringTable::SharedStringTable() : Record(0x00FC) {
    RecordSize();
}

uint32_t Workbook::SharedStringTable::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    const uint8_t* d = FieldBytes(*this, 8);
    stringsTotal = GetU32(d);
    uniqueStringsTotal = GetU32(d + 4);
    strings.clear();
    // Each string takes at least 3 bytes, which bounds a damaged count.
    strings.reserve(std::min<uint32_t>(uniqueStringsTotal, dataSize / 3));
    CSstReader reader(data, dataSize, continueIndices);
    for (uint32_t i = 0; i < uniqueStringsTotal; ++i) {
        CXLString s;
        if (!reader.ReadString(s))
            break;
        strings.push_back(std::move(s));
    }
    return used;
}

uint32_t Workbook::SharedStringTable::Layout(uint8_t* out) {
    continueIndices.clear();
    uint32_t pos = 8;
    uint32_t pieceEnd = MAX_PIECE;
    if (out) {
        SetU32(out, stringsTotal);
        SetU32(out + 4, uniqueStringsTotal);
    }
    for (const CXLString& s : strings) {
        const uint32_t charBytes = s.CharBytes();
        const uint8_t flags = s.wide ? 1 : 0;
        if (pos + 3 + charBytes > pieceEnd && pieceEnd - pos < 12) {
            continueIndices.push_back(pos);
            pieceEnd = pos + MAX_PIECE;
        }
        if (pos + 3 + charBytes <= pieceEnd) {
            if (out)
                WriteLongString(out + pos, s);
            pos += 3 + charBytes;
            continue;
        }
        // Split: characters are never cut in two, and each further piece repeats the flags byte.
        if (s.wide && (pieceEnd - pos) % 2 == 0)
            --pieceEnd;
        continueIndices.push_back(pieceEnd);
        if (out) {
            SetU16(out + pos, static_cast<uint16_t>(s.Length()));
            out[pos + 2] = flags;
        }
        const uint32_t first = pieceEnd - pos - 3;
        const uint8_t* chars = s.wide ? nullptr : reinterpret_cast<const uint8_t*>(s.narrow.data());
        auto emit = [&](uint32_t at, uint32_t from, uint32_t count) {
            if (!out)
                return;
            if (s.wide)
                SetWChars(out + at, s.wideChars.data() + from / 2, count / 2);
            else
                std::memcpy(out + at, chars + from, count);
        };
        emit(pos + 3, 0, first);
        uint32_t done = first;
        pos = pieceEnd;
        const uint32_t most = s.wide ? 8222 : 8223;
        while (charBytes - done > most) {
            if (out)
                out[pos] = flags;
            emit(pos + 1, done, most);
            done += most;
            pos += 1 + most;
            continueIndices.push_back(pos);
        }
        if (out)
            out[pos] = flags;
        emit(pos + 1, done, charBytes - done);
        pieceEnd = pos + MAX_PIECE;
        pos += 1 + charBytes - done;
    }
    return pos;
}

uint32_t Workbook::SharedStringTable::Write(uint8_t* bytes) {
    const uint32_t size = DataSize();
    data.assign(size, 0);
    Layout(data.data());
    return Record::Write(bytes);
}

uint32_t Workbook::SharedStringTable::DataSize() {
    return dataSize = Layout(nullptr);
}

uint32_t Workbook::SharedStringTable::RecordSize() {
    DataSize();
    return recordSize = dataSize + 4 * static_cast<uint32_t>(continueIndices.size() + 1);
}

} // namespace SheetIO
