#include "lumora/core/DataStreamParseThread.h"

CDataStreamParseThread::~CDataStreamParseThread() {
    Finish();
}

void CDataStreamParseThread::Start(double* times, double* values, std::size_t capacity) {
    Finish();
    m_parser.Reset();
    m_times = times;
    m_values = values;
    m_capacity = capacity;
    m_blocks.clear();
    m_ending = false;
    m_received.store(0, std::memory_order_release);
    m_lastTime.store(0.0, std::memory_order_release);
    m_invalid.store(0, std::memory_order_release);
    m_thread = std::thread([this] { ParseThreadProc(); });
}

void CDataStreamParseThread::Push(std::vector<unsigned char> block) {
    if (block.empty())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_blocks.push_back(std::move(block));
    }
    m_queued.notify_one();
}

void CDataStreamParseThread::Finish() {
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_queued.notify_one();
    m_thread.join();
}

void CDataStreamParseThread::ParseThreadProc() {
    std::size_t received = 0;
    for (;;) {
        std::vector<unsigned char> block;
        {
            std::unique_lock lock(m_mutex);
            m_queued.wait(lock, [this] { return m_ending || !m_blocks.empty(); });
            if (m_blocks.empty())
                break;
            block = std::move(m_blocks.front());
            m_blocks.pop_front();
        }
        m_parser.Parse(block.data(), block.size(), m_times, m_values, m_capacity, received);
        if (received > 0)
            m_lastTime.store(m_times[received - 1], std::memory_order_release);
        m_invalid.store(m_parser.InvalidFrames(), std::memory_order_release);
        m_received.store(received, std::memory_order_release);
    }
    m_parser.Finish();
    m_invalid.store(m_parser.InvalidFrames(), std::memory_order_release);
}
