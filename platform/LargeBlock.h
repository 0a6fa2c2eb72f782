#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

// Large blocks: the one rule by which the program's big arrays (imported columns, workbook cells
// and records, a run's samples, the plot's lines and their summaries) get their memory. A block of
// LARGE_BLOCK_FROM bytes or more is laid out for huge pages; anything smaller comes from the heap.
namespace platform {

// The size of a huge page, which large blocks are laid out for.
constexpr std::size_t HUGE_PAGE_BYTES = std::size_t{2} << 20;
// From here on a block is a large block: half a huge page, so that rounding up to whole huge pages
// costs at most as much again.
constexpr std::size_t LARGE_BLOCK_FROM = HUGE_PAGE_BYTES / 2;

// Memory for a large block about to be filled: aligned to a huge page and advised for huge pages,
// so that filling megabytes costs a page fault per 2 MiB instead of one per 4 KiB (on a virtual
// machine a small page's fault can cost tens of microseconds). The bytes are not cleared. Freed
// blocks of a few huge pages are kept, 8 MiB at most, for the next blocks of their size, as the
// heap keeps what is freed; the kernel may take them back when memory runs short. Throws
// std::bad_alloc when there is no room.
void* AllocateLargeBlock(std::size_t bytes);
void FreeLargeBlock(void* data, std::size_t bytes) noexcept;

// A buffer of any size: a large block from LARGE_BLOCK_FROM on, else from the heap. The same 'bytes'
// must be given back to FreeBuffer.
inline void* AllocateBuffer(std::size_t bytes) {
    return bytes >= LARGE_BLOCK_FROM ? AllocateLargeBlock(bytes) : ::operator new(bytes);
}
inline void FreeBuffer(void* data, std::size_t bytes) noexcept {
    if (bytes >= LARGE_BLOCK_FROM)
        FreeLargeBlock(data, bytes);
    else
        ::operator delete(data);
}

// The allocator of large arrays: storage by the rule above. New elements are default-initialised,
// so a trivial element is left as it is: an array is sized once and then written (by several threads
// at a time, for an import) without a pass that clears it all on one thread first.
template <typename T> struct CLargeBlockAllocator {
    using value_type = T;

    CLargeBlockAllocator() = default;
    template <typename U> CLargeBlockAllocator(const CLargeBlockAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > std::size_t(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(AllocateBuffer(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { FreeBuffer(p, n * sizeof(T)); }
    template <typename U> void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    template <typename U> bool operator==(const CLargeBlockAllocator<U>&) const noexcept { return true; }
};

// An array that may grow large. resize(n) leaves new trivial elements as they are: write them, or
// give the value (resize(n, 0), assign(n, 0)).
template <typename T> using CLargeArray = std::vector<T, CLargeBlockAllocator<T>>;

// Blocks from LARGE_BLOCK_FROM on that the heap gives out come straight from the system and go back
// to it when freed. A data-logging run's arrays grow by hundreds of megabytes; with the allocator's
// own moving threshold the blocks they leave behind would stay in the heap, and so in the process's
// memory. Called once, at the start of the program.
void ReturnLargeBlocksToTheSystem();

// Starts the writing of bytes [offset, offset + bytes) of a file to its disk, for a large block
// just written: the flush at the end then has less left to wait for, and the written pages do not
// pile up in the cache. Smaller writes are left to the system.
void StartWriteBack(int fd, std::uint64_t offset, std::size_t bytes) noexcept;

} // namespace platform
