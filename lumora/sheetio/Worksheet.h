#pragma once

#include "lumora/sheetio/Bof.h"
#include "lumora/sheetio/XLString.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class ExcelSheet;

namespace SheetIO {

// The records of one worksheet substream: BOF, INDEX, COLINFO list, DIMENSIONS, the cell table of
// row blocks, WINDOW2, merged ranges and EOF.
class Worksheet {
public:
    class Index : public Record {
    public:
        Index();
        uint32_t Read(const uint8_t* bytes, uint32_t available) override;
        uint32_t Write(uint8_t* bytes) override;
        uint32_t DataSize() override;
        uint32_t RecordSize() override;

        uint32_t unused1 = 0;
        uint32_t firstUsedRowIndex = 0;
        uint32_t firstUnusedRowIndex = 0;
        uint32_t unused2 = 0;
        std::vector<uint32_t> DBCellPos;
    };

    class ColInfos {
    public:
        class ColInfo : public Record {
        public:
            ColInfo();
            uint32_t Read(const uint8_t* bytes, uint32_t available) override;
            uint32_t Write(uint8_t* bytes) override;
            uint32_t DataSize() override;
            uint32_t RecordSize() override;

            uint16_t firstColumnIndex = 0;
            uint16_t lastColumnIndex = 0;
            uint16_t columnWidth = 0;
            uint16_t XFRecordIndex = 0;
            uint16_t options = 0;
            uint16_t unused = 0;
        };

        uint32_t Read(const uint8_t* bytes, uint32_t available);
        uint32_t Write(uint8_t* bytes);
        uint32_t RecordSize();

        std::vector<ColInfo> colinfo;
    };

    class Dimensions : public Record {
    public:
        Dimensions();
        uint32_t Read(const uint8_t* bytes, uint32_t available) override;
        uint32_t Write(uint8_t* bytes) override;
        uint32_t DataSize() override;
        uint32_t RecordSize() override;

        uint32_t firstUsedRowIndex = 0;
        uint32_t lastUsedRowIndexPlusOne = 0;
        uint16_t firstUsedColIndex = 0;
        uint16_t lastUsedColIndexPlusOne = 0;
        uint16_t unused = 0;
    };

    class CellTable {
    public:
        class RowBlock {
        public:
            class Row : public Record {
            public:
                Row();
                uint32_t Read(const uint8_t* bytes, uint32_t available) override;
                uint32_t Write(uint8_t* bytes) override;
                uint32_t DataSize() override;
                uint32_t RecordSize() override;

                uint16_t rowIndex = 0;
                uint16_t firstCellColIndex = 0;
                uint16_t lastCellColIndexPlusOne = 0;
                uint16_t height = 0x00FF;
                uint16_t unused1 = 0;
                uint16_t unused2 = 0;
                uint32_t options = 0x100;
            };

            class CellBlock {
            public:
                // Row, column and XF index lead every cell record.
                class Cell : public Record {
                public:
                    explicit Cell(uint16_t recordCode) : Record(recordCode) {}
                    uint16_t rowIndex = 0;
                    uint16_t colIndex = 0;
                    uint16_t XFRecordIndex = 0;
                };

                class Blank : public Cell {
                public:
                    Blank();
                    uint32_t Read(const uint8_t* bytes, uint32_t available) override;
                    uint32_t Write(uint8_t* bytes) override;
                    uint32_t DataSize() override;
                    uint32_t RecordSize() override;
                };

                class BoolErr : public Cell {
                public:
                    BoolErr();
                    uint32_t Read(const uint8_t* bytes, uint32_t available) override;
                    uint32_t Write(uint8_t* bytes) override;
                    uint32_t DataSize() override;
                    uint32_t RecordSize() override;

                    uint8_t value = 0;
                    uint8_t error = 0;
                };

                class LabelSST : public Cell {
                public:
                    LabelSST();
                    uint32_t Read(const uint8_t* bytes, uint32_t available) override;
                    uint32_t Write(uint8_t* bytes) override;
                    uint32_t DataSize() override;
                    uint32_t RecordSize() override;

                    uint32_t SSTRecordIndex = 0;
                };

