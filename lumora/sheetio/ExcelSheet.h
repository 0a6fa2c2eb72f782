#pragma once

#include "lumora/sheetio/ExcelCell.h"
#include "lumora/sheetio/Worksheet.h"
#include "platform/LargeBlock.h"

#include <atomic>
#include <bit>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

class ExcelDocument;

// The cells of one worksheet as a grid of rows by columns. Only the cells that were reached are
// stored: a file that names a far cell, or one cell in every few rows, costs the cells it holds and
// not the grid they span. Cells live in a few large blocks, and each row's neighbouring cells are
// found as one run, so a long sheet costs neither a heap block per row nor per cell; leading rows
// of equal length, reached in order, are found by their position alone.
class ExcelSheet {
public:
    static constexpr int MAX_ROW = 65535; // the ROW record holds 16 bits
    static constexpr int MAX_COLUMN = 255;

    ExcelSheet(ExcelDocument* document, int index);

    // The cell at (row, column), growing the grid to reach it; null beyond row 65,535 or
    // column 255. The pointer stays valid until the sheet grows again.
    ExcelCell* Cell(int row, int column);

    // The cell at (row, column) without growing; null outside the grid. A cell Cell() has not
    // reached gives a shared empty cell, which stands for that cell only until Cell() reaches it.
    const ExcelCell* CellAt(int row, int column) const;

    // The cells of one row of the grid, columns 0 to GetTotalCols() - 1, into 'out' (the shared
    // empty cell where none was reached), for walks over the whole grid.
    void RowCells(int row, const ExcelCell** out) const;

    int GetTotalRows() const { return m_rows; }
    int GetTotalCols() const { return m_cols; }
    int GetIndex() const { return m_index; }
    ExcelDocument* GetDocument() const { return m_document; }

    // Column information kept from the loaded worksheet and written back by Save.
    SheetIO::Worksheet::ColInfos& ColumnInfo() { return m_colInfos; }
    const SheetIO::Worksheet::ColInfos& ColumnInfo() const { return m_colInfos; }

    // Empties the sheet and sets its grid to rows by columns of empty cells.
    void Resize(int rows, int columns);
    // Gives back what reaching cells out of row order needed; cells stay where they are.
    void Compact();
    // Room for the cells of 'rows' rows reached in row order, so that a load whose sheet says how
    // many rows it has does not grow its lists step by step.
    void ReserveRows(int rows);

private:
    // A row's neighbouring columns whose cells lie one after another in the store.
    struct SRun {
        uint32_t first; // store index of the cell at 'column'
        uint16_t row;
        uint16_t column;
        uint16_t count;
    };

    // Cells by index, in blocks that never move: small ones from the heap first, then blocks of a
    // huge page each, so that a sheet of a million cells fills a few pages rather than thousands.
    // A cell is made when it is appended.
    class CStore {
    public:
        CStore() = default;
        ~CStore() { Clear(); }
        CStore(const CStore&) = delete;
        CStore& operator=(const CStore&) = delete;

        ExcelCell& operator[](uint32_t index) { return At(index); }
        const ExcelCell& operator[](uint32_t index) const { return const_cast<CStore*>(this)->At(index); }
        uint32_t Size() const { return m_size; }
        uint32_t Append() {
            if (m_size == m_capacity)
                AddBlock();
            new (&At(m_size)) ExcelCell();
            return m_size++;
        }
        void Clear();

    private:
        static constexpr uint32_t FIRST_BLOCK = 8;
        // Cells in the small blocks: 8, 8, 16, ... up to half of it.
        static constexpr uint32_t SMALL_BITS = 12;
        static constexpr uint32_t SMALL_CELLS = 1u << SMALL_BITS;
        static constexpr uint32_t SMALL_BLOCKS = SMALL_BITS - 2;
        static constexpr uint32_t LARGE_CELLS = platform::HUGE_PAGE_BYTES / sizeof(ExcelCell);

        ExcelCell& At(uint32_t index) {
            if (index >= SMALL_CELLS) {
                const uint32_t large = index - SMALL_CELLS;
                return m_blocks[SMALL_BLOCKS + large / LARGE_CELLS][large % LARGE_CELLS];
            }
            if (index < FIRST_BLOCK)
                return m_blocks[0][index];
            // Blocks 1, 2, ... hold 8, 16, ... cells and start at their own size.
            const uint32_t block = static_cast<uint32_t>(std::bit_width(index)) - 3;
            return m_blocks[block][index - (1u << (block + 2))];
        }
        static uint32_t Capacity(uint32_t block);
        void AddBlock();

        std::vector<ExcelCell*> m_blocks;
        uint32_t m_size = 0;
        uint32_t m_capacity = 0;
    };

    static uint32_t Key(int row, int column) {
        return static_cast<uint32_t>(row) << 8 | static_cast<uint32_t>(column);
    }
    static uint32_t Key(const SRun& run) { return Key(run.row, run.column); }

    // Store index of the cell at key, or -1 when it has none.
    int64_t Find(uint32_t key) const;
    // The run that holds or precedes key in the sorted run list; -1 when none does.
    int64_t RunAtOrBefore(uint32_t key) const;
    uint32_t AddCell(uint32_t key);
    // Adds a run after the last, letting the rows before it join the dense rows.
    void NewRun(const SRun& run);
    // The dense rows as runs, before any change that is no append in row order.
    void Materialize();
    // From here on cells are found through a hash of their keys, and new cells get runs of their
    // own at the end of the list; Compact() sorts the runs again.
    void LeaveRowOrder();
    void HashInsert(uint32_t key, uint32_t index);
    int64_t HashFind(uint32_t key) const;

    ExcelDocument* m_document;
    int m_index;
    int m_rows = 0;
    int m_cols = 0;
    CStore m_store;
    template <typename T> using Large = platform::CLargeArray<T>;
    Large<SRun> m_runs;                      // sorted by key unless m_hash is in use
    Large<uint64_t> m_hash;                  // (key + 1) << 32 | store index; 0 is a free slot
    uint32_t m_hashed = 0;                   // entries in m_hash
    mutable std::atomic<uint32_t> m_hint{0}; // run a lookup last found, for walks in row order
    // Rows 0 to m_denseRows - 1 hold columns 0 to m_denseColumns - 1 each, in the store one row
    // after another from index 0, without runs: most sheets are such a grid. Runs follow them.
    uint32_t m_denseRows = 0;
    uint32_t m_denseColumns = 0;
    uint32_t m_runsWanted = 0; // runs a load expects, reserved once rows need runs
    SheetIO::Worksheet::ColInfos m_colInfos;
};
