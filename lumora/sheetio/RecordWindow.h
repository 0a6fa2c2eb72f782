#pragma once

#include "lumora/sheetio/CompoundStorage.h"
#include "lumora/sheetio/Record.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace SheetIO {

// Thrown when the stream cannot be read on (the compound document is damaged).
struct EXCEPTION_UNREADABLE {};

// The part of a stream that a reader is working on: bytes are read from the stream as they are
// asked for and dropped once the reader has gone past them, so a stream of any size is parsed in
// little memory. Positions are stream offsets.
class CRecordWindow {
public:
    explicit CRecordWindow(CCompoundStorage::CStreamReader& reader);
    ~CRecordWindow();
    CRecordWindow(const CRecordWindow&) = delete;
    CRecordWindow& operator=(const CRecordWindow&) = delete;

    uint32_t Size() const { return m_size; }
    // The bytes from 'pos' on, at least 'count' of them unless the stream ends first; 'available'
    // gets how many are held from 'pos'. 'pos' must not lie before the last Release.
    const uint8_t* At(uint32_t pos, uint32_t count, uint32_t& available) {
        const uint32_t held = m_start + m_held;
        if (uint64_t{pos} + count > held && held < m_size)
            ReadOn(pos, uint64_t{pos} + count);
        available = m_start + m_held - pos;
        return m_buffer + (pos - m_start);
    }
    // The bytes before 'pos' are no longer needed.
    void Release(uint32_t pos) { m_released = pos; }
    // Length of what 'measure' finds at 'pos' (a record, a record group, a substream), measured on
    // as many bytes as it needs: 'measure' gets contiguous bytes and throws EXCEPTION_DAMAGED when
    // they end too soon.
    template <class Measure> uint32_t Measured(uint32_t pos, Measure measure);

private:
    // Bytes read at a time: a huge page's worth, read straight into a buffer of one.
    static constexpr uint32_t READ_AHEAD = 2u << 20;

    // Reads the stream on to at least position 'wanted' (or its end); 'pos' is being asked for.
    void ReadOn(uint32_t pos, uint64_t wanted);
    // A buffer of at least 'capacity' bytes that keeps the held bytes from 'keep' on.
    void Reallocate(uint32_t keep, uint64_t capacity);
    void Free();

    CCompoundStorage::CStreamReader& m_reader;
    uint32_t m_size;
    uint32_t m_start = 0;    // stream position of m_buffer[0]
    uint32_t m_held = 0;     // bytes held from m_start on
    uint32_t m_released = 0; // stream position before which nothing is needed
    uint8_t* m_buffer = nullptr;
    size_t m_capacity = 0;
};

template <class Measure> uint32_t CRecordWindow::Measured(uint32_t pos, Measure measure) {
    uint32_t want = 64 * 1024;
    for (;;) {
        uint32_t available = 0;
        const uint8_t* bytes = At(pos, want, available);
        const bool whole = available >= m_size - pos;
        try {
            const uint32_t length = measure(bytes, available);
            // A walk that stopped within 4 bytes of the held end may have missed a CONTINUE piece.
            if (whole || length + 4 <= available)
                return length;
        } catch (const EXCEPTION_DAMAGED&) {
            if (whole)
                throw;
        }
        want =
            static_cast<uint32_t>(std::min<uint64_t>(2 * uint64_t{std::max(available, want)}, 0xFFFFFFFFu));
    }
}

} // namespace SheetIO
