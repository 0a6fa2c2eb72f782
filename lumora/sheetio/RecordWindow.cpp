#include "lumora/sheetio/RecordWindow.h"

#include <algorithm>

namespace SheetIO {

CRecordWindow::CRecordWindow(CCompoundStorage::CStreamReader& reader)
    : m_reader(reader), m_size(static_cast<uint32_t>(std::min<uint64_t>(reader.Size(), 0xFFFFFFFFu))) {}

void CRecordWindow::ReadOn(uint64_t wanted) {
    const uint32_t held = m_start + static_cast<uint32_t>(m_buffer.size());
    // Read on in steps, so that walking record by record does not read a few bytes at a time.
    const auto end =
        static_cast<uint32_t>(std::min<uint64_t>(std::max<uint64_t>(wanted, held + READ_AHEAD), m_size));
    const size_t old = m_buffer.size();
    m_buffer.resize(end - m_start);
    if (!m_reader.Read(m_buffer.data() + old, end - held)) {
        m_buffer.resize(old);
        throw EXCEPTION_UNREADABLE{};
    }
}

void CRecordWindow::Drop(uint32_t pos) {
    const uint32_t drop = std::min(pos - m_start, static_cast<uint32_t>(m_buffer.size()));
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + drop);
    m_start += drop;
}

} // namespace SheetIO
