#pragma once

#include <cstddef>
#include <vector>

namespace waveform {

// Appends to the ascending list of excluded indices those of samples [begin, end) by the rule:
// 1 readings above 1e37 (overflows); 2 samples after the first of the range whose time is bitwise equal
// to the time before; 3 as 1, and as 2 when the list is still empty after that; any other rule adds none.
void AppendExcluded(const double* x, const double* y, std::size_t begin, std::size_t end, int exclusion,
                    std::vector<unsigned>& excluded);

} // namespace waveform
