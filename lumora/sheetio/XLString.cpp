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

uint32_t PlacePiecedString(CXLStringView s, uint32_t pos, uint32_t& pieceEnd,
                           std::vector<uint32_t>& boundaries, uint8_t* out) {
    const uint32_t charBytes = s.CharBytes();
    const uint8_t flags = s.wide ? 1 : 0;
    const uint8_t* chars = s.wide ? nullptr : reinterpret_cast<const uint8_t*>(s.narrow.data());
    auto emit = [&](uint32_t at, uint32_t from, uint32_t count) {
        if (!out || count == 0)
            return;
        if (s.wide)
            SetWChars(out + at, s.wideChars.data() + from / 2, count / 2);
        else
            std::memcpy(out + at, chars + from, count);
    };
    if (out) {
        SetU16(out + pos, static_cast<uint16_t>(s.Length()));
        out[pos + 2] = flags;
    }
    if (pos + 3 + charBytes <= pieceEnd) {
        emit(pos + 3, 0, charBytes);
        return pos + 3 + charBytes;
    }
    // Characters are never cut in two.
    if (s.wide && (pieceEnd - pos) % 2 == 0)
        --pieceEnd;
    boundaries.push_back(pieceEnd);
    const uint32_t first = pieceEnd - pos - 3;
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

bool DecodeUtf8(std::string_view text, std::u16string& out) {
    out.clear();
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<uint8_t>(text[i]);
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        // Length, the bits of the lead byte, and the least value the length may encode.
        size_t length;
        uint32_t value;
        uint32_t least;
        if ((lead & 0xE0) == 0xC0) {
            length = 2, value = lead & 0x1F, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, value = lead & 0x0F, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, value = lead & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (text.size() - i < length)
            return false;
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<uint8_t>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            value = value << 6 | (next & 0x3F);
        }
        if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        if (value >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(value));
        }
        i += length;
    }
    return true;
}

std::string EncodeUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | c >> 6));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | c >> 12));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | c >> 18));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

} // namespace SheetIO
