#pragma once

#include "platform/LargeBlock.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <vector>

// The samples of a data-logging run: times and values in chunks that are made as samples arrive and
// never move, so the run's memory follows what it has received, and readers on other threads use
// every sample below a count they have loaded while the writer appends beyond it.
//
// One thread appends at a time; Clear runs while no other thread uses the store.
class CSampleStore {
public:
    static constexpr std::size_t kChunkSamples = std::size_t{1} << 20;

    enum class eAppend {
        Kept,        // every sample was kept
        OutOfMemory, // the memory for the next chunk could not be had: the samples before it were kept
        Full,        // the store holds its limit: the samples beyond it were not kept
    };

    // At most 'limit' samples.
    explicit CSampleStore(std::size_t limit);
    CSampleStore(const CSampleStore&) = delete;
    CSampleStore& operator=(const CSampleStore&) = delete;

    // Empties the store and gives its memory back.
    void Clear();
    // While empty: keeps at most 'limit' samples from now on, no more than the limit it was made with.
    void SetLimit(std::size_t limit);

    // Samples kept; every one below it may be read.
    std::size_t Count() const { return m_count.load(std::memory_order_acquire); }
    std::size_t Limit() const { return m_limit; }

    // Appends n samples: fill(first, times, values, count) writes source samples first .. first+count-1
    // into the two arrays given. The new count is published once the samples are written.
    template <typename Fill> eAppend Append(std::size_t n, Fill&& fill);
    eAppend Append(const double* times, const double* values, std::size_t n);

    // visit(first, times, values, count) for each stretch of samples [begin, end) that lies in one chunk,
    // in order; end must not be beyond Count().
    template <typename Visit> void ForEachSegment(std::size_t begin, std::size_t end, Visit&& visit) const;

    double TimeAt(std::size_t index) const {
        return m_chunks[index / kChunkSamples].times[index % kChunkSamples];
    }
    double ValueAt(std::size_t index) const {
        return m_chunks[index / kChunkSamples].values[index % kChunkSamples];
    }

    // Bytes of the chunks made.
    std::size_t MemoryBytes() const;

private:
    struct SChunk {
        platform::CLargeArray<double> times;
        platform::CLargeArray<double> values;
    };
    bool MakeChunk(std::size_t chunk);

    std::size_t m_limit;
    // Sized once: a reader never sees the table itself move.
    std::vector<SChunk> m_chunks;
    std::atomic<std::size_t> m_made{0};
    std::atomic<std::size_t> m_count{0};
};

template <typename Fill> CSampleStore::eAppend CSampleStore::Append(std::size_t n, Fill&& fill) {
    const std::size_t count = m_count.load(std::memory_order_relaxed);
    const std::size_t taken = std::min(n, m_limit - count);
    std::size_t done = 0;
    eAppend result = taken < n ? eAppend::Full : eAppend::Kept;
    while (done < taken) {
        const std::size_t at = count + done;
        const std::size_t chunk = at / kChunkSamples;
        const std::size_t offset = at % kChunkSamples;
        if (!MakeChunk(chunk)) {
            result = eAppend::OutOfMemory;
            break;
        }
        const std::size_t piece = std::min(taken - done, kChunkSamples - offset);
        fill(done, m_chunks[chunk].times.data() + offset, m_chunks[chunk].values.data() + offset, piece);
        done += piece;
    }
    if (done > 0)
        m_count.store(count + done, std::memory_order_release);
    return result;
}

template <typename Visit>
void CSampleStore::ForEachSegment(std::size_t begin, std::size_t end, Visit&& visit) const {
    while (begin < end) {
        const std::size_t chunk = begin / kChunkSamples;
        const std::size_t offset = begin % kChunkSamples;
        const std::size_t piece = std::min(end - begin, kChunkSamples - offset);
        visit(begin, static_cast<const double*>(m_chunks[chunk].times.data() + offset),
              static_cast<const double*>(m_chunks[chunk].values.data() + offset), piece);
        begin += piece;
    }
}
