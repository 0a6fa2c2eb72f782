#include "lumora/sheetio/ExcelSheet.h"

ExcelSheet::ExcelSheet(ExcelDocument* document, int index) : m_document(document), m_index(index) {}

void ExcelSheet::Resize(int rows, int columns) {
    m_rows = rows;
    m_cols = columns;
    m_cells.clear();
    m_cells.resize(static_cast<size_t>(rows) * static_cast<size_t>(columns));
}

ExcelCell* ExcelSheet::Cell(int row, int column) {
    if (row < 0 || column < 0 || row > MAX_ROW || column > MAX_COLUMN)
        return nullptr;
    if (column >= m_cols) {
        const size_t wider = static_cast<size_t>(column) + 1;
        std::vector<ExcelCell> cells(static_cast<size_t>(m_rows) * wider);
        for (size_t r = 0; r < static_cast<size_t>(m_rows); ++r)
            for (size_t c = 0; c < static_cast<size_t>(m_cols); ++c)
                cells[r * wider + c] = std::move(m_cells[r * static_cast<size_t>(m_cols) + c]);
        m_cells = std::move(cells);
        m_cols = column + 1;
    }
    if (row >= m_rows) {
        m_rows = row + 1;
        m_cells.resize(static_cast<size_t>(m_rows) * static_cast<size_t>(m_cols));
    }
    return &m_cells[Slot(row, column)];
}

const ExcelCell* ExcelSheet::CellAt(int row, int column) const {
    if (row < 0 || column < 0 || row >= m_rows || column >= m_cols)
        return nullptr;
    return &m_cells[Slot(row, column)];
}
