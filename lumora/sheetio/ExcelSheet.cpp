#include "lumora/sheetio/ExcelSheet.h"

#include <algorithm>

namespace {

const ExcelCell EMPTY_CELL;

} // namespace

ExcelSheet::ExcelSheet(ExcelDocument* document, int index) : m_document(document), m_index(index) {}

void ExcelSheet::Resize(int rows, int columns) {
    m_rows = rows;
    m_cols = columns;
    m_stride = columns;
    m_blocks.clear();
    m_blocks.resize(static_cast<size_t>((rows + BLOCK_ROWS - 1) / BLOCK_ROWS));
}

void ExcelSheet::Relayout(int stride) {
    const int keep = std::min(stride, m_stride);
    for (std::vector<ExcelCell>& block : m_blocks) {
        if (block.empty())
            continue;
        std::vector<ExcelCell> laid(static_cast<size_t>(BLOCK_ROWS) * static_cast<size_t>(stride));
        for (int r = 0; r < BLOCK_ROWS; ++r)
            std::move(block.begin() + r * m_stride, block.begin() + r * m_stride + keep,
                      laid.begin() + r * stride);
        block.swap(laid);
    }
    m_stride = stride;
}

void ExcelSheet::FitColumns() {
    if (m_stride != m_cols)
        Relayout(m_cols);
}

ExcelCell* ExcelSheet::Cell(int row, int column) {
    if (row < 0 || column < 0 || row > MAX_ROW || column > MAX_COLUMN)
        return nullptr;
    if (column >= m_cols) {
        m_cols = column + 1;
        // Room for more columns than asked, so that a sheet growing a column at a time does not
        // move its cells each time.
        if (m_cols > m_stride)
            Relayout(std::min(MAX_COLUMN + 1, std::max(m_cols, 2 * m_stride)));
    }
    if (row >= m_rows) {
        m_rows = row + 1;
        m_blocks.resize(static_cast<size_t>((m_rows + BLOCK_ROWS - 1) / BLOCK_ROWS));
    }
    std::vector<ExcelCell>& block = m_blocks[static_cast<size_t>(row / BLOCK_ROWS)];
    if (block.empty())
        block.resize(static_cast<size_t>(BLOCK_ROWS) * static_cast<size_t>(m_stride));
    return &block[static_cast<size_t>((row % BLOCK_ROWS) * m_stride + column)];
}

const ExcelCell* ExcelSheet::CellAt(int row, int column) const {
    if (row < 0 || column < 0 || row >= m_rows || column >= m_cols)
        return nullptr;
    const std::vector<ExcelCell>& block = m_blocks[static_cast<size_t>(row / BLOCK_ROWS)];
    return block.empty() ? &EMPTY_CELL : &block[static_cast<size_t>((row % BLOCK_ROWS) * m_stride + column)];
}
