#pragma once

#include "lumora/sheetio/Record.h"
#include "platform/LargeBlock.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace SheetIO {

// Records of one kind, kept as the bytes they took in the stream (header, data and any CONTINUE
// pieces), one after another in one buffer. A record costs what it took in the file and the offset
// where it starts, not an object with a heap block of its own, so the globals of any workbook cost a
// small multiple of its size, however many thousand empty records it is made of. A record is decoded
// when it is looked at, and written as its class writes it.
template <class R> class CRecordList {
public:
    std::size_t size() const { return m_starts.size(); }
    bool empty() const { return m_starts.empty(); }
    void clear() {
        Bytes().swap(m_bytes);
        Starts().swap(m_starts);
    }

    // Reads the record at 'bytes' (with its CONTINUE pieces) and keeps it; the stream bytes it took.
    uint32_t Append(const uint8_t* bytes, uint32_t available) {
        R record;
        const uint32_t used = record.Read(bytes, available);
        m_starts.push_back(static_cast<uint32_t>(m_bytes.size()));
        m_bytes.insert(m_bytes.end(), bytes, bytes + used);
        return used;
    }
    void push_back(R record) {
        m_starts.push_back(static_cast<uint32_t>(m_bytes.size()));
        const std::size_t at = m_bytes.size();
        m_bytes.resize(at + record.RecordSize());
        record.Write(m_bytes.data() + at);
    }
    // Adds default records, or drops the last ones, until there are 'count'.
    void resize(std::size_t count) {
        if (count < size()) {
            m_bytes.resize(m_starts[count]);
            m_starts.resize(count);
        }
        while (size() < count)
            push_back(R());
    }

    // The record decoded from its bytes.
    R operator[](std::size_t i) const {
        R record;
        record.Read(m_bytes.data() + m_starts[i], End(i) - m_starts[i]);
        return record;
    }
    // Replaces record i.
    void Set(std::size_t i, R record) {
        const uint32_t start = m_starts[i];
        const uint32_t old = End(i) - start;
        const uint32_t now = record.RecordSize();
        if (now != old) {
            Bytes moved;
            moved.reserve(m_bytes.size() - old + now);
            moved.insert(moved.end(), m_bytes.begin(), m_bytes.begin() + start);
            moved.resize(start + now);
            moved.insert(moved.end(), m_bytes.begin() + start + old, m_bytes.end());
            m_bytes.swap(moved);
            for (std::size_t k = i + 1; k < m_starts.size(); ++k)
                m_starts[k] = m_starts[k] - old + now;
        }
        record.Write(m_bytes.data() + start);
    }

    // Calls 'visit' with each record in turn, decoded.
    template <class Visit> void ForEach(Visit visit) const {
        for (std::size_t i = 0; i < size(); ++i) {
            R record = (*this)[i];
            visit(record);
        }
    }

private:
    using Bytes = std::vector<uint8_t, platform::CLargeBlockAllocator<uint8_t>>;
    using Starts = std::vector<uint32_t, platform::CLargeBlockAllocator<uint32_t>>;

    uint32_t End(std::size_t i) const {
        return i + 1 < m_starts.size() ? m_starts[i + 1] : static_cast<uint32_t>(m_bytes.size());
    }

    Bytes m_bytes;
    Starts m_starts;
};

} // namespace SheetIO
