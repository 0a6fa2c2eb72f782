#pragma once

#include "lumora/sheetio/ExcelCell.h"
#include "lumora/sheetio/Worksheet.h"

#include <vector>

class ExcelDocument;

// The cells of one worksheet as a grid of rows by columns. The cells of 32 rows are allocated
// together when Cell() first reaches one of them, so a file that names one far cell does not build
// the whole grid, and a long sheet of few columns does not pay for a list per row.
class ExcelSheet {
public:
    static constexpr int MAX_ROW = 65535; // the ROW record holds 16 bits
    static constexpr int MAX_COLUMN = 255;

    ExcelSheet(ExcelDocument* document, int index);

    // The cell at (row, column), growing the grid to reach it; null beyond row 65,535 or
    // column 255. The pointer stays valid until the sheet grows again.
    ExcelCell* Cell(int row, int column);

    // The cell at (row, column) without growing; null outside the grid. A row Cell() has not
    // reached yet gives a shared empty cell, which stands for that cell only until Cell() reaches it.
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
    // Gives back the room kept for more columns (growing leaves some); moves the cells.
    void FitColumns();

private:
    static constexpr int BLOCK_ROWS = 32;
    // Lays the allocated blocks out for 'stride' columns, moving their cells.
    void Relayout(int stride);

    ExcelDocument* m_document;
    int m_index;
    int m_rows = 0;
    int m_cols = 0;
    int m_stride = 0;                             // columns each block row has room for, at least m_cols
    std::vector<std::vector<ExcelCell>> m_blocks; // per 32 rows: empty, or BLOCK_ROWS * m_stride cells
    SheetIO::Worksheet::ColInfos m_colInfos;
};
