#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace drvcore {

// Builds XDR data (big-endian 32-bit words, opaque data padded to four bytes).
class CXdrWriter {
public:
    void PutU32(uint32_t value);
    void PutI32(int32_t value) { PutU32(static_cast<uint32_t>(value)); }
    void PutOpaque(std::string_view data);
    // The length word of opaque data whose bytes the caller sends separately (then the padding).
    void PutOpaqueLength(size_t length) { PutU32(static_cast<uint32_t>(length)); }

    const std::string& Data() const { return m_data; }
    std::string& Data() { return m_data; }

    static size_t Padding(size_t length) { return (4 - length % 4) % 4; }

private:
    std::string m_data;
};

} // namespace drvcore
