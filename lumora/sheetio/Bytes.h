#pragma once

#include <cstdint>
#include <cstring>

// Little-endian access to BIFF8 record bytes; the caller guarantees the bytes exist.
namespace SheetIO {

inline uint8_t GetU8(const uint8_t* p) {
    return p[0];
}
inline uint16_t GetU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t GetU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t GetU64(const uint8_t* p) {
    return static_cast<uint64_t>(GetU32(p)) | (static_cast<uint64_t>(GetU32(p + 4)) << 32);
}
inline double GetF64(const uint8_t* p) {
    const uint64_t bits = GetU64(p);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

inline void SetU8(uint8_t* p, uint8_t v) {
    p[0] = v;
}
inline void SetU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void SetU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void SetU64(uint8_t* p, uint64_t v) {
    SetU32(p, static_cast<uint32_t>(v));
    SetU32(p + 4, static_cast<uint32_t>(v >> 32));
}
inline void SetF64(uint8_t* p, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    SetU64(p, bits);
}

// Runs of 16-bit characters, two bytes each.
inline void GetWChars(const uint8_t* p, char16_t* out, size_t count) {
    for (size_t i = 0; i < count; ++i)
        out[i] = static_cast<char16_t>(GetU16(p + 2 * i));
}
inline void SetWChars(uint8_t* p, const char16_t* chars, size_t count) {
    for (size_t i = 0; i < count; ++i)
        SetU16(p + 2 * i, static_cast<uint16_t>(chars[i]));
}

} // namespace SheetIO
