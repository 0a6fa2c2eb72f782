#include "lumora/core/DataStreamParseThread.h"

#include <algorithm>
#include <new>

CDataStreamParseThread::~CDataStreamParseThread() {
    Finish();
}

void CDataStreamParseThread::Start(CSampleStore& store, std::size_t most) {
    Finish();
    m_parser.Reset();
    store.Clear();
    m_store = &store;
    m_most = most;
    m_blocks.clear();
    m_ending = false;
    m_lastTime.store(0.0, std::memory_order_release);
    m_invalid.store(0, std::memory_order_release);
    m_storeResult.store(CSampleStore::eAppend::Kept, std::memory_order_release);
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

void CDataStreamParseThread::Finish(CDataStreamParser::eStreamEnd end) {
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
        m_end = end;
    }
    m_queued.notify_one();
    m_thread.join();
}

void CDataStreamParseThread::ParseBlock(const std::vector<unsigned char>& block) {
    // A block holds at most one frame more than its whole frames: the one the last block began.
    const std::size_t room = block.size() / CDataStreamParser::kFrameSize + 1;
    try {
        if (m_blockTimes.size() < room) {
            m_blockTimes.resize(room);
            m_blockValues.resize(room);
        }
    } catch (const std::bad_alloc&) {
        m_storeResult.store(CSampleStore::eAppend::OutOfMemory, std::memory_order_release);
        return;
    }
    std::size_t parsed = 0;
    m_parser.Parse(block.data(), block.size(), m_blockTimes.data(), m_blockValues.data(), room, parsed);
    m_invalid.store(m_parser.InvalidFrames(), std::memory_order_release);
    parsed = std::min(parsed, m_most - std::min(m_most, m_store->Count()));
    if (parsed == 0)
        return;
    const CSampleStore::eAppend result = m_store->Append(m_blockTimes.data(), m_blockValues.data(), parsed);
    const std::size_t received = m_store->Count();
    if (received > 0)
        m_lastTime.store(m_store->TimeAt(received - 1), std::memory_order_release);
    if (result != CSampleStore::eAppend::Kept)
        m_storeResult.store(result, std::memory_order_release);
}

void CDataStreamParseThread::ParseThreadProc() {
    CDataStreamParser::eStreamEnd end = CDataStreamParser::eStreamEnd::Closed;
    for (;;) {
        std::vector<unsigned char> block;
        {
            std::unique_lock lock(m_mutex);
            m_queued.wait(lock, [this] { return m_ending || !m_blocks.empty(); });
            if (m_blocks.empty()) {
                end = m_end;
                break;
            }
            block = std::move(m_blocks.front());
            m_blocks.pop_front();
        }
        // Once a sample could not be kept, later ones would leave a gap in the run: they are dropped.
        if (m_storeResult.load(std::memory_order_relaxed) == CSampleStore::eAppend::Kept)
            ParseBlock(block);
    }
    m_parser.Finish(end);
    m_invalid.store(m_parser.InvalidFrames(), std::memory_order_release);
}
