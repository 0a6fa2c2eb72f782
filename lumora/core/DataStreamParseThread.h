#pragma once

#include "lumora/core/DataStreamParser.h"
#include "lumora/core/SampleStore.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

// The parse thread of a supply run: blocks of stream bytes are queued in arrival order and parsed
// into the run's sample store, which grows as they arrive. The store publishes its count after each
// block, so a reader that loads Received() sees every sample below it written.
class CDataStreamParseThread {
public:
    CDataStreamParseThread() = default;
    ~CDataStreamParseThread();
    CDataStreamParseThread(const CDataStreamParseThread&) = delete;
    CDataStreamParseThread& operator=(const CDataStreamParseThread&) = delete;

    // A new run into the store, which is emptied first and must outlive the run; samples beyond the
    // first 'most' are read and dropped.
    void Start(CSampleStore& store, std::size_t most = SIZE_MAX);
    // Hands a block over; it is parsed after every block handed over before it.
    void Push(std::vector<unsigned char> block);
    // Parses what is queued, takes the end of the stream as it came (see CDataStreamParser::Finish) and
    // ends the thread. Does nothing when no run was started.
    void Finish(CDataStreamParser::eStreamEnd end = CDataStreamParser::eStreamEnd::Closed);

    bool IsRunning() const { return m_thread.joinable(); }
    std::size_t Received() const { return m_store != nullptr ? m_store->Count() : 0; }
    double LastTime() const { return m_lastTime.load(std::memory_order_acquire); }
    std::uint64_t InvalidFrames() const { return m_invalid.load(std::memory_order_acquire); }
    // Kept while every sample went into the store; else why the first one that did not, and the samples
    // after it are dropped.
    CSampleStore::eAppend StoreResult() const { return m_storeResult.load(std::memory_order_acquire); }

private:
    void ParseThreadProc();
    void ParseBlock(const std::vector<unsigned char>& block);

    CDataStreamParser m_parser;
    CSampleStore* m_store = nullptr;
    std::size_t m_most = 0;
    // The samples of one block, on their way into the store.
    std::vector<double> m_blockTimes;
    std::vector<double> m_blockValues;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::deque<std::vector<unsigned char>> m_blocks;
    bool m_ending = false;
    CDataStreamParser::eStreamEnd m_end = CDataStreamParser::eStreamEnd::Closed;
    std::atomic<double> m_lastTime{0.0};
    std::atomic<std::uint64_t> m_invalid{0};
    std::atomic<CSampleStore::eAppend> m_storeResult{CSampleStore::eAppend::Kept};
};
