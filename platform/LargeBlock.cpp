#include "platform/LargeBlock.h"

#include <cstdint>
#include <fcntl.h>
#include <malloc.h>
#include <mutex>
#include <new>
#include <sys/mman.h>
#include <utility>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define LARGE_BLOCK_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LARGE_BLOCK_SANITIZED 1
#endif
#endif

namespace platform {

namespace {

// Whole huge pages, so that the advice covers the block's last page too.
std::size_t Rounded(std::size_t bytes) {
    return bytes > SIZE_MAX - HUGE_PAGE_BYTES ? SIZE_MAX
                                              : (bytes + HUGE_PAGE_BYTES - 1) & ~(HUGE_PAGE_BYTES - 1);
}

// Blocks of a few huge pages given back are kept for the next ones asked for, as the heap keeps
// what is freed: filling a fresh page costs a fault and its clearing, a kept one neither. They are
// marked free to the kernel, which takes them back when memory runs short. AddressSanitizer
// builds keep none, so that it sees every block come and go.
class CKeptBlocks {
public:
    static constexpr std::size_t MOST_BYTES = std::size_t{8} << 20;
    static constexpr std::size_t LARGEST = std::size_t{4} << 20;

    void* Take(std::size_t bytes) {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = m_blocks.begin(); it != m_blocks.end(); ++it)
            if (it->second == bytes) {
                void* data = it->first;
                m_blocks.erase(it);
                m_kept -= bytes;
                return data;
            }
        return nullptr;
    }
    bool Keep(void* data, std::size_t bytes) {
#ifdef LARGE_BLOCK_SANITIZED
        return false;
#else
        if (bytes > LARGEST)
            return false;
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_kept + bytes > MOST_BYTES)
            return false;
        m_blocks.emplace_back(data, bytes);
        m_kept += bytes;
        ::madvise(data, bytes, MADV_FREE);
        return true;
#endif
    }

private:
    std::mutex m_mutex;
    std::vector<std::pair<void*, std::size_t>> m_blocks;
    std::size_t m_kept = 0;
};

// Never destroyed, so that blocks freed while the program ends still find it.
CKeptBlocks& Kept() {
    static CKeptBlocks* const kept = new CKeptBlocks;
    return *kept;
}

} // namespace

void* AllocateLargeBlock(std::size_t bytes) {
    const std::size_t rounded = Rounded(bytes);
    if (rounded == SIZE_MAX)
        throw std::bad_alloc();
    if (void* kept = Kept().Take(rounded))
        return kept;
    void* data = ::operator new(rounded, std::align_val_t(HUGE_PAGE_BYTES));
    // Only advice: where the kernel declines, the block works with small pages.
    ::madvise(data, rounded, MADV_HUGEPAGE);
    return data;
}

void FreeLargeBlock(void* data, std::size_t bytes) noexcept {
    const std::size_t rounded = Rounded(bytes);
    try {
        if (Kept().Keep(data, rounded))
            return;
    } catch (...) {
        // No room to note it down: it goes back at once.
    }
    ::operator delete(data, std::align_val_t(HUGE_PAGE_BYTES));
}

void ReturnLargeBlocksToTheSystem() {
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(LARGE_BLOCK_FROM));
}

void StartWriteBack(int fd, std::uint64_t offset, std::size_t bytes) noexcept {
    // Only a hint: where the system declines, the flush at the end writes the bytes.
    if (fd >= 0 && bytes >= LARGE_BLOCK_FROM)
        ::sync_file_range(fd, static_cast<off_t>(offset), static_cast<off_t>(bytes), SYNC_FILE_RANGE_WRITE);
}

} // namespace platform