                // A text kept in the cell record itself (LABEL), as other writers than the
                // shared-string ones store it; RSTRING adds formatting runs, which are not kept.
                class Label : public Cell {
                public:
                    explicit Label(uint16_t recordCode = 0x0204);
                    uint32_t Read(const uint8_t* bytes, uint32_t available) override;
                    uint32_t Write(uint8_t* bytes) override;
                    uint32_t DataSize() override;
                    uint32_t RecordSize() override;

                    CXLString string;

                private:
                    // Lays out the string (and RSTRING's run count: no runs are written) and
                    // records the piece boundaries; emits them when 'out' is set.
                    uint32_t Layout(uint8_t* out);
                };

                class RString : public Label {
                public:
                    RString() : Label(0x00D6) {}
                };

                class RK : public Cell {
                public:
                    RK();
                    uint32_t Read(const uint8_t* bytes, uint32_t available) override;
                    uint32_t Write(uint8_t* bytes) override;
                    uint32_t DataSize() override;
                    uint32_t RecordSize() override;

                    uint32_t value = 0;
                };

                class Number : public Cell {
                public:
                    Number();
                    uint32_t Read(const uint8_t* bytes, uint32_t available) override;
                    uint32_t Write(uint8_t* bytes) override;
                    uint32_t DataSize() override;
                    uint32_t RecordSize() override;

                    double value = 0.0;
                };

                // colIndex is the first column.
                class MulBlank : public Cell {
                public:
                    MulBlank();
                    uint32_t Read(const uint8_t* bytes, uint32_t available) override;
                    uint32_t Write(uint8_t* bytes) override;
                    uint32_t DataSize() override;
                    uint32_t RecordSize() override;

                    std::vector<uint16_t> XFRecordIndices;
                    uint16_t lastColIndex = 0;
                };

                // colIndex is the first column.
                class MulRK : public Cell {
                public:
                    struct XFRK {
                        uint16_t XFRecordIndex = 0;
                        uint32_t RKValue = 0;
                    };
                    MulRK();
                    uint32_t Read(const uint8_t* bytes, uint32_t available) override;
                    uint32_t Write(uint8_t* bytes) override;
                    uint32_t DataSize() override;
                    uint32_t RecordSize() override;

                    std::vector<XFRK> XFRKs;
                    uint16_t lastColIndex = 0;
                };

                class Formula : public Cell {
                public:
                    class Array : public Record {
                    public:
                        Array();
                        uint32_t Read(const uint8_t* bytes, uint32_t available) override;
                        uint32_t Write(uint8_t* bytes) override;
                        uint32_t DataSize() override;
                        uint32_t RecordSize() override;

                        uint16_t firstRowIndex = 0;
                        uint16_t lastRowIndex = 0;
                        uint8_t firstColumnIndex = 0;
                        uint8_t lastColumnIndex = 0;
                        uint16_t options = 0;
                        uint32_t unused = 0;
                        std::vector<uint8_t> formula;
                    };

                    // SHRFMLA under either of its two codes.
                    class ShrFmla : public Record {
                    public:
                        explicit ShrFmla(uint16_t recordCode = 0x00BC);
                        uint32_t Read(const uint8_t* bytes, uint32_t available) override;
                        uint32_t Write(uint8_t* bytes) override;
                        uint32_t DataSize() override;
                        uint32_t RecordSize() override;

                        uint16_t firstRowIndex = 0;
                        uint16_t lastRowIndex = 0;
                        uint8_t firstColumnIndex = 0;
                        uint8_t lastColumnIndex = 0;
                        uint16_t unused = 0;
                        std::vector<uint8_t> formula;
                    };

                    class ShrFmla1 : public ShrFmla {
                    public:
                        ShrFmla1() : ShrFmla(0x04BC) {}
                    };

                    class Table : public Record {
                    public:
                        Table();
                        uint32_t Read(const uint8_t* bytes, uint32_t available) override;
                        uint32_t Write(uint8_t* bytes) override;
                        uint32_t DataSize() override;
                        uint32_t RecordSize() override;

                        uint16_t firstRowIndex = 0;
                        uint16_t lastRowIndex = 0;
                        uint8_t firstColumnIndex = 0;
                        uint8_t lastColumnIndex = 0;
                        uint16_t options = 0;
                        uint16_t inputCellRowIndex = 0;
                        uint16_t inputCellColumnIndex = 0;
                        uint16_t inputCellRowIndex2 = 0;
                        uint16_t inputCellColumnIndex2 = 0;
                    };

