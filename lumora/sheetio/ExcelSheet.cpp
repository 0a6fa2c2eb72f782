#include "lumora/sheetio/ExcelSheet.h"

namespace {

const ExcelCell EMPTY_CELL;

} // namespace

ExcelSheet::ExcelSheet(ExcelDocument* document, int index) : m_document(document), m_index(index) {}

void ExcelSheet::Resize(int rows, int columns) {
    m_rows = rows;
    m_cols = columns;
    m_grid.clear();
    m_grid.resize(static_cast<size_t>(rows));
}

ExcelCell* ExcelSheet::Cell(int row, int column) {
    if (row < 0 || column < 0 || row > MAX_ROW || column > MAX_COLUMN)
        return nullptr;
    if (column >= m_cols) {
        m_cols = column + 1;
        for (std::vector<ExcelCell>& cells : m_grid)
            if (!cells.empty())
                cells.resize(static_cast<size_t>(m_cols));
    }
    if (row >= m_rows) {
        m_rows = row + 1;
        m_grid.resize(static_cast<size_t>(m_rows));
    }
    std::vector<ExcelCell>& cells = m_grid[static_cast<size_t>(row)];
    if (cells.empty())
        cells.resize(static_cast<size_t>(m_cols));
    return &cells[static_cast<size_t>(column)];
}

const ExcelCell* ExcelSheet::CellAt(int row, int column) const {
    if (row < 0 || column < 0 || row >= m_rows || column >= m_cols)
        return nullptr;
    const std::vector<ExcelCell>& cells = m_grid[static_cast<size_t>(row)];
    return cells.empty() ? &EMPTY_CELL : &cells[static_cast<size_t>(column)];
}
