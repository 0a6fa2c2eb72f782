#include "waveform/common/LineSummary.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace waveform {

namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
constexpr std::size_t B = CLineSummary::kFanOut;

// Walks the excluded indices (ascending) alongside the samples.
class CExcludedCursor {
public:
    CExcludedCursor(const std::vector<unsigned>& excluded, std::size_t from)
        : m_excluded(excluded),
          m_at(static_cast<std::size_t>(std::lower_bound(excluded.begin(), excluded.end(), from) -
                                        excluded.begin())) {}

    bool IsExcluded(std::size_t index) {
        while (m_at < m_excluded.size() && m_excluded[m_at] < index)
            ++m_at;
        return m_at < m_excluded.size() && m_excluded[m_at] == index;
    }

private:
    const std::vector<unsigned>& m_excluded;
    std::size_t m_at;
};

struct CDrawAcc {
    double Min = kNoValue, Max = kNoValue;
    void Add(double lo, double hi) {
        if (!std::isnan(lo) && (std::isnan(Min) || lo < Min))
            Min = lo;
        if (!std::isnan(hi) && (std::isnan(Max) || hi > Max))
            Max = hi;
    }
};

struct CStatAcc {
    double Min = 0, Max = 0, Sum = 0;
    std::uint64_t Count = 0;
    void Add(double v) {
        if (Count == 0 || v < Min)
            Min = v;
        if (Count == 0 || v > Max)
            Max = v;
        Sum += v;
        ++Count;
    }
    void Merge(double mn, double mx, double sum, std::uint64_t count) {
        if (count == 0)
            return;
        if (Count == 0 || mn < Min)
            Min = mn;
        if (Count == 0 || mx > Max)
            Max = mx;
        Sum += sum;
        Count += count;
    }
};

// Visits the nodes that exactly cover level-0 nodes [begin, end), coarsest possible.
template <typename Node, typename Visit>
void VisitCover(const std::vector<platform::CLargeArray<Node>>& levels, std::size_t begin, std::size_t end,
                Visit visit) {
    std::size_t level = 0;
    while (begin < end) {
        if (level + 1 >= levels.size() || end - begin < B) {
            for (std::size_t i = begin; i < end; ++i)
                visit(levels[level][i]);
            return;
        }
        while (begin % B != 0 && begin < end)
            visit(levels[level][begin++]);
        while (end % B != 0 && end > begin)
            visit(levels[level][--end]);
        begin /= B;
        end /= B;
        ++level;
    }
}

} // namespace

void CLineSummary::Clear() {
    ++m_generation;
    m_count = 0;
    m_entry.clear();
    m_draw.clear();
    m_edge.clear();
    m_stat.clear();
}

void CLineSummary::Reserve(std::size_t count) {
    std::size_t nodes = (count + B - 1) / B;
    m_entry.reserve(nodes);
    for (std::size_t level = 0; nodes > 0; ++level) {
        if (m_draw.size() <= level) {
            m_draw.emplace_back();
            m_edge.emplace_back();
            m_stat.emplace_back();
        }
        m_draw[level].reserve(nodes);
        if (level > 0)
            m_edge[level].reserve(nodes);
        m_stat[level].reserve(nodes);
        if (nodes == 1)
            break;
        nodes = (nodes + B - 1) / B;
    }
}

void CLineSummary::Rebuild(const double* y, std::size_t count, const std::vector<unsigned>& excluded) {
    Clear();
    // Room for the whole summary at once: no level is moved while it grows.
    Reserve(count);
    Append(y, count, excluded);
}

double CLineSummary::HeldBefore(const double* y, const std::vector<unsigned>& excluded,
                                std::size_t index) const {
    // Drawn value of sample index - 1, from the entry of its block.
    if (index == 0)
        return kNoValue;
    const std::size_t last = index - 1;
    const std::size_t block = last / B;
    double held = m_entry[block];
    CExcludedCursor cursor(excluded, block * B);
    for (std::size_t i = block * B; i <= last; ++i)
        if (!cursor.IsExcluded(i))
            held = y[i];
    return held;
}

void CLineSummary::Append(const double* y, std::size_t count, const std::vector<unsigned>& excluded) {
    if (count <= m_count) {
        if (count < m_count)
            Rebuild(y, count, excluded);
        return;
    }
    ++m_generation;
    const std::size_t firstBlock = m_count / B;
    const std::size_t blocks = (count + B - 1) / B;
    if (m_draw.empty()) {
        m_draw.emplace_back();
        m_edge.emplace_back();
        m_stat.emplace_back();
    }
    m_entry.resize(blocks);
    m_draw[0].resize(blocks);
    m_stat[0].resize(blocks);
    m_count = count;
    SummariseFrom(y, excluded, firstBlock);
    UpdateLevels(firstBlock);
}