                    class String : public Record {
                    public:
                        String();
                        uint32_t Read(const uint8_t* bytes, uint32_t available) override;
                        uint32_t Write(uint8_t* bytes) override;
                        uint32_t DataSize() override;
                        uint32_t RecordSize() override;

                        CXLString string;
                    };

                    Formula();
                    uint32_t Read(const uint8_t* bytes, uint32_t available) override;
                    uint32_t Write(uint8_t* bytes) override;
                    uint32_t DataSize() override;
                    uint32_t RecordSize() override;

                    uint8_t result[8] = {};
                    uint16_t options = 0;
                    uint32_t unused = 0;
                    std::vector<uint8_t> RPNtoken;
                    uint16_t type = 0xFFFF; // code of the sub-record that follows, 0xFFFF for none
                    bool hasString = false;
                    Array array;
                    ShrFmla shrfmla;
                    ShrFmla1 shrfmla1;
                    Table table;
                    String string;
                };

                CellBlock() = default;
                explicit CellBlock(std::unique_ptr<Cell> cell) : m_cell(std::move(cell)) {}

                // Reads the cell record at 'bytes' by its code; false when the code is no cell code.
                uint32_t Read(const uint8_t* bytes, uint32_t available);
                uint32_t Write(uint8_t* bytes) { return m_cell->Write(bytes); }
                uint32_t RecordSize() { return m_cell->RecordSize(); }

                uint16_t Type() const { return m_cell->code; }
                Cell& Get() { return *m_cell; }
                const Cell& Get() const { return *m_cell; }
                template <class T> T& As() { return static_cast<T&>(*m_cell); }
                template <class T> const T& As() const { return static_cast<const T&>(*m_cell); }

                static bool IsCellCode(uint16_t recordCode);

            private:
                std::unique_ptr<Cell> m_cell;
            };

            class DBCell : public Record {
            public:
                DBCell();
                uint32_t Read(const uint8_t* bytes, uint32_t available) override;
                uint32_t Write(uint8_t* bytes) override;
                uint32_t DataSize() override;
                uint32_t RecordSize() override;

                uint32_t firstRowOffset = 0;
                std::vector<uint16_t> offsets;
            };

            RowBlock();
            // Reads ROW and cell records up to and including the DBCELL. Throws EXCEPTION_YEOF at an
            // EOF met before the DBCELL; stops before any record that belongs to the sheet outside the
            // cell table, so a block without DBCELL ends there.
            uint32_t Read(const uint8_t* bytes, uint32_t available);
            uint32_t Write(uint8_t* bytes);
            uint32_t RecordSize();

            std::vector<Row> rows;
            std::vector<CellBlock> cellBlocks;
            DBCell dbcell;
            bool hasDBCell = true;
        };

        // The cell table as a save lays it out from a sheet of cells: every row of the grid has a
        // ROW record of all its columns, every 32 rows end in a DBCELL, and the cell records are
        // made from the cells as each block is written, so a save holds no record per cell. What
        // the cells do not give again (shared-string indices, formulas) is kept in row order.
        class Grid {
        public:
            static constexpr uint32_t ROWS_PER_BLOCK = 32;

            uint32_t Blocks() const { return (rows + ROWS_PER_BLOCK - 1) / ROWS_PER_BLOCK; }
            uint32_t RecordSize() const;
            // Bytes of block b: its ROW records, cell records and DBCELL.
            uint32_t BlockSize(uint32_t b) const { return blockBytes[b]; }
            uint32_t WriteBlock(uint32_t b, uint8_t* bytes);
            uint32_t Write(uint8_t* bytes);
            void Clear();

            const ::ExcelSheet* sheet = nullptr;
            uint32_t rows = 0;
            uint16_t columns = 0;
            std::vector<uint32_t> blockBytes;
            std::vector<uint32_t> stringIndices; // of the string cells, in row order
            std::vector<RowBlock::CellBlock::Formula> formulas;
            std::vector<uint32_t> blockFirstString; // per block
            std::vector<uint32_t> blockFirstFormula;
            // Per block the DBCELL's offset to its first ROW, per row the DBCELL's row offset.
            std::vector<uint32_t> dbcellFirstRowOffsets;
            std::vector<uint16_t> rowOffsets;
        };

