#pragma once

#include "lumora/sheetio/ExcelCell.h"
#include "lumora/sheetio/Worksheet.h"

#include <vector>

class ExcelDocument;

// The cells of one worksheet as a full grid of rows by columns.
class ExcelSheet {
public:
    static constexpr int MAX_ROW = 65535; // the ROW record holds 16 bits
    static constexpr int MAX_COLUMN = 255;

    ExcelSheet(ExcelDocument* document, int index);

    // The cell at (row, column), growing the grid to reach it; null beyond row 65,535 or
    // column 255. The pointer stays valid until the sheet grows again.
    ExcelCell* Cell(int row, int column);

    // The cell at (row, column) without growing; null outside the grid.
    const ExcelCell* CellAt(int row, int column) const;

    int GetTotalRows() const { return m_rows; }
    int GetTotalCols() const { return m_cols; }
    int GetIndex() const { return m_index; }
    ExcelDocument* GetDocument() const { return m_document; }

    // Column information kept from the loaded worksheet and written back by Save.
    SheetIO::Worksheet::ColInfos& ColumnInfo() { return m_colInfos; }
    const SheetIO::Worksheet::ColInfos& ColumnInfo() const { return m_colInfos; }

    // Sizes the grid to rows by columns of empty cells (used when building from records).
    void Resize(int rows, int columns);

private:
    size_t Slot(int row, int column) const {
        return static_cast<size_t>(row) * static_cast<size_t>(m_cols) + static_cast<size_t>(column);
    }

    ExcelDocument* m_document;
    int m_index;
    int m_rows = 0;
    int m_cols = 0;
    std::vector<ExcelCell> m_cells; // row by row, m_cols cells each
    SheetIO::Worksheet::ColInfos m_colInfos;
};
