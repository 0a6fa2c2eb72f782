#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace drvcore {

// Reads XDR data from a bounded buffer; every read fails (and stays failed) past the end.
class CXdrReader {
public:
    CXdrReader(const char* data, size_t size) : m_data(data), m_size(size) {}
    explicit CXdrReader(std::string_view data) : CXdrReader(data.data(), data.size()) {}

    bool GetU32(uint32_t& value);
    bool GetI32(int32_t& value);
    // Opaque data of at most 'limit' bytes; the view points into the buffer.
    bool GetOpaque(std::string_view& data, size_t limit);
    bool Skip(size_t bytes);

    bool Ok() const { return m_ok; }
    size_t Remaining() const { return m_size - m_at; }

private:
    const char* m_data;
    size_t m_size;
    size_t m_at = 0;
    bool m_ok = true;
};

} // namespace drvcore
