#include "instruments/drvcore/XdrReader.h"

#include "instruments/drvcore/XdrWriter.h"

namespace drvcore {

bool CXdrReader::GetU32(uint32_t& value) {
    if (!m_ok || Remaining() < 4)
        return m_ok = false;
    const auto* b = reinterpret_cast<const unsigned char*>(m_data + m_at);
    value = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | uint32_t(b[3]);
    m_at += 4;
    return true;
}

bool CXdrReader::GetI32(int32_t& value) {
    uint32_t raw = 0;
    if (!GetU32(raw))
        return false;
    value = static_cast<int32_t>(raw);
    return true;
}

bool CXdrReader::GetOpaque(std::string_view& data, size_t limit) {
    uint32_t length = 0;
    if (!GetU32(length))
        return false;
    const size_t padded = length + CXdrWriter::Padding(length);
    if (length > limit || Remaining() < padded)
        return m_ok = false;
    data = std::string_view(m_data + m_at, length);
    m_at += padded;
    return true;
}

bool CXdrReader::Skip(size_t bytes) {
    if (!m_ok || Remaining() < bytes)
        return m_ok = false;
    m_at += bytes;
    return true;
}

} // namespace drvcore
