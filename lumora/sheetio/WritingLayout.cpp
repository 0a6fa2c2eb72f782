#include "lumora/sheetio/WritingLayout.h"

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
            m_sst.strings.emplace_back(std::basic_string<typename View::value_type>(text));
            ++m_sst.uniqueStringsTotal;
        }
        return it->second;
    }

    std::unordered_map<std::string_view, uint32_t> narrow;
    std::unordered_map<std::u16string_view, uint32_t> wide;

private:
    Workbook::SharedStringTable& m_sst;
};

bool SheetToRecords(const ExcelSheet& sheet, Worksheet& ws, CStringTable& strings, bool first) {
    using Grid = Worksheet::CellTable::Grid;
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
    grid.rows = static_cast<uint32_t>(rows);
    grid.columns = static_cast<uint16_t>(cols);
    grid.entries.reserve(static_cast<size_t>(rows) * static_cast<size_t>(cols));
    grid.blockFirstEntry.assign(grid.Blocks() + 1, 0);
    auto add = [&](uint16_t code, int r, int c, uint16_t xf, uint64_t value) {
        grid.entries.push_back({code, static_cast<uint16_t>(r), static_cast<uint16_t>(c), xf, value});
    };

    std::vector<const ExcelCell*> row(static_cast<size_t>(cols) + 1);
    bool visited = false;
    for (int r = 0; r < rows; ++r) {
        if (r % Grid::ROWS_PER_BLOCK == 0)
            grid.blockFirstEntry[static_cast<size_t>(r) / Grid::ROWS_PER_BLOCK] =
                static_cast<uint32_t>(grid.entries.size());
        sheet.RowCells(r, row.data());
        for (int c = 0; c < cols; ++c) {
            const ExcelCell& cell = *row[static_cast<size_t>(c)];
            if (!visited) {
                visited = true;
                ws.m_index.firstUsedRowIndex = static_cast<uint32_t>(r);
                ws.m_dimensions.firstUsedRowIndex = static_cast<uint32_t>(r);
                ws.m_index.DBCellPos.assign(static_cast<size_t>((rows - r - 1) / 32 + 1), 0);
                ws.m_dimensions.firstUsedColIndex = static_cast<uint16_t>(c);
            }
            const uint16_t xf = cell.XFRecordIndex;
            switch (cell.type) {
            case ExcelCell::eUndefined:
                add(0x0201, r, c, xf, 0);
                break;
            case ExcelCell::eInt:
            case ExcelCell::eDouble: {
                uint32_t rk;
                if (!RkFor(cell, rk)) {
                    const double v = cell.type == ExcelCell::eInt ? cell.ival : cell.dval;
                    uint64_t bits;
                    std::memcpy(&bits, &v, sizeof bits);
                    add(0x0203, r, c, xf, bits);
                    break;
                }
                int last = c;
                uint32_t next;
                while (last + 1 < cols && row[static_cast<size_t>(last) + 1]->type == cell.type &&
                       RkFor(*row[static_cast<size_t>(last) + 1], next))
                    ++last;
                if (last == c) {
                    add(0x027E, r, c, xf, rk);
                    break;
                }
                add(0x00BD, r, c, xf, grid.rkEntries.size() | uint64_t{static_cast<uint16_t>(last)} << 32);
                for (int k = c; k <= last; ++k) {
                    const ExcelCell& each = *row[static_cast<size_t>(k)];
                    RkFor(each, next);
                    grid.rkEntries.push_back({each.XFRecordIndex, next});
                }
                c = last;
                break;
            }
            case ExcelCell::eString: {
                const char* text = cell.GetString();
                const std::string_view narrow = text ? text : "";
                if (narrow.size() > MAX_STRING_CHARS)
                    return false;
                add(0x00FD, r, c, xf, strings.Index(narrow, strings.narrow));
                break;
            }
            case ExcelCell::eWString: {
                const char16_t* text = cell.GetWString();
                const std::u16string_view wide = text ? text : u"";
                if (wide.size() > MAX_STRING_CHARS)
                    return false;
                add(0x00FD, r, c, xf, strings.Index(wide, strings.wide));
                break;
            }
            case ExcelCell::eBool:
            case ExcelCell::eError: {
                const auto value =
                    static_cast<uint8_t>(cell.type == ExcelCell::eBool ? cell.ival != 0 : cell.ival);
                add(0x0205, r, c, xf, value | uint64_t{cell.type == ExcelCell::eError ? 1u : 0u} << 8);
                break;
            }
            case ExcelCell::eFormula:
                if (const auto& holder = cell.GetFormula()) {
                    CellBlock::Formula& formula = grid.formulas.emplace_back(holder->GetRecord());
                    formula.rowIndex = static_cast<uint16_t>(r);
                    formula.colIndex = static_cast<uint16_t>(c);
                    formula.XFRecordIndex = xf;
                    add(0x0006, r, c, xf, grid.formulas.size() - 1);
                } else {
                    add(0x0201, r, c, xf, 0);
                }
                break;
            default:
                break;
            }
        }
        // Merged ranges in the order of their top-left cells, which a run does not skip.
        for (int c = 0; c < cols; ++c) {
            const ExcelCell& cell = *row[static_cast<size_t>(c)];
            if (cell.mergedRows > 1 || cell.mergedColumns >= 2) {
                const int lastRow = std::min(r + std::max<int>(cell.mergedRows, 1) - 1, ExcelSheet::MAX_ROW);
                const int lastCol =
                    std::min(c + std::max<int>(cell.mergedColumns, 1) - 1, ExcelSheet::MAX_COLUMN);
                ws.m_mergedCells.mergedCellsVector.push_back(
                    {static_cast<uint16_t>(r), static_cast<uint16_t>(lastRow), static_cast<uint16_t>(c),
                     static_cast<uint16_t>(lastCol)});
            }
        }
    }
    grid.blockFirstEntry.back() = static_cast<uint32_t>(grid.entries.size());
    if (!visited) {
        ws.m_index.firstUsedRowIndex = 0;
        ws.m_dimensions.firstUsedRowIndex = 0;
        ws.m_dimensions.firstUsedColIndex = 0;
        ws.m_index.DBCellPos.assign(grid.Blocks(), 0);
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
    using Grid = Worksheet::CellTable::Grid;
    uint32_t position = workbook.RecordSize();
    for (size_t i = 0; i < worksheets.size(); ++i) {
        Worksheet& ws = *worksheets[i];
        if (i < workbook.m_boundSheets.size())
            workbook.m_boundSheets[i].BOFpos = position;
        uint32_t running = position + ws.m_bof.RecordSize() + ws.m_index.RecordSize() +
                           ws.m_colinfos.RecordSize() + ws.m_dimensions.RecordSize();
        Grid& grid = ws.m_cellTable.grid;
        const uint32_t blocks = grid.Blocks();
        grid.dbcellFirstRowOffsets.assign(blocks, 0);
        grid.rowOffsets.assign(grid.rows, 0);
        for (uint32_t b = 0; b < blocks; ++b) {
            const uint32_t firstRow = b * Grid::ROWS_PER_BLOCK;
            const uint32_t rowsInBlock = std::min(Grid::ROWS_PER_BLOCK, grid.rows - firstRow);
            const uint32_t rowsSize = 20 * rowsInBlock;
            uint32_t cellsSize = 0;
            uint32_t offset = rowsSize - 20;
            uint32_t slot = 0;
            for (uint32_t e = grid.blockFirstEntry[b]; e < grid.blockFirstEntry[b + 1]; ++e) {
                const Grid::Entry& entry = grid.entries[e];
                while (slot < rowsInBlock && entry.row >= firstRow + slot) {
                    grid.rowOffsets[firstRow + slot++] = static_cast<uint16_t>(offset);
                    offset = 0;
                }
                const uint32_t size = grid.EntrySize(entry);
                offset += size;
                cellsSize += size;
            }
            running += rowsSize + cellsSize;
            if (b < ws.m_index.DBCellPos.size())
                ws.m_index.DBCellPos[b] = running;
            grid.dbcellFirstRowOffsets[b] = rowsSize + cellsSize;
            running += 8 + 2 * rowsInBlock;
        }
        position += ws.RecordSize();
    }
}

} // namespace SheetIO