void CLineSummary::UpdateEdges(std::size_t level, std::size_t first) {
    const auto& nodes = m_draw[level];
    auto& edges = m_edge[level];
    edges.resize(nodes.size());
    for (std::size_t group = first / B * B; group < nodes.size(); group += B) {
        const std::size_t end = std::min(nodes.size(), group + B);
        CDrawAcc pre, suf;
        for (std::size_t i = group; i < end; ++i) {
            pre.Add(nodes[i].Min, nodes[i].Max);
            edges[i].PreMin = pre.Min;
            edges[i].PreMax = pre.Max;
        }
        for (std::size_t i = end; i-- > group;) {
            suf.Add(nodes[i].Min, nodes[i].Max);
            edges[i].SufMin = suf.Min;
            edges[i].SufMax = suf.Max;
        }
    }
}

template <typename Acc> void CLineSummary::CoverDrawn(std::size_t begin, std::size_t end, Acc& acc) const {
    for (std::size_t level = 0; begin < end; ++level) {
        const auto& nodes = m_draw[level];
        // Within one group (always so at the top): its nodes one by one, fewer than kFanOut.
        if (begin / B == (end - 1) / B) {
            for (std::size_t i = begin; i < end; ++i)
                acc.Add(nodes[i].Min, nodes[i].Max);
            return;
        }
        // Across groups: the rest of the first group, the start of the last one, whole groups above.
        // Level 0 keeps no edges (they would double its size): its runs are read node by node.
        if (level == 0) {
            for (; begin % B != 0; ++begin)
                acc.Add(nodes[begin].Min, nodes[begin].Max);
            for (; end % B != 0; --end)
                acc.Add(nodes[end - 1].Min, nodes[end - 1].Max);
        } else {
            const auto& edges = m_edge[level];
            if (begin % B != 0) {
                acc.Add(edges[begin].SufMin, edges[begin].SufMax);
                begin = (begin / B + 1) * B;
            }
            if (end % B != 0) {
                acc.Add(edges[end - 1].PreMin, edges[end - 1].PreMax);
                end = end / B * B;
            }
        }
        begin /= B;
        end /= B;
    }
}

void CLineSummary::SummariseFrom(const double* y, const std::vector<unsigned>& excluded,
                                 std::size_t firstBlock) {
    double held = HeldBefore(y, excluded, firstBlock * B);
    CExcludedCursor cursor(excluded, firstBlock * B);
    for (std::size_t block = firstBlock; block < m_entry.size(); ++block) {
        m_entry[block] = held;
        CDrawAcc draw;
        CStatAcc stat;
        const std::size_t end = std::min(m_count, (block + 1) * B);
        for (std::size_t i = block * B; i < end; ++i) {
            if (!cursor.IsExcluded(i)) {
                held = y[i];
                stat.Add(held);
            }
            draw.Add(held, held);
        }
        m_draw[0][block] = {draw.Min, draw.Max};
        m_stat[0][block] = {stat.Min, stat.Max, stat.Sum, stat.Count};
    }
}

void CLineSummary::UpdateLevels(std::size_t firstBlock) {
    std::size_t changed = firstBlock;
    for (std::size_t level = 1; m_draw[level - 1].size() > 1; ++level) {
        const std::size_t below = m_draw[level - 1].size();
        const std::size_t size = (below + B - 1) / B;
        if (m_draw.size() <= level) {
            m_draw.emplace_back();
            m_stat.emplace_back();
        }
        if (m_edge.size() <= level)
            m_edge.emplace_back();
        m_draw[level].resize(size);
        m_stat[level].resize(size);
        changed /= B;
        for (std::size_t p = changed; p < size; ++p) {
            CDrawAcc draw;
            CStatAcc stat;
            for (std::size_t c = p * B; c < std::min(below, (p + 1) * B); ++c) {
                draw.Add(m_draw[level - 1][c].Min, m_draw[level - 1][c].Max);
                const CStatNode& s = m_stat[level - 1][c];
                stat.Merge(s.Min, s.Max, s.Sum, s.Count);
            }
            m_draw[level][p] = {draw.Min, draw.Max};
            m_stat[level][p] = {stat.Min, stat.Max, stat.Sum, stat.Count};
        }
        UpdateEdges(level, changed);
    }
}

