#pragma once

#include "lumora/core/DataStreamParser.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

// The parse thread of a supply run: blocks of stream bytes are queued in arrival order and parsed
// into the run's arrays, which are sized before the start and never reallocated. The counts are
// published after each block, so a reader that loads Received() sees every sample below it written.
class CDataStreamParseThread {
public:
    CDataStreamParseThread() = default;
    ~CDataStreamParseThread();
    CDataStreamParseThread(const CDataStreamParseThread&) = delete;
    CDataStreamParseThread& operator=(const CDataStreamParseThread&) = delete;

    // A new run into times[0, capacity) and values[0, capacity).
    void Start(double* times, double* values, std::size_t capacity);
    // Hands a block over; it is parsed after every block handed over before it.
    void Push(std::vector<unsigned char> block);
    // Parses what is queued, takes the end of the stream (a frame left incomplete is invalid) and
    // ends the thread. Does nothing when no run was started.
    void Finish();

    bool IsRunning() const { return m_thread.joinable(); }
    std::size_t Received() const { return m_received.load(std::memory_order_acquire); }
    double LastTime() const { return m_lastTime.load(std::memory_order_acquire); }
    std::uint64_t InvalidFrames() const { return m_invalid.load(std::memory_order_acquire); }

private:
    void ParseThreadProc();

    CDataStreamParser m_parser;
    double* m_times = nullptr;
    double* m_values = nullptr;
    std::size_t m_capacity = 0;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::deque<std::vector<unsigned char>> m_blocks;
    bool m_ending = false;
    std::atomic<std::size_t> m_received{0};
    std::atomic<double> m_lastTime{0.0};
    std::atomic<std::uint64_t> m_invalid{0};
};
