#pragma once

#include <cstddef>
#include <new>

namespace platform {

// The size of a huge page, which large blocks are laid out for.
constexpr std::size_t HUGE_PAGE_BYTES = std::size_t{2} << 20;

// Memory for a large block about to be filled: aligned to a huge page and advised for huge pages,
// so that filling megabytes costs a page fault per 2 MiB instead of one per 4 KiB (on a virtual
// machine a small page's fault can cost tens of microseconds). The bytes are not cleared. Freed
// blocks of a few huge pages are kept, 8 MiB at most, for the next blocks of their size, as the
// heap keeps what is freed; the kernel may take them back when memory runs short. Throws
// std::bad_alloc when there is no room.
void* AllocateLargeBlock(std::size_t bytes);
void FreeLargeBlock(void* data, std::size_t bytes) noexcept;

// A buffer of any size: half a huge page or more is a large block, anything smaller comes from the
// heap. The same 'bytes' must be given back to FreeBuffer.
constexpr std::size_t LARGE_BUFFER_FROM = HUGE_PAGE_BYTES / 2;
inline void* AllocateBuffer(std::size_t bytes) {
    return bytes >= LARGE_BUFFER_FROM ? AllocateLargeBlock(bytes) : ::operator new(bytes);
}
inline void FreeBuffer(void* data, std::size_t bytes) noexcept {
    if (bytes >= LARGE_BUFFER_FROM)
        FreeLargeBlock(data, bytes);
    else
        ::operator delete(data);
}

// An allocator for containers that may grow large (a vector of many thousand entries): storage of
// a quarter megabyte or more is a large block, smaller storage comes from the heap.
template <typename T> struct CLargeBlockAllocator {
    using value_type = T;
    static constexpr std::size_t LARGE_FROM = std::size_t{256} << 10;

    CLargeBlockAllocator() = default;
    template <typename U> CLargeBlockAllocator(const CLargeBlockAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > std::size_t(-1) / sizeof(T))
            throw std::bad_array_new_length();
        const std::size_t bytes = n * sizeof(T);
        return static_cast<T*>(bytes >= LARGE_FROM ? AllocateLargeBlock(bytes) : ::operator new(bytes));
    }
    void deallocate(T* p, std::size_t n) noexcept {
        if (n * sizeof(T) >= LARGE_FROM)
            FreeLargeBlock(p, n * sizeof(T));
        else
            ::operator delete(p);
    }
    template <typename U> bool operator==(const CLargeBlockAllocator<U>&) const noexcept { return true; }
};

} // namespace platform
