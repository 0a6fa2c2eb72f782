#include "lumora/sheetio/RecordWindow.h"

#include "platform/LargeBlock.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace SheetIO {

CRecordWindow::CRecordWindow(CCompoundStorage::CStreamReader& reader)
    : m_reader(reader), m_size(static_cast<uint32_t>(std::min<uint64_t>(reader.Size(), 0xFFFFFFFFu))) {}

CRecordWindow::~CRecordWindow() {
    Free();
}

void CRecordWindow::Free() {
    if (!m_buffer)
        return;
    platform::FreeBuffer(m_buffer, m_capacity);
    m_buffer = nullptr;
    m_capacity = 0;
}

void CRecordWindow::Reallocate(uint32_t keep, uint64_t capacity) {
    const size_t bytes = static_cast<size_t>(capacity);
    uint8_t* buffer = static_cast<uint8_t*>(platform::AllocateBuffer(bytes));
    const uint32_t kept = m_start + m_held - keep;
    if (kept > 0)
        std::memcpy(buffer, m_buffer + (keep - m_start), kept);
    Free();
    m_buffer = buffer;
    m_capacity = bytes;
    m_start = keep;
    m_held = kept;
}

void CRecordWindow::ReadOn(uint32_t pos, uint64_t wanted) {
    // The first byte still needed: the last release, or 'pos' should that lie before it.
    const uint32_t keep = std::min(std::max(m_released, m_start), pos);
    wanted = std::min<uint64_t>(wanted, m_size);
    // Reads go on a huge page's worth at a time.
    const uint64_t desired =
        std::min<uint64_t>(std::max<uint64_t>(wanted, uint64_t{m_start} + m_held + READ_AHEAD), m_size);
    const uint64_t need = wanted - keep;
    if (need > m_capacity) {
        // The first buffer holds what the stream has, up to a huge page; a record group larger
        // than the buffer makes it grow to hold the group.
        Reallocate(keep,
                   std::max({need, std::min<uint64_t>(m_size - keep, READ_AHEAD), 2 * uint64_t{m_capacity}}));
    } else if (desired - m_start > m_capacity && keep > m_start) {
        // The bytes before 'keep' were passed: the rest moves to the front.
        const uint32_t kept = m_start + m_held - keep;
        std::memmove(m_buffer, m_buffer + (keep - m_start), kept);
        m_start = keep;
        m_held = kept;
    }
    const uint32_t held = m_start + m_held;
    const auto to = static_cast<uint32_t>(std::min<uint64_t>(desired, uint64_t{m_start} + m_capacity));
    if (to > held) {
        if (!m_reader.Read(m_buffer + m_held, to - held))
            throw EXCEPTION_UNREADABLE{};
        m_held += to - held;
    }
}

} // namespace SheetIO
