#pragma once

#include "platform/LargeBlock.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Multi-resolution min/max summary of a line's samples, kept in step as samples arrive, so that a
// plot column, an auto-fit or the statistics between two markers cost the same whatever the number of
// samples.
//
// Two views of the samples are summarised:
// - drawn values: an excluded sample keeps the value of the last sample before it that is not excluded
//   (the line is drawn level through a gap); excluded samples before any such sample have no value;
// - statistics: excluded samples are skipped.
namespace waveform {

struct CDrawnSpan {
    bool Valid = false; // false when no sample of the range has a drawn value
    double First = 0.0, Last = 0.0, Min = 0.0, Max = 0.0;
};

struct CSampleStatistics {
    std::size_t Count = 0; // samples that are not excluded
    double Min = 0.0, Max = 0.0, Sum = 0.0;
};

class CLineSummary {
public:
    static constexpr std::size_t kFanOut = 16;

    // Forgets everything and summarises samples [0, count).
    void Rebuild(const double* y, std::size_t count, const std::vector<unsigned>& excluded);

    // Samples [Count(), count) were added (and their excluded indices appended): summarises them,
    // touching only the tail of each level.
    void Append(const double* y, std::size_t count, const std::vector<unsigned>& excluded);

    // Makes room for the summary of count samples, so that appending up to them moves nothing.
    void Reserve(std::size_t count);

    void Clear();
    std::size_t Count() const { return m_count; }
    // Changes whenever the summarised samples do (appended, rebuilt or cleared).
    std::uint64_t Generation() const { return m_generation; }

    // Drawn values of samples [begin, end).
    CDrawnSpan DrawnRange(const double* y, const std::vector<unsigned>& excluded, std::size_t begin,
                          std::size_t end) const;

    // Statistics of samples [begin, end).
    CSampleStatistics Statistics(const double* y, const std::vector<unsigned>& excluded, std::size_t begin,
                                 std::size_t end) const;

    // Asks the memory system for what DrawnRange(y, ., begin, end) will read, so that the reads of
    // several plot columns overlap.
    void Prefetch(const double* y, std::size_t begin, std::size_t end) const;

    // Bytes held by the summary.
    std::size_t MemoryBytes() const;

private:
    struct CDrawNode {
        double Min, Max; // NaN when no sample below has a drawn value
    };
    // Of a node above level 0 and the others of its group of kFanOut: the extremes from the group's
    // first node to it (prefix) and from it to the group's last (suffix). A range of nodes reaching
    // across groups is then the suffix of its first, the prefix of its last and whole groups above.
    struct CEdgeNode {
        double PreMin, PreMax, SufMin, SufMax;
    };
    struct CStatNode {
        double Min, Max, Sum;
        std::uint64_t Count;
    };

    void SummariseFrom(const double* y, const std::vector<unsigned>& excluded, std::size_t firstBlock);
    void UpdateLevels(std::size_t firstBlock);
    // Prefixes and suffixes of the groups of a level from the group of node first on.
    void UpdateEdges(std::size_t level, std::size_t first);
    // Adds the drawn extremes of level-0 nodes [begin, end) to the accumulator.
    template <typename Acc> void CoverDrawn(std::size_t begin, std::size_t end, Acc& acc) const;
    double HeldBefore(const double* y, const std::vector<unsigned>& excluded, std::size_t index) const;

    std::size_t m_count = 0;
    std::uint64_t m_generation = 0;
    // Drawn value entering each level-0 block (the drawn value of the sample before it).
    platform::CLargeArray<double> m_entry;
    std::vector<platform::CLargeArray<CDrawNode>> m_draw;
    std::vector<platform::CLargeArray<CEdgeNode>> m_edge;
    std::vector<platform::CLargeArray<CStatNode>> m_stat;
};

} // namespace waveform
