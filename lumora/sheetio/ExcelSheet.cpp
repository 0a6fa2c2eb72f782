#include "lumora/sheetio/ExcelSheet.h"

ExcelSheet::ExcelSheet(ExcelDocument* document, int index) : m_document(document), m_index(index) {}

void ExcelSheet::Resize(int rows, int columns) {
    m_rows = rows;
    m_cols = columns;
    m_cells.assign(static_cast<size_t>(rows), std::vector<ExcelCell>(static_cast<size_t>(columns)));
}

ExcelCell* ExcelSheet::Cell(int row, int column) {
    if (row < 0 || column < 0 || row > MAX_ROW || column > MAX_COLUMN)
        return nullptr;
    if (column >= m_cols) {
        m_cols = column + 1;
        for (std::vector<ExcelCell>& cells : m_cells)
            cells.resize(static_cast<size_t>(m_cols));
    }
    if (row >= m_rows) {
        m_rows = row + 1;
        m_cells.resize(static_cast<size_t>(m_rows), std::vector<ExcelCell>(static_cast<size_t>(m_cols)));
    }
    return &m_cells[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

const ExcelCell* ExcelSheet::CellAt(int row, int column) const {
    if (row < 0 || column < 0 || row >= m_rows || column >= m_cols)
        return nullptr;
    return &m_cells[static_cast<size_t>(row)][static_cast<size_t>(column)];
}
