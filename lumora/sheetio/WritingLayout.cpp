#include "lumora/sheetio/WritingLayout.h"

#include "lumora/sheetio/ExcelSheet.h"
#include "lumora/sheetio/Rk.h"

#include <algorithm>
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

template <class T> T& AddCell(RowBlock& block, int row, int column, uint16_t xf) {
    auto record = std::make_unique<T>();
    record->rowIndex = static_cast<uint16_t>(row);
    record->colIndex = static_cast<uint16_t>(column);
    record->XFRecordIndex = xf;
    T& added = *record;
    block.cellBlocks.emplace_back(std::move(record));
    return added;
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
    auto& blocks = ws.m_cellTable.rowBlocks;
    blocks.clear();
    blocks.resize(static_cast<size_t>((rows + 31) / 32));

    bool visited = false;
    for (int r = 0; r < rows; ++r) {
        RowBlock& block = blocks[static_cast<size_t>(r / 32)];
        for (int c = 0; c < cols; ++c) {
            const ExcelCell& cell = *sheet.CellAt(r, c);
            if (!visited) {
                visited = true;
                ws.m_index.firstUsedRowIndex = static_cast<uint32_t>(r);
                ws.m_dimensions.firstUsedRowIndex = static_cast<uint32_t>(r);
                ws.m_index.DBCellPos.assign(static_cast<size_t>((rows - r - 1) / 32 + 1), 0);
                ws.m_dimensions.firstUsedColIndex = static_cast<uint16_t>(c);
            }
            if (c == 0) {
                RowBlock::Row& row = block.rows.emplace_back();
                row.rowIndex = static_cast<uint16_t>(r);
                row.firstCellColIndex = 0;
                row.lastCellColIndexPlusOne = static_cast<uint16_t>(cols);
                block.dbcell.offsets.push_back(0);
            }
            const uint16_t xf = cell.XFRecordIndex;
            switch (cell.type) {
            case ExcelCell::eUndefined:
                AddCell<CellBlock::Blank>(block, r, c, xf);
                break;
            case ExcelCell::eInt:
            case ExcelCell::eDouble: {
                uint32_t rk;
                if (!RkFor(cell, rk)) {
                    AddCell<CellBlock::Number>(block, r, c, xf).value =
                        cell.type == ExcelCell::eInt ? cell.ival : cell.dval;
                    break;
                }
                int last = c;
                uint32_t next;
                while (last + 1 < cols && sheet.CellAt(r, last + 1)->type == cell.type &&
                       RkFor(*sheet.CellAt(r, last + 1), next))
                    ++last;
                if (last == c) {
                    AddCell<CellBlock::RK>(block, r, c, xf).value = rk;
                    break;
                }
                auto& mulrk = AddCell<CellBlock::MulRK>(block, r, c, xf);
                for (int k = c; k <= last; ++k) {
                    const ExcelCell& each = *sheet.CellAt(r, k);
                    RkFor(each, next);
                    mulrk.XFRKs.push_back({each.XFRecordIndex, next});
                }
                mulrk.lastColIndex = static_cast<uint16_t>(last);
                c = last;
                break;
            }
            case ExcelCell::eString: {
                const char* text = cell.GetString();
                const std::string_view narrow = text ? text : "";
                if (narrow.size() > MAX_STRING_CHARS)
                    return false;
                AddCell<CellBlock::LabelSST>(block, r, c, xf).SSTRecordIndex =
                    strings.Index(narrow, strings.narrow);
                break;
            }
            case ExcelCell::eWString: {
                const char16_t* text = cell.GetWString();
                const std::u16string_view wide = text ? text : u"";
                if (wide.size() > MAX_STRING_CHARS)
                    return false;
                AddCell<CellBlock::LabelSST>(block, r, c, xf).SSTRecordIndex =
                    strings.Index(wide, strings.wide);
                break;
            }
            case ExcelCell::eBool:
            case ExcelCell::eError: {
                auto& boolerr = AddCell<CellBlock::BoolErr>(block, r, c, xf);
                boolerr.value =
                    static_cast<uint8_t>(cell.type == ExcelCell::eBool ? cell.ival != 0 : cell.ival);
                boolerr.error = cell.type == ExcelCell::eError ? 1 : 0;
                break;
            }
            case ExcelCell::eFormula:
                if (const auto& holder = cell.GetFormula()) {
                    auto record = std::make_unique<CellBlock::Formula>(holder->GetRecord());
                    record->rowIndex = static_cast<uint16_t>(r);
                    record->colIndex = static_cast<uint16_t>(c);
                    record->XFRecordIndex = xf;
                    block.cellBlocks.emplace_back(std::move(record));
                } else {
                    AddCell<CellBlock::Blank>(block, r, c, xf);
                }
                break;
            default:
                break;
            }
        }
    }
    if (!visited) {
        ws.m_index.firstUsedRowIndex = 0;
        ws.m_dimensions.firstUsedRowIndex = 0;
        ws.m_dimensions.firstUsedColIndex = 0;
        ws.m_index.DBCellPos.assign(blocks.size(), 0);
    }

    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const ExcelCell& cell = *sheet.CellAt(r, c);
            if (cell.mergedRows > 1 || cell.mergedColumns >= 2) {
                const int lastRow = std::min(r + std::max<int>(cell.mergedRows, 1) - 1, ExcelSheet::MAX_ROW);
                const int lastCol =
                    std::min(c + std::max<int>(cell.mergedColumns, 1) - 1, ExcelSheet::MAX_COLUMN);
                ws.m_mergedCells.mergedCellsVector.push_back(
                    {static_cast<uint16_t>(r), static_cast<uint16_t>(lastRow), static_cast<uint16_t>(c),
                     static_cast<uint16_t>(lastCol)});
            }
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
        if (i < workbook.m_boundSheets.size())
            workbook.m_boundSheets[i].BOFpos = position;
        uint32_t running = position + ws.m_bof.RecordSize() + ws.m_index.RecordSize() +
                           ws.m_colinfos.RecordSize() + ws.m_dimensions.RecordSize();
        auto& blocks = ws.m_cellTable.rowBlocks;
        for (size_t b = 0; b < blocks.size(); ++b) {
            RowBlock& block = blocks[b];
            uint32_t rowsSize = 0;
            for (RowBlock::Row& row : block.rows)
                rowsSize += row.RecordSize();
            uint32_t cellsSize = 0;
            uint32_t offset = rowsSize - 20;
            size_t slot = 0;
            for (CellBlock& cell : block.cellBlocks) {
                while (slot < block.rows.size() && cell.Get().rowIndex >= block.rows[slot].rowIndex) {
                    block.dbcell.offsets[slot++] = static_cast<uint16_t>(offset);
                    offset = 0;
                }
                const uint32_t size = cell.RecordSize();
                offset += size;
                cellsSize += size;
            }
            running += rowsSize + cellsSize;
            if (b < ws.m_index.DBCellPos.size())
                ws.m_index.DBCellPos[b] = running;
            block.dbcell.firstRowOffset = rowsSize + cellsSize;
            running += block.dbcell.RecordSize();
        }
        position += ws.RecordSize();
    }
}

} // namespace SheetIO
