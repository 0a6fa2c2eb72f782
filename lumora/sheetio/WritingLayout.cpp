#include "lumora/sheetio/WritingLayout.h"

#include "lumora/sheetio/Bytes.h"
#include "lumora/sheetio/ExcelSheet.h"
#include "lumora/sheetio/Rk.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

namespace SheetIO {

namespace {

using RowBlock = Worksheet::CellTable::RowBlock;
using CellBlock = RowBlock::CellBlock;

constexpr uint32_t MAX_STRING_CHARS = 0xFFFF;

// Whether a number cell can go into an RK (integer or exact float form), and that RK.
bool RkFor(const ExcelCell& cell, uint32_t& rk) {
    if (cell.type == ExcelCell::eInt)
        return EncodeRkInteger(cell.ival, rk);
    return EncodeRkDouble(cell.dval, rk);
}

class CStringTable {
public:
    explicit CStringTable(Workbook::SharedStringTable& sst) : m_sst(sst) {
        m_sst.strings.clear();
        m_sst.stringsTotal = 0;
        m_sst.uniqueStringsTotal = 0;
    }

    // The maps look at the cells' own texts, which outlive the save, so no text is copied per cell.
    template <class View, class Map> uint32_t Index(View text, Map& map) {
        ++m_sst.stringsTotal;
        auto [it, added] = map.try_emplace(text, static_cast<uint32_t>(m_sst.strings.size()));
        if (added) {
            m_sst.strings.emplace_back(text);
            ++m_sst.uniqueStringsTotal;
        }
        return it->second;
    }

