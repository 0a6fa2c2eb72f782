#pragma once

#include "lumora/sheetio/XLString.h"
#include "platform/LargeBlock.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace SheetIO {

// The strings of a shared-string table, their characters one after another in two buffers (8-bit and
// 16-bit characters) and eight bytes a string besides: a table of millions of short strings costs what
// its characters and the table's own bytes do, not an object and a heap block per string.
class CStringPool {
public:
    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    void clear();
    void reserve(std::size_t count) { m_entries.reserve(count); }

    void emplace_back(std::string_view narrow);
    void emplace_back(std::u16string_view wide);
    void push_back(const CXLString& text);

    bool Wide(std::size_t i) const { return (m_entries[i].length & kWide) != 0; }
    std::uint32_t Length(std::size_t i) const { return m_entries[i].length & ~kWide; }
    // The characters of an 8-bit string (empty for a 16-bit one), or of a 16-bit one.
    std::string_view Narrow(std::size_t i) const;
    std::u16string_view WideChars(std::size_t i) const;
    // The string's characters where they lie in the pool.
    CXLStringView View(std::size_t i) const { return {Wide(i), Narrow(i), WideChars(i)}; }
    // The string as a string of its own.
    CXLString operator[](std::size_t i) const;

private:
    static constexpr std::uint32_t kWide = 0x80000000u;
    struct SEntry {
        std::uint32_t start;  // in the buffer of its kind
        std::uint32_t length; // characters, with kWide for 16-bit ones
    };
    template <class T> using Buffer = std::vector<T, platform::CLargeBlockAllocator<T>>;

    Buffer<SEntry> m_entries;
    Buffer<char> m_narrow;
    Buffer<char16_t> m_wide;
};

} // namespace SheetIO
