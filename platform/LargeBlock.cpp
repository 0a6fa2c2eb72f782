#include "platform/LargeBlock.h"

#include <new>
#include <sys/mman.h>

namespace platform {

void* AllocateLargeBlock(std::size_t bytes) {
    void* data = ::operator new(bytes, std::align_val_t(HUGE_PAGE_BYTES));
    // Only advice: where the kernel declines, the block works with small pages.
    ::madvise(data, bytes, MADV_HUGEPAGE);
    return data;
}

void FreeLargeBlock(void* data, std::size_t bytes) noexcept {
    ::operator delete(data, bytes, std::align_val_t(HUGE_PAGE_BYTES));
}

} // namespace platform
