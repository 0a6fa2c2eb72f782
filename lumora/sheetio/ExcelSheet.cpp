#include "lumora/sheetio/ExcelSheet.h"

#include "platform/LargeBlock.h"

#include <algorithm>
#include <bit>
#include <new>

namespace {

const ExcelCell EMPTY_CELL{};

uint32_t Row(uint32_t key) {
    return key >> 8;
}
uint32_t Column(uint32_t key) {
    return key & 0xFF;
}

static_assert(ExcelSheet::MAX_COLUMN == 255, "keys hold the column in 8 bits");

} // namespace

uint32_t ExcelSheet::CStore::Capacity(uint32_t block) {
    if (block == 0)
        return FIRST_BLOCK;
    return block < SMALL_BLOCKS ? 1u << (block + 2) : LARGE_CELLS;
}

void ExcelSheet::CStore::AddBlock() {
    const auto block = static_cast<uint32_t>(m_blocks.size());
    m_blocks.reserve(block + 1);
    const size_t bytes = size_t{Capacity(block)} * sizeof(ExcelCell);
    m_blocks.push_back(static_cast<ExcelCell*>(platform::AllocateBuffer(bytes)));
    m_capacity += Capacity(block);
}

void ExcelSheet::CStore::Clear() {
    for (uint32_t i = 0; i < m_size; ++i)
        (*this)[i].~ExcelCell();
    for (uint32_t block = 0; block < m_blocks.size(); ++block)
        platform::FreeBuffer(m_blocks[block], size_t{Capacity(block)} * sizeof(ExcelCell));
    m_blocks.clear();
    m_size = 0;
    m_capacity = 0;
}

ExcelSheet::ExcelSheet(ExcelDocument* document, int index) : m_document(document), m_index(index) {}

void ExcelSheet::Resize(int rows, int columns) {
    m_rows = rows;
    m_cols = columns;
    m_store.Clear();
    m_runs.clear();
    m_hash.clear();
    m_hashed = 0;
    m_denseRows = 0;
    m_denseColumns = 0;
    m_runsWanted = 0;
    m_hint.store(0, std::memory_order_relaxed);
}

void ExcelSheet::Materialize() {
    if (m_denseRows == 0)
        return;
    Large<SRun> runs;
    runs.reserve(m_denseRows + m_runs.size());
    for (uint32_t r = 0; r < m_denseRows; ++r)
        runs.push_back(
            {r * m_denseColumns, static_cast<uint16_t>(r), 0, static_cast<uint16_t>(m_denseColumns)});
    runs.insert(runs.end(), m_runs.begin(), m_runs.end());
    m_runs.swap(runs);
    m_denseRows = 0;
    m_denseColumns = 0;
    m_hint.store(0, std::memory_order_relaxed);
}

void ExcelSheet::NewRun(const SRun& run) {
    // The one row held apart from the dense rows joins them once a later row begins: it began
    // at column 0 right after them in the store, without a gap, and is as long as they are.
    if (m_runs.size() == 1) {
        const SRun& only = m_runs[0];
        if (run.row > only.row && only.row == m_denseRows && only.column == 0 &&
            only.first == m_denseRows * m_denseColumns &&
            (m_denseRows == 0 || only.count == m_denseColumns)) {
            m_denseColumns = only.count;
            ++m_denseRows;
            m_runs.clear();
        }
    }
    if (m_runs.size() == m_runs.capacity() && m_runsWanted > m_runs.size())
        m_runs.reserve(m_runsWanted);
    m_runs.push_back(run);
}

int64_t ExcelSheet::RunAtOrBefore(uint32_t key) const {
    const size_t count = m_runs.size();
    const uint32_t hint = m_hint.load(std::memory_order_relaxed);
    // A walk in row order finds its run at the hint or just after it.
    for (uint32_t h = hint; h < count && h <= hint + 1; ++h) {
        if (Key(m_runs[h]) <= key && (h + 1 == count || Key(m_runs[h + 1]) > key)) {
            m_hint.store(h, std::memory_order_relaxed);
            return h;
        }
    }
    const auto after = std::upper_bound(m_runs.begin(), m_runs.end(), key,
                                        [](uint32_t k, const SRun& run) { return k < Key(run); });
    if (after == m_runs.begin())
        return -1;
    const auto found = static_cast<uint32_t>(after - m_runs.begin() - 1);
    m_hint.store(found, std::memory_order_relaxed);
    return found;
}