CDrawnSpan CLineSummary::DrawnRange(const double* y, const std::vector<unsigned>& excluded, std::size_t begin,
                                    std::size_t end) const {
    CDrawnSpan span;
    end = std::min(end, m_count);
    if (begin >= end)
        return span;
    CDrawAcc acc;
    double first = kNoValue, last = kNoValue;
    // Scans samples [from, to) of one block, starting from the block's entry value.
    auto scan = [&](std::size_t from, std::size_t to) {
        // No sample of the stretch excluded: its drawn values are its samples, whatever came before
        // (the usual case, and the one a new view takes at every column of a long line).
        const auto next = std::lower_bound(excluded.begin(), excluded.end(), from);
        if (next == excluded.end() || *next >= to) {
            // Values that are no numbers pass neither test, as they count for neither extreme.
            double lo = std::numeric_limits<double>::infinity(), hi = -lo;
            for (std::size_t i = from; i < to; ++i) {
                lo = y[i] < lo ? y[i] : lo;
                hi = y[i] > hi ? y[i] : hi;
            }
            if (from == begin)
                first = y[from];
            if (lo <= hi)
                acc.Add(lo, hi);
            if (to == end)
                last = y[to - 1];
            return;
        }
        const std::size_t block = from / B;
        double held = m_entry[block];
        CExcludedCursor cursor(excluded, block * B);
        for (std::size_t i = block * B; i < to; ++i) {
            if (!cursor.IsExcluded(i))
                held = y[i];
            if (i >= from) {
                if (i == begin)
                    first = held;
                acc.Add(held, held);
            }
        }
        if (to == end)
            last = held;
    };
    const std::size_t headBlock = begin / B, tailBlock = (end - 1) / B;
    if (headBlock == tailBlock) {
        scan(begin, end);
    } else {
        scan(begin, (headBlock + 1) * B);
        CoverDrawn(headBlock + 1, tailBlock, acc);
        scan(tailBlock * B, end);
    }
    if (std::isnan(acc.Min))
        return span;
    span.Valid = true;
    span.Min = acc.Min;
    span.Max = acc.Max;
    span.First = std::isnan(first) ? acc.Min : first;
    span.Last = std::isnan(last) ? acc.Max : last;
    return span;
}

CSampleStatistics CLineSummary::Statistics(const double* y, const std::vector<unsigned>& excluded,
                                           std::size_t begin, std::size_t end) const {
    end = std::min(end, m_count);
    CStatAcc acc;
    if (begin < end) {
        auto scan = [&](std::size_t from, std::size_t to) {
            CExcludedCursor cursor(excluded, from);
            for (std::size_t i = from; i < to; ++i)
                if (!cursor.IsExcluded(i))
                    acc.Add(y[i]);
        };
        const std::size_t headBlock = begin / B, tailBlock = (end - 1) / B;
        if (headBlock == tailBlock) {
            scan(begin, end);
        } else {
            scan(begin, (headBlock + 1) * B);
            VisitCover(m_stat, headBlock + 1, tailBlock,
                       [&](const CStatNode& n) { acc.Merge(n.Min, n.Max, n.Sum, n.Count); });
            scan(tailBlock * B, end);
        }
    }
    CSampleStatistics result;
    result.Count = acc.Count;
    result.Min = acc.Min;
    result.Max = acc.Max;
    result.Sum = acc.Sum;
    return result;
}

void CLineSummary::Prefetch(const double* y, std::size_t begin, std::size_t end) const {
    if (begin >= end || end > m_count)
        return;
    const std::size_t head = begin / B, tail = (end - 1) / B;
    // The head and the tail block's samples (two cache lines each) and their entries.
    for (std::size_t block : {head, tail}) {
        __builtin_prefetch(y + block * B);
        __builtin_prefetch(y + block * B + B / 2);
        __builtin_prefetch(&m_entry[block]);
    }
    if (head == tail || m_draw.empty())
        return;
    // The nodes DrawnRange will read, walked as CoverDrawn walks them: an edge at each end of a level,
    // the nodes of one group at the last.
    std::size_t a = head + 1, b = tail;
    for (std::size_t level = 0; a < b && level < m_draw.size(); ++level) {
        if (a / B == (b - 1) / B) {
            __builtin_prefetch(&m_draw[level][a]);
            __builtin_prefetch(&m_draw[level][b - 1]);
            return;
        }
        const std::size_t up = (a + B - 1) / B * B, down = b / B * B;
        if (level == 0) {
            // The runs of level 0, a cache line of four nodes at a time.
            for (std::size_t i = a; i < up; i += 4)
                __builtin_prefetch(&m_draw[0][i]);
            for (std::size_t i = down; i < b; i += 4)
                __builtin_prefetch(&m_draw[0][i]);
            __builtin_prefetch(&m_draw[0][b - 1]);
        } else {
            if (a != up)
                __builtin_prefetch(&m_edge[level][a]);
            if (b != down)
                __builtin_prefetch(&m_edge[level][b - 1]);
        }
        a = up;
        b = down;
        a /= B;
        b /= B;
    }
}

std::size_t CLineSummary::MemoryBytes() const {
    std::size_t bytes = m_entry.capacity() * sizeof(double);
    for (const auto& level : m_draw)
        bytes += level.capacity() * sizeof(CDrawNode);
    for (const auto& level : m_edge)
        bytes += level.capacity() * sizeof(CEdgeNode);
    for (const auto& level : m_stat)
        bytes += level.capacity() * sizeof(CStatNode);
    return bytes;
}

} // namespace waveform
