#pragma once

#include "lumora/sheetio/XLString.h"

#include <cstdint>
#include <string>
#include <string_view>

// The layout of a compound document: a 512-byte header, then sectors numbered from 0, chained by
// a table of one 32-bit entry per sector; streams under 4,096 bytes live in 64-byte mini sectors
// inside the root entry's stream, chained by a table of their own.
namespace SheetIO::compound {

constexpr uint8_t SIGNATURE[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr uint32_t HEADER_BYTES = 512;
constexpr uint32_t HEADER_DIFAT = 109; // table sectors named in the header
constexpr uint32_t SECTOR_SHIFT = 9;   // what this writer uses
constexpr uint32_t SECTOR_BYTES = 1u << SECTOR_SHIFT;
constexpr uint32_t MINI_SHIFT = 6;
constexpr uint32_t MINI_BYTES = 1u << MINI_SHIFT;
constexpr uint32_t MINI_CUTOFF = 4096;
constexpr uint32_t ENTRY_BYTES = 128;
constexpr uint32_t MAX_NAME = 31; // characters, without the terminating zero
// The largest stream a document of 512-byte sectors (version 3) may hold.
constexpr uint64_t MAX_STREAM_BYTES = uint64_t{1} << 31;

constexpr uint32_t MAX_SECTOR = 0xFFFFFFFA;
constexpr uint32_t DIFAT_SECTOR = 0xFFFFFFFC;
constexpr uint32_t FAT_SECTOR = 0xFFFFFFFD;
constexpr uint32_t END_OF_CHAIN = 0xFFFFFFFE;
constexpr uint32_t FREE_SECTOR = 0xFFFFFFFF;
constexpr uint32_t NO_ENTRY = 0xFFFFFFFF;

constexpr uint8_t TYPE_STREAM = 2;
constexpr uint8_t TYPE_ROOT = 5;

// The (mini) sectors that 'bytes' take, without overflow for any 64-bit count.
inline uint64_t Units(uint64_t bytes, uint32_t shift) {
    return (bytes >> shift) + ((bytes & ((uint64_t{1} << shift) - 1)) != 0 ? 1 : 0);
}

// A stream name as the directory holds it: UTF-8 decoded, or Latin-1 when it is no valid UTF-8.
inline std::u16string NameCharacters(std::string_view name) {
    std::u16string wide;
    if (DecodeUtf8(name, wide))
        return wide;
    wide.resize(name.size());
    for (size_t i = 0; i < name.size(); ++i)
        wide[i] = static_cast<char16_t>(static_cast<uint8_t>(name[i]));
    return wide;
}

inline char16_t UpperLatin(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// Names match without regard to the case of their Latin letters.
inline bool SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperLatin(a[i]) != UpperLatin(b[i]))
            return false;
    return true;
}

} // namespace SheetIO::compound