int64_t ExcelSheet::Find(uint32_t key) const {
    if (!m_hash.empty())
        return HashFind(key);
    if (Row(key) < m_denseRows)
        return Column(key) < m_denseColumns ? int64_t{Row(key)} * m_denseColumns + Column(key) : -1;
    const int64_t r = RunAtOrBefore(key);
    if (r < 0)
        return -1;
    const SRun& run = m_runs[static_cast<size_t>(r)];
    if (run.row != Row(key) || Column(key) >= uint32_t{run.column} + run.count)
        return -1;
    return run.first + (Column(key) - run.column);
}

uint32_t ExcelSheet::AddCell(uint32_t key) {
    // A cell out of row order: the dense rows become runs like any other.
    Materialize();
    const uint32_t index = m_store.Size();
    const auto row = static_cast<uint16_t>(Row(key));
    const auto column = static_cast<uint16_t>(Column(key));
    // The run before the cell takes it when the cell is its next column and the run's cells end
    // the store.
    auto grows = [&](const SRun& run) {
        return run.row == row && run.column + run.count == column && run.first + run.count == index;
    };
    // The cell is made first, so that a run never names a cell that could not be made.
    if (m_hash.empty()) {
        if (m_runs.empty() || key > Key(m_runs.back()) + m_runs.back().count - 1) {
            m_store.Append();
            if (!m_runs.empty() && grows(m_runs.back()))
                ++m_runs.back().count;
            else
                m_runs.push_back({index, row, column, 1});
            m_hint.store(static_cast<uint32_t>(m_runs.size() - 1), std::memory_order_relaxed);
            return index;
        }
        const int64_t before = RunAtOrBefore(key);
        if (before >= 0 && grows(m_runs[static_cast<size_t>(before)])) {
            m_store.Append();
            ++m_runs[static_cast<size_t>(before)].count;
            return index;
        }
        LeaveRowOrder();
    }
    m_store.Append();
    HashInsert(key, index);
    m_runs.push_back({index, row, column, 1});
    return index;
}

void ExcelSheet::LeaveRowOrder() {
    m_hash.assign(std::bit_ceil(std::max<size_t>(16, 2 * (size_t{m_store.Size()} + 1))), 0);
    m_hashed = 0;
    for (const SRun& run : m_runs)
        for (uint32_t k = 0; k < run.count; ++k)
            HashInsert(Key(run) + k, run.first + k);
}

namespace {

size_t Slot(uint32_t key, size_t size) {
    // The high bits of a multiplicative hash: keys of neighbouring cells spread over the table.
    const int bits = std::countr_zero(size);
    return static_cast<size_t>((uint64_t{key} * 0x9E3779B97F4A7C15ull) >> (64 - bits));
}

} // namespace

void ExcelSheet::HashInsert(uint32_t key, uint32_t index) {
    if (2 * (size_t{m_hashed} + 1) > m_hash.size()) {
        Large<uint64_t> old(2 * m_hash.size(), 0);
        old.swap(m_hash);
        m_hashed = 0;
        for (uint64_t entry : old)
            if (entry != 0)
                HashInsert(static_cast<uint32_t>((entry >> 32) - 1), static_cast<uint32_t>(entry));
    }
    const size_t mask = m_hash.size() - 1;
    size_t slot = Slot(key, m_hash.size());
    while (m_hash[slot] != 0)
        slot = (slot + 1) & mask;
    m_hash[slot] = (uint64_t{key} + 1) << 32 | index;
    ++m_hashed;
}

int64_t ExcelSheet::HashFind(uint32_t key) const {
    const size_t mask = m_hash.size() - 1;
    const uint64_t tag = uint64_t{key} + 1;
    for (size_t slot = Slot(key, m_hash.size());; slot = (slot + 1) & mask) {
        const uint64_t entry = m_hash[slot];
        if (entry == 0)
            return -1;
        if (entry >> 32 == tag)
            return static_cast<uint32_t>(entry);
    }
}