    std::unordered_map<std::string_view, uint32_t> narrow;
    std::unordered_map<std::u16string_view, uint32_t> wide;

private:
    Workbook::SharedStringTable& m_sst;
};

using Grid = Worksheet::CellTable::Grid;

constexpr uint16_t CODE_BLANK = 0x0201;
constexpr uint16_t CODE_NUMBER = 0x0203;
constexpr uint16_t CODE_RK = 0x027E;
constexpr uint16_t CODE_MULRK = 0x00BD;
constexpr uint16_t CODE_LABELSST = 0x00FD;
constexpr uint16_t CODE_BOOLERR = 0x0205;
constexpr uint16_t CODE_FORMULA = 0x0006;

// The cell records of one row of the grid, in column order: emit(code, first column, last column)
// for each. Neighbouring numbers of one type that all fit an RK go into one MULRK.
template <class Emit> void RowRecords(const ExcelCell* const* row, int cols, Emit&& emit) {
    for (int c = 0; c < cols; ++c) {
        const ExcelCell& cell = *row[c];
        switch (cell.type) {
        case ExcelCell::eUndefined:
            emit(CODE_BLANK, c, c);
            break;
        case ExcelCell::eInt:
        case ExcelCell::eDouble: {
            uint32_t rk;
            if (!RkFor(cell, rk)) {
                emit(CODE_NUMBER, c, c);
                break;
            }
            int last = c;
            while (last + 1 < cols && row[last + 1]->type == cell.type && RkFor(*row[last + 1], rk))
                ++last;
            emit(last == c ? CODE_RK : CODE_MULRK, c, last);
            c = last;
            break;
        }
        case ExcelCell::eString:
        case ExcelCell::eWString:
            emit(CODE_LABELSST, c, c);
            break;
        case ExcelCell::eBool:
        case ExcelCell::eError:
            emit(CODE_BOOLERR, c, c);
            break;
        case ExcelCell::eFormula:
            emit(cell.GetFormula() ? CODE_FORMULA : CODE_BLANK, c, c);
            break;
        default:
            break;
        }
    }
}

uint32_t FixedRecordSize(uint16_t code, int first, int last) {
    switch (code) {
    case CODE_BLANK:
        return 10;
    case CODE_BOOLERR:
        return 12;
    case CODE_LABELSST:
    case CODE_RK:
        return 14;
    case CODE_NUMBER:
        return 18;
    default: // MULRK: one piece, as 256 columns take 1,542 data bytes
        return 10 + 6 * static_cast<uint32_t>(last - first + 1);
    }
}

bool SheetToRecords(const ExcelSheet& sheet, Worksheet& ws, CStringTable& strings, bool first) {
    const int rows = sheet.GetTotalRows();
    const int cols = sheet.GetTotalCols();
    ws.m_bof.type = SUBSTREAM_WORKSHEET;
    ws.m_index = Worksheet::Index();
    ws.m_index.firstUsedRowIndex = 100000;
    ws.m_index.firstUnusedRowIndex = static_cast<uint32_t>(rows);
    ws.m_colinfos = sheet.ColumnInfo();
    ws.m_dimensions = Worksheet::Dimensions();
    ws.m_dimensions.firstUsedRowIndex = 100000;
    ws.m_dimensions.lastUsedRowIndexPlusOne = static_cast<uint32_t>(rows);
    ws.m_dimensions.firstUsedColIndex = 1000;
    ws.m_dimensions.lastUsedColIndexPlusOne = static_cast<uint16_t>(cols);
    if (!first)
        ws.m_window2.options &= static_cast<uint16_t>(~0x0200);
    ws.m_mergedCells.mergedCellsVector.clear();
    ws.m_cellTable.rowBlocks.clear();
    Grid& grid = ws.m_cellTable.grid;
    grid.Clear();
    grid.sheet = &sheet;
    grid.rows = static_cast<uint32_t>(rows);
    grid.columns = static_cast<uint16_t>(cols);
    const uint32_t blocks = grid.Blocks();
    grid.blockBytes.assign(blocks, 0);
    grid.blockFirstString.assign(blocks, 0);
    grid.blockFirstFormula.assign(blocks, 0);
    grid.dbcellFirstRowOffsets.assign(blocks, 0);
    grid.rowOffsets.assign(static_cast<size_t>(rows), 0);

    std::vector<const ExcelCell*> row(static_cast<size_t>(cols) + 1);
    bool visited = false;
    bool fits = true;
    for (uint32_t b = 0; b < blocks && fits; ++b) {
        const uint32_t firstRow = b * Grid::ROWS_PER_BLOCK;
        const uint32_t rowsInBlock = std::min(Grid::ROWS_PER_BLOCK, grid.rows - firstRow);
        grid.blockFirstString[b] = static_cast<uint32_t>(grid.stringIndices.size());
        grid.blockFirstFormula[b] = static_cast<uint32_t>(grid.formulas.size());
        // The DBCELL's row offsets: each row's slot takes the running offset at the row's first
        // record, counted from the second ROW record for the first row and from the previous row's
        // first record after it.
        uint32_t offset = 20 * rowsInBlock - 20;
        uint32_t slot = 0;
        uint32_t cellsSize = 0;
        for (uint32_t r = firstRow; r < firstRow + rowsInBlock && fits; ++r) {
            sheet.RowCells(static_cast<int>(r), row.data());
            if (!visited && cols > 0) {
                visited = true;
                ws.m_index.firstUsedRowIndex = r;
                ws.m_dimensions.firstUsedRowIndex = r;
                ws.m_index.DBCellPos.assign(static_cast<size_t>((grid.rows - r - 1) / 32 + 1), 0);
                ws.m_dimensions.firstUsedColIndex = 0;
            }
            RowRecords(row.data(), cols, [&](uint16_t code, int c, int last) {
                const ExcelCell& cell = *row[static_cast<size_t>(c)];
                uint32_t size = FixedRecordSize(code, c, last);
                if (code == CODE_LABELSST) {
                    const char* narrow = cell.type == ExcelCell::eString ? cell.GetString() : nullptr;
                    const char16_t* wide = cell.type == ExcelCell::eWString ? cell.GetWString() : nullptr;
                    const std::string_view n = narrow ? narrow : "";
                    const std::u16string_view w = wide ? wide : u"";
                    if (n.size() > MAX_STRING_CHARS || w.size() > MAX_STRING_CHARS) {
                        fits = false;
                        return;
                    }
                    grid.stringIndices.push_back(cell.type == ExcelCell::eString
                                                     ? strings.Index(n, strings.narrow)
                                                     : strings.Index(w, strings.wide));
                } else if (code == CODE_FORMULA) {
                    CellBlock::Formula& formula = grid.formulas.emplace_back(cell.GetFormula()->GetRecord());
                    formula.rowIndex = static_cast<uint16_t>(r);
                    formula.colIndex = static_cast<uint16_t>(c);
                    formula.XFRecordIndex = cell.XFRecordIndex;
                    size = formula.RecordSize();
                }
                while (slot < rowsInBlock && r >= firstRow + slot) {
                    grid.rowOffsets[firstRow + slot++] = static_cast<uint16_t>(offset);
                    offset = 0;
                }
                offset += size;
                cellsSize += size;
            });
            // Merged ranges in the order of their top-left cells.
            for (int c = 0; c < cols; ++c) {
                const ExcelCell& cell = *row[static_cast<size_t>(c)];
                if (cell.mergedRows > 1 || cell.mergedColumns >= 2) {
                    const int lastRow = std::min(static_cast<int>(r) + std::max<int>(cell.mergedRows, 1) - 1,
                                                 ExcelSheet::MAX_ROW);
                    const int lastCol =
                        std::min(c + std::max<int>(cell.mergedColumns, 1) - 1, ExcelSheet::MAX_COLUMN);
                    ws.m_mergedCells.mergedCellsVector.push_back(
                        {static_cast<uint16_t>(r), static_cast<uint16_t>(lastRow), static_cast<uint16_t>(c),
                         static_cast<uint16_t>(lastCol)});
                }
            }
        }
        grid.dbcellFirstRowOffsets[b] = 20 * rowsInBlock + cellsSize;
        grid.blockBytes[b] = 20 * rowsInBlock + cellsSize + 8 + 2 * rowsInBlock;
    }
    if (!fits)
        return false;
    if (!visited) {
        ws.m_index.firstUsedRowIndex = 0;
        ws.m_dimensions.firstUsedRowIndex = 0;
        ws.m_dimensions.firstUsedColIndex = 0;
        ws.m_index.DBCellPos.assign(blocks, 0);
    }
    return true;
}

} // namespace

bool CellsToRecords(Workbook& workbook, std::vector<std::unique_ptr<Worksheet>>& worksheets,
                    const std::vector<std::unique_ptr<ExcelSheet>>& sheets) {
    CStringTable strings(workbook.m_sst);
    worksheets.resize(sheets.size());
    for (size_t i = 0; i < sheets.size(); ++i) {
        if (!worksheets[i])
            worksheets[i] = std::make_unique<Worksheet>();
        if (!SheetToRecords(*sheets[i], *worksheets[i], strings, i == 0))
            return false;
    }
    return true;
}

void FixStreamPositions(Workbook& workbook, std::vector<std::unique_ptr<Worksheet>>& worksheets) {
    uint32_t position = workbook.RecordSize();
    for (size_t i = 0; i < worksheets.size(); ++i) {
        Worksheet& ws = *worksheets[i];
        if (i < workbook.m_boundSheets.size()) {
            Workbook::BoundSheet sheet = workbook.m_boundSheets[i];
            sheet.BOFpos = position;
            workbook.m_boundSheets.Set(i, sheet);
        }
        uint32_t running = position + ws.m_bof.RecordSize() + ws.m_index.RecordSize() +
                           ws.m_colinfos.RecordSize() + ws.m_dimensions.RecordSize();
        const Grid& grid = ws.m_cellTable.grid;
        for (uint32_t b = 0; b < grid.blockBytes.size(); ++b) {
            if (b < ws.m_index.DBCellPos.size())
                ws.m_index.DBCellPos[b] = running + grid.dbcellFirstRowOffsets[b];
            running += grid.blockBytes[b];
        }
        position += ws.RecordSize();
    }
}

} // namespace SheetIO