        uint32_t Read(const uint8_t* bytes, uint32_t available);
        uint32_t Write(uint8_t* bytes);
        uint32_t RecordSize();

        std::vector<RowBlock> rowBlocks;
        Grid grid; // written after the row blocks (one of the two is empty)
    };

    // Takes the stream a piece at a time: 'size' bytes that 'write' puts at the address it is given.
    using ChunkSink = std::function<bool(uint32_t size, const std::function<uint32_t(uint8_t*)>& write)>;

    // Takes each cell record as ReadRecord reads it, so that a large sheet is not held twice (as
    // records and as cells) while it loads.
    class CellSink {
    public:
        using CellBlock = CellTable::RowBlock::CellBlock;
        virtual ~CellSink() = default;
        virtual void Take(const CellBlock& cell) = 0;
        // A record of 'code' to read into; reused, so reading allocates only when codes change.
        CellBlock& Scratch(uint16_t code);

    private:
        std::vector<std::pair<uint16_t, CellBlock>> m_scratch;
        size_t m_last = 0;
    };

    class Window2 : public Record {
    public:
        Window2();
        uint32_t Read(const uint8_t* bytes, uint32_t available) override;
        uint32_t Write(uint8_t* bytes) override;
        uint32_t DataSize() override;
        uint32_t RecordSize() override;

        uint16_t options = 0x06B6;
        uint16_t firstVisibleRowIndex = 0;
        uint16_t firstVisibleColumnIndex = 0;
        uint16_t gridLineColourIndex = 64;
        uint16_t unused1 = 0;
        uint16_t magnificationFactorPageBreakPreview = 0;
        uint16_t magnificationFactorNormalView = 0;
        uint32_t unused2 = 0;
    };

    class MergedCells {
    public:
        class MergedCell {
        public:
            uint16_t firstRow = 0;
            uint16_t lastRow = 0;
            uint16_t firstColumn = 0;
            uint16_t lastColumn = 0;
        };

        uint32_t Read(const uint8_t* bytes, uint32_t available);
        uint32_t Write(uint8_t* bytes);
        uint32_t RecordSize();

        std::vector<MergedCell> mergedCellsVector;
        static constexpr uint32_t MAX_RANGES_PER_RECORD = 1027;
    };

    Worksheet();

    // Reads from the worksheet BOF through its EOF; returns the bytes consumed.
    uint32_t Read(const uint8_t* bytes, uint32_t available);
    // Reads the one record group at 'bytes' (see RecordGroupLength) that follows the BOF: cell
    // records go to the sink, ROW and DBCELL records are passed over (a save rebuilds them), the
    // others are kept as Read keeps them. Returns the bytes consumed; sets 'ended' at the EOF.
    // Loading record by record lets a large sheet load without holding its stream whole.
    uint32_t ReadRecord(const uint8_t* bytes, uint32_t available, CellSink& sink, bool& ended);
    uint32_t Write(uint8_t* bytes);
    // Writes the same bytes as Write, in pieces: the records before the cell table, each row block,
    // the records after it.
    bool WriteTo(const ChunkSink& sink);
    uint32_t RecordSize();

    BOF m_bof;
    Index m_index;
    ColInfos m_colinfos;
    Dimensions m_dimensions;
    CellTable m_cellTable;
    Window2 m_window2;
    MergedCells m_mergedCells;
    YEOF m_eof;

private:
    // A record of the sheet outside the cell table; sets 'ended' at the EOF.
    uint32_t ReadSheetRecord(const uint8_t* bytes, uint32_t available, bool& ended);
};

// Stream bytes of the record at 'bytes' with its CONTINUE pieces; throws EXCEPTION_DAMAGED when a
// length runs past 'available'.
uint32_t RecordLength(const uint8_t* bytes, uint32_t available);

// Skips a substream from its BOF through the matching EOF (nested substreams included).
uint32_t SkipSubstream(const uint8_t* bytes, uint32_t available);

// Stream bytes of the record group at 'bytes' that Worksheet::ReadRecord reads in one call: a
// record with its CONTINUE pieces; a FORMULA with the ARRAY, TABLE or SHRFMLA and the STRING that
// follow it; an embedded BOF with its whole substream. Throws EXCEPTION_DAMAGED when a length runs
// past 'available'.
uint32_t RecordGroupLength(const uint8_t* bytes, uint32_t available);

} // namespace SheetIO
