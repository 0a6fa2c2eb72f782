#include "waveform/common/HugePages.h"

#include <cstdint>
#include <sys/mman.h>

namespace waveform {

void AdviseHugePages(const void* data, std::size_t bytes) {
    constexpr std::uintptr_t kHuge = 2u << 20;
    if (data == nullptr || bytes < 4 * kHuge)
        return;
    const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kHuge - 1);
    // Only advice: where the kernel declines, the memory works as before.
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

} // namespace waveform
