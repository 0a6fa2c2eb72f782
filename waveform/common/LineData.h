#pragma once

#include "waveform/common/LineSummary.h"

#include <algorithm>
#include <cstddef>
#include <vector>

// One line of a plot: its samples (time ascending), the indices of excluded samples (ascending) and
// the summary the line is drawn from.
struct CLineData {
    std::vector<double> X;
    std::vector<double> Y;
    std::vector<unsigned> Excluded;
    waveform::CLineSummary Summary;

    // Samples that hold both values and are summarised.
    std::size_t Count() const { return std::min({X.size(), Y.size(), Summary.Count()}); }

    void Clear() {
        X.clear();
        Y.clear();
        Excluded.clear();
        Summary.Clear();
    }
};
