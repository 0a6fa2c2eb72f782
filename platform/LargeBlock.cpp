#include "platform/LargeBlock.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>

namespace platform {

namespace {

// Whole huge pages, so that the advice covers the block's last page too.
std::size_t Rounded(std::size_t bytes) {
    return bytes > SIZE_MAX - HUGE_PAGE_BYTES ? SIZE_MAX
                                              : (bytes + HUGE_PAGE_BYTES - 1) & ~(HUGE_PAGE_BYTES - 1);
}

} // namespace

void* AllocateLargeBlock(std::size_t bytes) {
    const std::size_t rounded = Rounded(bytes);
    if (rounded == SIZE_MAX)
        throw std::bad_alloc();
    void* data = ::operator new(rounded, std::align_val_t(HUGE_PAGE_BYTES));
    // Only advice: where the kernel declines, the block works with small pages.
    ::madvise(data, rounded, MADV_HUGEPAGE);
    return data;
}

void FreeLargeBlock(void* data, std::size_t bytes) noexcept {
    ::operator delete(data, Rounded(bytes), std::align_val_t(HUGE_PAGE_BYTES));
}

} // namespace platform
