#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The version record every binary of the program carries in an ELF section of its own, written at
// build time and read back from the file without loading it. All numbers are little-endian:
//   magic "LMRVERS1"
//   u32 fixed block size (52), the fixed block as the Windows fixed file information block
//   u32 translation count n, n pairs of u16 (language, code page)
//   per translation: twelve strings, each a u32 count of UTF-16 units and the units
namespace infobox {

inline constexpr char kVersionSection[] = ".lumora_version";
inline constexpr std::string_view kVersionMagic{"LMRVERS1", 8};
inline constexpr std::uint32_t kFixedBlockSize = 52;
inline constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
inline constexpr int kVersionStringCount = 12;
// A record larger than this is not one of ours.
inline constexpr std::uint32_t kMaxVersionRecord = 64 * 1024;

struct VersionTranslation {
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
    // CompanyName, FileDescription, FileVersion, InternalName, LegalCopyright, OriginalFileName,
    // ProductName, ProductVersion, Comments, LegalTrademarks, PrivateBuild, SpecialBuild.
    std::array<std::u16string_view, kVersionStringCount> strings{};
};

struct VersionFields {
    std::array<std::uint16_t, 4> fileVersion{};    // major, minor, third, fourth
    std::array<std::uint16_t, 4> productVersion{}; // major, minor, third, fourth
    std::uint32_t flagsMask = 0x3F;
    std::uint32_t flags = 0;
    std::uint32_t fileOs = 0x40004; // NT, 32-bit Windows: the value the records were defined with
    std::uint32_t fileType = 1;     // 1 application, 2 library
    std::uint32_t fileSubtype = 0;
    std::uint64_t fileDate = 0;
    std::array<VersionTranslation, 2> translations{};
    std::size_t translationCount = 1;
};

constexpr std::size_t VersionRecordSize(const VersionFields& fields) {
    std::size_t size = kVersionMagic.size() + 4 + kFixedBlockSize + 4 + 4 * fields.translationCount;
    for (std::size_t t = 0; t < fields.translationCount; ++t)
        for (const auto& text : fields.translations[t].strings)
            size += 4 + 2 * text.size();
    return size;
}

// Writes the record; the array must be VersionRecordSize(fields) long.
template <std::size_t N>
constexpr std::array<unsigned char, N> MakeVersionRecord(const VersionFields& fields) {
    std::array<unsigned char, N> out{};
    std::size_t at = 0;
    auto u8 = [&](unsigned value) { out[at++] = static_cast<unsigned char>(value & 0xFF); };
    auto u16 = [&](unsigned value) {
        u8(value);
        u8(value >> 8);
    };
    auto u32 = [&](std::uint32_t value) {
        u16(value & 0xFFFF);
        u16(value >> 16);
    };
    for (char c : kVersionMagic)
        u8(static_cast<unsigned char>(c));
    u32(kFixedBlockSize);
    u32(kFixedSignature);
    u32(0x00010000);
    u32((std::uint32_t{fields.fileVersion[0]} << 16) | fields.fileVersion[1]);
    u32((std::uint32_t{fields.fileVersion[2]} << 16) | fields.fileVersion[3]);
    u32((std::uint32_t{fields.productVersion[0]} << 16) | fields.productVersion[1]);
    u32((std::uint32_t{fields.productVersion[2]} << 16) | fields.productVersion[3]);
    u32(fields.flagsMask);
    u32(fields.flags);
    u32(fields.fileOs);
    u32(fields.fileType);
    u32(fields.fileSubtype);
    u32(static_cast<std::uint32_t>(fields.fileDate >> 32));
    u32(static_cast<std::uint32_t>(fields.fileDate & 0xFFFFFFFF));
    u32(static_cast<std::uint32_t>(fields.translationCount));
    for (std::size_t t = 0; t < fields.translationCount; ++t) {
        u16(fields.translations[t].language);
        u16(fields.translations[t].codePage);
    }
    for (std::size_t t = 0; t < fields.translationCount; ++t) {
        for (const auto& text : fields.translations[t].strings) {
            u32(static_cast<std::uint32_t>(text.size()));
            for (char16_t unit : text)
                u16(unit);
        }
    }
    return out;
}

} // namespace infobox
