#pragma once

#include <cstddef>
#include <vector>

namespace waveform {

// Asks the kernel to back a large, not yet touched block with huge pages: the plot reads a few bytes
// per pixel column from blocks of hundreds of megabytes, where page-table walks would dominate.
void AdviseHugePages(const void* data, std::size_t bytes);

// Reserves room for n values of a vector about to be filled, with the advice above.
template <typename T> void ReserveLarge(std::vector<T>& values, std::size_t n) {
    values.reserve(n);
    AdviseHugePages(values.data(), values.capacity() * sizeof(T));
}

} // namespace waveform