void ExcelSheet::ReserveRows(int rows) {
    // Taken up only once rows need runs of their own: dense rows need none.
    m_runsWanted = static_cast<uint32_t>(std::clamp(rows, 0, MAX_ROW + 1));
}

void ExcelSheet::Compact() {
    if (m_hash.empty())
        return;
    std::sort(m_runs.begin(), m_runs.end(), [](const SRun& a, const SRun& b) { return Key(a) < Key(b); });
    Large<SRun> merged;
    merged.reserve(m_runs.size());
    for (const SRun& run : m_runs) {
        if (!merged.empty()) {
            SRun& last = merged.back();
            if (last.row == run.row && last.column + last.count == run.column &&
                last.first + last.count == run.first) {
                last.count = static_cast<uint16_t>(last.count + run.count);
                continue;
            }
        }
        merged.push_back(run);
    }
    merged.shrink_to_fit();
    m_runs.swap(merged);
    Large<uint64_t>().swap(m_hash);
    m_hashed = 0;
    m_hint.store(0, std::memory_order_relaxed);
}

ExcelCell* ExcelSheet::Cell(int row, int column) {
    if (row < 0 || column < 0 || row > MAX_ROW || column > MAX_COLUMN)
        return nullptr;
    m_rows = std::max(m_rows, row + 1);
    m_cols = std::max(m_cols, column + 1);
    const uint32_t key = Key(row, column);
    // Cells reached in row order (as a load and most fills reach them) come after every cell
    // the sheet has: they are appended without a search.
    if (m_hash.empty() && (!m_runs.empty() || m_denseRows > 0)) {
        if (m_runs.empty() && static_cast<uint32_t>(row) < m_denseRows && key >= Key(row, 0) + m_denseColumns)
            Materialize(); // the last dense row grows longer than the others
        const uint32_t end = m_runs.empty() ? Key(static_cast<int>(m_denseRows) - 1, 0) + m_denseColumns
                                            : Key(m_runs.back()) + m_runs.back().count;
        if (key >= end) {
            // The cell first, so that a run never names a cell that could not be made.
            const uint32_t index = m_store.Append();
            if (!m_runs.empty()) {
                SRun& last = m_runs.back();
                if (key == end && last.row == row && last.first + last.count == index) {
                    ++last.count;
                    return &m_store[index];
                }
            }
            NewRun({index, static_cast<uint16_t>(row), static_cast<uint16_t>(column), 1});
            return &m_store[index];
        }
    }
    const int64_t found = Find(key);
    return &m_store[found >= 0 ? static_cast<uint32_t>(found) : AddCell(key)];
}

const ExcelCell* ExcelSheet::CellAt(int row, int column) const {
    if (row < 0 || column < 0 || row >= m_rows || column >= m_cols)
        return nullptr;
    const int64_t found = Find(Key(row, column));
    return found >= 0 ? &m_store[static_cast<uint32_t>(found)] : &EMPTY_CELL;
}

void ExcelSheet::RowCells(int row, const ExcelCell** out) const {
    std::fill(out, out + m_cols, &EMPTY_CELL);
    if (row < 0 || row >= m_rows)
        return;
    if (!m_hash.empty()) {
        for (int c = 0; c < m_cols; ++c)
            out[c] = CellAt(row, c);
        return;
    }
    if (static_cast<uint32_t>(row) < m_denseRows) {
        for (uint32_t c = 0; c < m_denseColumns; ++c)
            out[c] = &m_store[static_cast<uint32_t>(row) * m_denseColumns + c];
        return;
    }
    // The runs of the row follow the one at or before its column 0.
    int64_t r = RunAtOrBefore(Key(row, 0));
    size_t next = r < 0 ? 0 : static_cast<size_t>(r);
    for (; next < m_runs.size() && m_runs[next].row <= row; ++next) {
        const SRun& run = m_runs[next];
        if (run.row != row)
            continue;
        for (uint32_t k = 0; k < run.count; ++k)
            out[run.column + k] = &m_store[run.first + k];
    }
    if (next > 0)
        m_hint.store(static_cast<uint32_t>(next - 1), std::memory_order_relaxed);
}
