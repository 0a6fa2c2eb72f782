#include "lumora/sheetio/XLString.h"

#include "lumora/sheetio/Bytes.h"

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

} // namespace SheetIO
