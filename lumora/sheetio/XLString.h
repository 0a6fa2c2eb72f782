#pragma once

#include <cstdint>
#include <string>

namespace SheetIO {

// A BIFF8 string: 8-bit characters (Latin-1, the compressed form) or 16-bit characters.
struct CXLString {
    bool wide = false;
    std::string narrow;
    std::u16string wideChars;

    CXLString() = default;
    explicit CXLString(std::string text) : narrow(std::move(text)) {}
    explicit CXLString(std::u16string text) : wide(true), wideChars(std::move(text)) {}

    uint32_t Length() const { return static_cast<uint32_t>(wide ? wideChars.size() : narrow.size()); }
    uint32_t CharBytes() const { return wide ? 2 * Length() : Length(); }
    // Zero-extends the compressed characters (they are Latin-1).
    void Widen();
    // Drops the characters beyond 'most' character bytes (whole characters only).
    void LimitCharBytes(uint32_t most);
};

// Short string: 8-bit count, flags, characters. Returns bytes used, 0 when the bytes are too few.
uint32_t ReadShortString(const uint8_t* p, uint32_t available, CXLString& out);
uint32_t ShortStringSize(const CXLString& s);
uint32_t WriteShortString(uint8_t* p, const CXLString& s);

// Long string: 16-bit count, flags, optional run count and extension size, characters, runs, extension.
// Rich-text runs and extension bytes are skipped.
uint32_t ReadLongString(const uint8_t* p, uint32_t available, CXLString& out);
uint32_t LongStringSize(const CXLString& s);
uint32_t WriteLongString(uint8_t* p, const CXLString& s);

} // namespace SheetIO
