#include "lumora/sheetio/XLString.h"

#include "lumora/sheetio/Bytes.h"
#include "lumora/sheetio/Record.h"

#include <algorithm>

namespace SheetIO {

void CXLString::Widen() {
    if (wide)
        return;
    wideChars.assign(narrow.begin(), narrow.end());
    for (size_t i = 0; i < narrow.size(); ++i)
        wideChars[i] = static_cast<char16_t>(static_cast<uint8_t>(narrow[i]));
    narrow.clear();
    wide = true;
}

void CXLString::LimitCharBytes(uint32_t most) {
    if (wide && wideChars.size() > most / 2)
        wideChars.resize(most / 2);
    else if (!wide && narrow.size() > most)
        narrow.resize(most);
}

namespace {

uint32_t ReadChars(const uint8_t* p, uint32_t available, uint32_t count, bool wide, CXLString& out) {
    out.wide = wide;
    out.narrow.clear();
    out.wideChars.clear();
    const uint64_t bytes = wide ? 2ull * count : count;
    if (bytes > available)
        return 0;
    if (wide) {
        out.wideChars.resize(count);
        GetWChars(p, out.wideChars.data(), count);
    } else {
        out.narrow.assign(reinterpret_cast<const char*>(p), count);
    }
    return static_cast<uint32_t>(bytes);
}

void WriteChars(uint8_t* p, const CXLString& s) {
    if (s.wide)
        SetWChars(p, s.wideChars.data(), s.wideChars.size());
    else if (!s.narrow.empty())
        std::memcpy(p, s.narrow.data(), s.narrow.size());
}

} // namespace

uint32_t ReadShortString(const uint8_t* p, uint32_t available, CXLString& out) {
    if (available < 2)
        return 0;
    const uint32_t used = ReadChars(p + 2, available - 2, p[0], (p[1] & 0x01) != 0, out);
    return used == 0 && p[0] != 0 ? 0 : used + 2;
}

uint32_t ShortStringSize(const CXLString& s) {
    return 2 + s.CharBytes();
}

uint32_t WriteShortString(uint8_t* p, const CXLString& s) {
    p[0] = static_cast<uint8_t>(s.Length());
    p[1] = s.wide ? 1 : 0;
    WriteChars(p + 2, s);
    return ShortStringSize(s);
}

uint32_t ReadLongString(const uint8_t* p, uint32_t available, CXLString& out) {
    if (available < 3)
        return 0;
    const uint32_t count = GetU16(p);
    const uint8_t flags = p[2];
    uint64_t pos = 3;
    uint32_t runs = 0, extension = 0;
    if (flags & 0x08) {
        if (pos + 2 > available)
            return 0;
        runs = GetU16(p + pos);
        pos += 2;
    }
    if (flags & 0x04) {
        if (pos + 4 > available)
            return 0;
        extension = GetU32(p + pos);
        pos += 4;
    }
    const uint32_t used =
        ReadChars(p + pos, available - static_cast<uint32_t>(pos), count, (flags & 0x01) != 0, out);
    if (used == 0 && count != 0)
        return 0;
    pos += used + 4ull * runs + extension;
    return pos > available ? 0 : static_cast<uint32_t>(pos);
}

uint32_t LongStringSize(const CXLString& s) {
    return 3 + s.CharBytes();
}

uint32_t WriteLongString(uint8_t* p, const CXLString& s) {
    SetU16(p, static_cast<uint16_t>(s.Length()));
    p[2] = s.wide ? 1 : 0;
    WriteChars(p + 3, s);
    return LongStringSize(s);
}

bool CPiecedStringReader::ReadString(CXLString& out) {
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

uint32_t CPiecedStringReader::PieceEnd() {
    while (m_next < m_boundaries.size() && m_boundaries[m_next] <= m_pos)
        ++m_next;
    return m_next < m_boundaries.size() ? std::min(m_boundaries[m_next], m_size) : m_size;
}

void CPiecedStringReader::Append(CXLString& out, bool pieceWide, uint32_t count) {
    const uint8_t* p = m_data + m_pos;
    if (out.wide) {
        const size_t at = out.wideChars.size();
        out.wideChars.resize(at + count);
        for (uint32_t i = 0; i < count; ++i)
            out.wideChars[at + i] =
                pieceWide ? static_cast<char16_t>(GetU16(p + 2 * i)) : static_cast<char16_t>(p[i]);
    } else {
        out.narrow.append(reinterpret_cast<const char*>(p), count);
    }
}

uint32_t PlacePiecedString(const CXLString& s, uint32_t pos, uint32_t& pieceEnd,
                           std::vector<uint32_t>& boundaries, uint8_t* out) {
    const uint32_t charBytes = s.CharBytes();
    if (pos + 3 + charBytes <= pieceEnd) {
        if (out)
            WriteLongString(out + pos, s);
        return pos + 3 + charBytes;
    }
    const uint8_t flags = s.wide ? 1 : 0;
    // Characters are never cut in two.
    if (s.wide && (pieceEnd - pos) % 2 == 0)
        --pieceEnd;
    boundaries.push_back(pieceEnd);
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
        boundaries.push_back(pos);
    }
    if (out)
        out[pos] = flags;
    emit(pos + 1, done, charBytes - done);
    pieceEnd = pos + MAX_PIECE;
    return pos + 1 + charBytes - done;
}

} // namespace SheetIO
