#pragma once

#include <cstddef>

namespace platform {

// The size of a huge page, which large blocks are laid out for.
constexpr std::size_t HUGE_PAGE_BYTES = std::size_t{2} << 20;

// Memory for a large block about to be filled: aligned to a huge page and advised for huge pages,
// so that filling megabytes costs a page fault per 2 MiB instead of one per 4 KiB (on a virtual
// machine a small page's fault can cost tens of microseconds). The bytes are not cleared. Throws
// std::bad_alloc when there is no room.
void* AllocateLargeBlock(std::size_t bytes);
void FreeLargeBlock(void* data, std::size_t bytes) noexcept;

} // namespace platform
