#include "lumora/core/SampleStore.h"

#include <algorithm>
#include <new>

CSampleStore::CSampleStore(std::size_t limit)
    : m_limit(limit), m_chunks((limit + kChunkSamples - 1) / kChunkSamples) {}

void CSampleStore::Clear() {
    m_count.store(0, std::memory_order_relaxed);
    m_made.store(0, std::memory_order_relaxed);
    for (SChunk& chunk : m_chunks) {
        platform::CLargeArray<double>().swap(chunk.times);
        platform::CLargeArray<double>().swap(chunk.values);
    }
}

void CSampleStore::SetLimit(std::size_t limit) {
    if (Count() == 0)
        m_limit = std::min(limit, m_chunks.size() * kChunkSamples);
}

CSampleStore::eAppend CSampleStore::Append(const double* times, const double* values, std::size_t n) {
    return Append(n, [&](std::size_t first, double* t, double* v, std::size_t count) {
        std::copy_n(times + first, count, t);
        std::copy_n(values + first, count, v);
    });
}

// The pages of a chunk are only taken from the system as samples are written into them: its
// arrays are sized without being cleared.
bool CSampleStore::MakeChunk(std::size_t chunk) {
    SChunk& entry = m_chunks[chunk];
    if (!entry.times.empty() && !entry.values.empty())
        return true;
    try {
        entry.times.resize(kChunkSamples);
        entry.values.resize(kChunkSamples);
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_made.store(std::max(m_made.load(std::memory_order_relaxed), chunk + 1), std::memory_order_relaxed);
    return true;
}

std::size_t CSampleStore::MemoryBytes() const {
    return m_made.load(std::memory_order_relaxed) * kChunkSamples * 2 * sizeof(double);
}
