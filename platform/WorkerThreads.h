#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace platform {

// How many threads a large piece of work is spread over: one per processor, at most 8 (beyond that
// the memory and the disk, not the processors, set the pace).
inline unsigned WorkThreads() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
}

// What the processors' caches pass between cores as one. State that a thread writes for every row it
// reads is laid out on lines of its own: a line it shares with what another thread writes at the
// same time goes back and forth between their cores on each write.
constexpr std::size_t CACHE_LINE_BYTES = 64;

// Threads started for one piece of work and joined when it is done (at the latest on destruction).
class CWorkerThreads {
public:
    CWorkerThreads() = default;
    ~CWorkerThreads() { Join(); }
    CWorkerThreads(const CWorkerThreads&) = delete;
    CWorkerThreads& operator=(const CWorkerThreads&) = delete;

    // Starts up to 'count' threads, each running run(); fewer when the system refuses more. The
    // number running.
    template <typename Run> unsigned Start(unsigned count, const Run& run) {
        for (unsigned i = 0; i < count; ++i) {
            try {
                m_threads.emplace_back(run);
            } catch (const std::system_error&) {
                break;
            }
        }
        return static_cast<unsigned>(m_threads.size());
    }
    void Join() {
        for (std::thread& thread : m_threads)
            thread.join();
        m_threads.clear();
    }

private:
    std::vector<std::thread> m_threads;
};

// Runs run() on the calling thread and on up to threads - 1 more, and returns once all have returned.
template <typename Run> void RunOnThreads(unsigned threads, const Run& run) {
    CWorkerThreads workers;
    if (threads > 1)
        workers.Start(threads - 1, run);
    run();
    workers.Join();
}

// Slices 0 .. count - 1 made on worker threads and taken in their order on the calling thread:
// make(i, buffer) fills one of the buffers with slice i, take(i, buffer) then uses it (a write to a
// file); false from take stops the work. Slice i is made only once slice i - buffers.size() was taken,
// so the buffers are all the memory the work holds, each used again by the slices after it. With one
// thread, or when no thread can be started, the calling thread makes each slice itself. False when take
// stopped the work; an exception thrown by make is thrown again here, once every thread has ended.
template <typename Buffer, typename Make, typename Take>
bool MakeInOrder(std::size_t count, unsigned threads, std::vector<Buffer>& buffers, const Make& make,
                 const Take& take) {
    if (count == 0)
        return true;
    const std::size_t ring = buffers.size();
    if (ring == 0)
        return false;
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t handedOut = 0;                                         // slices a worker has taken up
    std::size_t taken = 0;                                             // slices the calling thread has used
    std::vector<std::size_t> made(ring, static_cast<std::size_t>(-1)); // the slice each buffer holds
    bool stop = false;
    std::exception_ptr failure;
    auto work = [&] {
        for (;;) {
            std::size_t i = 0;
            {
                std::unique_lock lock(mutex);
                if (stop || handedOut == count)
                    return;
                i = handedOut++;
                changed.wait(lock, [&] { return stop || i < taken + ring; });
                if (stop)
                    return;
            }
            try {
                make(i, buffers[i % ring]);
            } catch (...) {
                const std::lock_guard lock(mutex);
                if (!failure)
                    failure = std::current_exception();
                stop = true;
                changed.notify_all();
                return;
            }
            const std::lock_guard lock(mutex);
            made[i % ring] = i;
            changed.notify_all();
        }
    };
    CWorkerThreads workers;
    const unsigned started =
        threads > 1 && count > 1
            ? workers.Start(static_cast<unsigned>(std::min<std::size_t>(threads, count)), work)
            : 0;
    bool ok = true;
    if (started == 0) {
        for (std::size_t i = 0; i < count && ok; ++i) {
            make(i, buffers[0]);
            ok = take(i, buffers[0]);
        }
        return ok;
    }
    for (std::size_t i = 0; i < count && ok; ++i) {
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return stop || made[i % ring] == i; });
            if (stop)
                break;
        }
        ok = take(i, buffers[i % ring]);
        const std::lock_guard lock(mutex);
        taken = i + 1;
        if (!ok)
            stop = true;
        changed.notify_all();
    }
    {
        const std::lock_guard lock(mutex);
        stop = true;
        changed.notify_all();
    }
    workers.Join();
    if (failure)
        std::rethrow_exception(failure);
    return ok;
}

} // namespace platform
