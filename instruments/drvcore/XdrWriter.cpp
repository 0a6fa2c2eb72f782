#include "instruments/drvcore/XdrWriter.h"

namespace drvcore {

void CXdrWriter::PutU32(uint32_t value) {
    const char bytes[4] = {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 8), static_cast<char>(value)};
    m_data.append(bytes, 4);
}

void CXdrWriter::PutOpaque(std::string_view data) {
    PutOpaqueLength(data.size());
    m_data.append(data);
    m_data.append(Padding(data.size()), '\0');
}

} // namespace drvcore
