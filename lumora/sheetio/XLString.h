#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace SheetIO {

// A BIFF8 string's characters held elsewhere (in a CXLString or a string pool), for laying out
// without a copy.
struct CXLStringView {
    bool wide = false;
    std::string_view narrow;
    std::u16string_view wideChars;

    uint32_t Length() const { return static_cast<uint32_t>(wide ? wideChars.size() : narrow.size()); }
    uint32_t CharBytes() const { return wide ? 2 * Length() : Length(); }
};

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
    operator CXLStringView() const { return {wide, narrow, wideChars}; }
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

// Reads long strings from a record's joined data whose characters may run on into CONTINUE pieces:
// each piece that continues a string starts with a new flags byte, whose 16-bit bit may differ from
// the string's first piece. A string that has any 16-bit piece is kept in 16-bit characters.
class CPiecedStringReader {
public:
    CPiecedStringReader(const std::vector<uint8_t>& data, uint32_t size,
                        const std::vector<uint32_t>& boundaries, uint32_t start)
        : m_data(data.data()), m_size(size), m_boundaries(boundaries), m_pos(start) {}

    // False when the data end before the string does.
    bool ReadString(CXLString& out);
    uint32_t Position() const { return m_pos; }

private:
    uint32_t PieceEnd();
    void Append(CXLString& out, bool pieceWide, uint32_t count);

    const uint8_t* m_data;
    uint32_t m_size;
    const std::vector<uint32_t>& m_boundaries;
    uint32_t m_pos;
    size_t m_next = 0;
};

// Lays out one long string (no rich text, no extension) at 'pos' in pieces that end at 'pieceEnd'
// and then every 8,224 bytes: a string that does not fit is split between characters, each further
// piece repeating the flags byte; the boundaries are appended to 'boundaries'. Writes into 'out'
// when it is set. Returns the position after the string; 'pieceEnd' is the end of its last piece.
uint32_t PlacePiecedString(CXLStringView s, uint32_t pos, uint32_t& pieceEnd,
                           std::vector<uint32_t>& boundaries, uint8_t* out);

// UTF-8 as 16-bit characters; false (and 'out' unspecified) when the bytes are no valid UTF-8:
// overlong forms, encoded surrogates and values beyond U+10FFFF are refused.
bool DecodeUtf8(std::string_view text, std::u16string& out);
// 16-bit characters as UTF-8; a surrogate without its partner becomes U+FFFD.
std::string EncodeUtf8(std::u16string_view text);

} // namespace SheetIO
