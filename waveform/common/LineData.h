#pragma once

#include "platform/LargeBlock.h"
#include "waveform/common/LineSummary.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace waveform {

// One pixel column of a line as drawn: the column, the unrounded pixel x of its first sample, the drawn
// values of its samples and whether one of them is excluded.
struct CDrawnColumn {
    int Column = 0;
    double X = 0.0;
    CDrawnSpan Span;
    bool Excluded = false;
};

// The columns of a line as last drawn, kept for the next drawing of the same samples in the same time
// view (a redraw for colours, markers or the vertical axes then reads no sample).
struct CColumnCache {
    std::uint64_t Generation = 0;
    double HMin = 0.0, HMax = 0.0;
    int Left = 0, Right = 0, Reach = 0;
    bool Valid = false;
    std::vector<CDrawnColumn> Columns;
};

} // namespace waveform

// One line of a plot: its samples (time ascending), the indices of excluded samples (ascending) and
// the summary the line is drawn from.
struct CLineData {
    platform::CLargeArray<double> X;
    platform::CLargeArray<double> Y;
    std::vector<unsigned> Excluded;
    waveform::CLineSummary Summary;
    mutable waveform::CColumnCache Columns;

    // Samples that hold both values and are summarised.
    std::size_t Count() const { return std::min({X.size(), Y.size(), Summary.Count()}); }

    void Clear() {
        X.clear();
        Y.clear();
        Excluded.clear();
        Summary.Clear();
    }
};
