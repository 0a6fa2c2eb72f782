#include "waveform/common/PlotExclusion.h"

#include <cstring>

namespace waveform {

namespace {

void AddOverRange(const double* y, std::size_t begin, std::size_t end, std::vector<unsigned>& excluded) {
    for (std::size_t i = begin; i < end; ++i)
        if (y[i] > 1e37)
            excluded.push_back(static_cast<unsigned>(i));
}

void AddRepeatedTimes(const double* x, std::size_t begin, std::size_t end, std::vector<unsigned>& excluded) {
    for (std::size_t i = begin + 1; i < end; ++i)
        if (std::memcmp(&x[i], &x[i - 1], sizeof(double)) == 0)
            excluded.push_back(static_cast<unsigned>(i));
}

} // namespace

void AppendExcluded(const double* x, const double* y, std::size_t begin, std::size_t end, int exclusion,
                    std::vector<unsigned>& excluded) {
    if (begin >= end)
        return;
    switch (exclusion) {
    case 1:
        AddOverRange(y, begin, end, excluded);
        break;
    case 2:
        AddRepeatedTimes(x, begin, end, excluded);
        break;
    case 3:
        AddOverRange(y, begin, end, excluded);
        if (excluded.empty())
            AddRepeatedTimes(x, begin, end, excluded);
        break;
    default:
        break;
    }
}

} // namespace waveform