uint32_t SheetIO::Worksheet::CellTable::Grid::WriteBlock(uint32_t b, uint8_t* bytes) {
    const uint32_t firstRow = b * ROWS_PER_BLOCK;
    const uint32_t endRow = std::min(rows, firstRow + ROWS_PER_BLOCK);
    uint32_t pos = 0;
    auto header = [&](uint16_t code, uint32_t length) {
        SetU16(bytes + pos, code);
        SetU16(bytes + pos + 2, static_cast<uint16_t>(length));
        pos += 4;
    };
    for (uint32_t r = firstRow; r < endRow; ++r) {
        header(0x0208, 16);
        uint8_t* d = bytes + pos;
        SetU16(d, static_cast<uint16_t>(r));
        SetU16(d + 2, 0);
        SetU16(d + 4, columns);
        SetU16(d + 6, 0x00FF);
        SetU32(d + 8, 0);
        SetU32(d + 12, 0x100);
        pos += 16;
    }
    uint32_t nextString = blockFirstString[b];
    uint32_t nextFormula = blockFirstFormula[b];
    std::vector<const ExcelCell*> row(static_cast<size_t>(columns) + 1);
    for (uint32_t r = firstRow; r < endRow; ++r) {
        sheet->RowCells(static_cast<int>(r), row.data());
        RowRecords(row.data(), columns, [&](uint16_t code, int c, int last) {
            const ExcelCell& cell = *row[static_cast<size_t>(c)];
            if (code == CODE_FORMULA) {
                pos += formulas[nextFormula++].Write(bytes + pos);
                return;
            }
            header(code, FixedRecordSize(code, c, last) - 4);
            uint8_t* d = bytes + pos;
            SetU16(d, static_cast<uint16_t>(r));
            SetU16(d + 2, static_cast<uint16_t>(c));
            SetU16(d + 4, cell.XFRecordIndex);
            uint32_t rk = 0;
            switch (code) {
            case CODE_NUMBER:
                SetF64(d + 6, cell.type == ExcelCell::eInt ? cell.ival : cell.dval);
                break;
            case CODE_RK:
                RkFor(cell, rk);
                SetU32(d + 6, rk);
                break;
            case CODE_MULRK:
                for (int k = c; k <= last; ++k) {
                    const ExcelCell& each = *row[static_cast<size_t>(k)];
                    RkFor(each, rk);
                    SetU16(d + 4 + 6 * (k - c), each.XFRecordIndex);
                    SetU32(d + 6 + 6 * (k - c), rk);
                }
                SetU16(d + 4 + 6 * (last - c + 1), static_cast<uint16_t>(last));
                break;
            case CODE_LABELSST:
                SetU32(d + 6, stringIndices[nextString++]);
                break;
            case CODE_BOOLERR:
                d[6] = static_cast<uint8_t>(cell.type == ExcelCell::eBool ? cell.ival != 0 : cell.ival);
                d[7] = cell.type == ExcelCell::eError ? 1 : 0;
                break;
            default:
                break;
            }
            pos += FixedRecordSize(code, c, last) - 4;
        });
    }
    header(0x00D7, 4 + 2 * (endRow - firstRow));
    SetU32(bytes + pos, dbcellFirstRowOffsets[b]);
    pos += 4;
    for (uint32_t r = firstRow; r < endRow; ++r, pos += 2)
        SetU16(bytes + pos, rowOffsets[r]);
    return pos;
}
