#include "MemoryPolicy.h"

#include <malloc.h>

namespace platform {

void ReturnLargeBlocksToTheSystem() {
    constexpr int kLargeBlock = 1 << 20;
    mallopt(M_MMAP_THRESHOLD, kLargeBlock);
}

} // namespace platform
