#include "lumora/sheetio/ExcelDocument.h"

#include "lumora/sheetio/Bytes.h"
#include "lumora/sheetio/RecordWindow.h"
#include "lumora/sheetio/WritingLayout.h"

#include <algorithm>
#include <cstring>
#include <new>

using namespace SheetIO;

namespace {

using CellBlock = Worksheet::CellTable::RowBlock::CellBlock;

// A name given in 8 bits as 16-bit characters: UTF-8 when it is valid UTF-8, else Latin-1.
std::u16string WideName(const char* name) {
    const std::string_view bytes(name);
    std::u16string wide;
    if (DecodeUtf8(bytes, wide))
        return wide;
    wide.resize(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        wide[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[i]));
    return wide;
}

// The shared-string table as texts the cells share: each string is made once, on first use, and
// every cell that refers to it holds the same text. Only the strings some cell names cost a text.
class CSharedTexts {
public:
    explicit CSharedTexts(const CStringPool& strings) : m_strings(strings) {}

    // An index beyond the table (or into strings read after the first sheet) leaves the cell empty.
    void Place(ExcelCell& cell, uint32_t index) {
        if (index >= m_strings.size())
            return;
        if (m_slots.size() < m_strings.size())
            m_slots.resize(m_strings.size(), 0);
        uint32_t& slot = m_slots[index];
        if (slot == 0) {
            Text text;
            if (m_strings.Wide(index))
                text.wide = std::make_shared<const std::u16string>(m_strings.WideChars(index));
            else
                text.narrow = std::make_shared<const std::string>(m_strings.Narrow(index));
            m_texts.push_back(std::move(text));
            slot = static_cast<uint32_t>(m_texts.size());
        }
        const Text& text = m_texts[slot - 1];
        if (text.wide)
            cell.SetSharedWString(text.wide);
        else
            cell.SetSharedString(text.narrow);
    }

private:
    struct Text {
        std::shared_ptr<const std::string> narrow;
        std::shared_ptr<const std::u16string> wide;
    };
    const CStringPool& m_strings;
    // Per string, 1 + its text's index in m_texts, or 0 while no cell has named it.
    std::vector<uint32_t, platform::CLargeBlockAllocator<uint32_t>> m_slots;
    std::vector<Text> m_texts;
};

constexpr int MAX_COLUMN = ExcelSheet::MAX_COLUMN;
constexpr uint16_t CODE_DIMENSIONS = 0x0200;

// The cell a record names, growing the sheet to hold it, with the record's XF index; null for
// columns beyond the grid's 256, which are dropped.
ExcelCell* Target(ExcelSheet& sheet, uint16_t row, uint16_t column, uint16_t xf) {
    if (column > MAX_COLUMN)
        return nullptr;
    ExcelCell* cell = sheet.Cell(row, column);
    cell->XFRecordIndex = xf;
    return cell;
}

void PlaceNumber(ExcelCell& cell, double value) {
    cell.type = ExcelCell::eDouble;
    cell.dval = value;
}

// The cells of a MULRK (each with its XF index and RK value, 6 bytes at 'entries') or of a MULBLANK
// (each with its XF index, 2 bytes at 'entries') from the record's first column on.
template <bool RKS>
void PlaceRun(ExcelSheet& sheet, uint16_t row, uint16_t first, const uint8_t* entries, size_t count) {
    for (size_t k = 0; k < count && first + k <= MAX_COLUMN; ++k) {
        ExcelCell* each = sheet.Cell(row, static_cast<int>(first + k));
        if constexpr (RKS) {
            each->SetRkValue(GetU32(entries + 6 * k + 2));
            each->XFRecordIndex = GetU16(entries + 6 * k);
        } else {
            each->XFRecordIndex = GetU16(entries + 2 * k);
        }
    }
}

// Puts one cell record's values into the sheet, growing it to hold them.
void PlaceCell(ExcelSheet& sheet, const CellBlock& block, CSharedTexts& strings) {
    const CellBlock::Cell& record = block.Get();
    ExcelCell* cell = Target(sheet, record.rowIndex, record.colIndex, record.XFRecordIndex);
    if (!cell)
        return;
    switch (block.Type()) {
    case 0x0203:
        PlaceNumber(*cell, block.As<CellBlock::Number>().value);
        break;
    case 0x027E:
        cell->SetRkValue(block.As<CellBlock::RK>().value);
        break;
    case 0x00BD: {
        const auto& mulrk = block.As<CellBlock::MulRK>();
        for (size_t k = 0; k < mulrk.XFRKs.size() && record.colIndex + k <= MAX_COLUMN; ++k) {
            ExcelCell* each = sheet.Cell(record.rowIndex, static_cast<int>(record.colIndex + k));
            each->SetRkValue(mulrk.XFRKs[k].RKValue);
            each->XFRecordIndex = mulrk.XFRKs[k].XFRecordIndex;
        }
        break;
    }
    case 0x00BE: {
        const auto& mulblank = block.As<CellBlock::MulBlank>();
        for (size_t k = 0; k < mulblank.XFRecordIndices.size() && record.colIndex + k <= MAX_COLUMN; ++k)
            sheet.Cell(record.rowIndex, static_cast<int>(record.colIndex + k))->XFRecordIndex =
                mulblank.XFRecordIndices[k];
        break;
    }
    case 0x00FD:
        strings.Place(*cell, block.As<CellBlock::LabelSST>().SSTRecordIndex);
        break;
    case 0x0204:
    case 0x00D6: {
        const CXLString& s = block.As<CellBlock::Label>().string;
        if (s.wide)
            cell->SetWString(s.wideChars.c_str());
        else
            cell->SetString(s.narrow.c_str());
        break;
    }
    case 0x0006:
        cell->SetFormula(block.As<CellBlock::Formula>());
        break;
    case 0x0205: {
        const auto& boolerr = block.As<CellBlock::BoolErr>();
        if (boolerr.error == 0)
            cell->SetBoolean(boolerr.value != 0);
        else
            cell->SetError(boolerr.value);
        break;
    }
    default:
        break;
    }
}

// Entries of a MULRK (6 bytes each) or MULBLANK (2 bytes each) of 'length' data bytes at 'd', as
// their readers count them: no more than the stated last column allows.
uint32_t RunEntries(const uint8_t* d, uint32_t length, uint32_t entryBytes) {
    uint32_t entries = (length - 6) / entryBytes;
    const uint16_t first = GetU16(d + 2);
    const uint16_t stated = GetU16(d + length - 2);
    if (stated < first)
        return 0;
    return std::min(entries, stated - first + 1u);
}

// Places the plain cell records from 'bytes' on (numbers, RKs, MULRKs, shared-string labels,
// blanks) and passes over ROW and DBCELL records, with the same result as reading each into its
// record and placing that, but without the record: most of a large sheet is such records. Stops
// before any other record, before one whose end is not followed by a held record header (or is
// followed by a CONTINUE piece), and after 'most' records. Returns the bytes consumed.
uint32_t PlacePlainCells(const uint8_t* bytes, uint32_t available, ExcelSheet& sheet, CSharedTexts& strings,
                         uint32_t most) {
    uint32_t pos = 0;
    for (uint32_t n = 0; n < most && available - pos >= 4; ++n) {
        const uint8_t* at = bytes + pos;
        const uint16_t code = GetU16(at);
        const uint32_t length = GetU16(at + 2);
        const uint32_t end = pos + 4 + length;
        if (end > available - 4 || GetU16(bytes + end) == CODE_CONTINUE)
            break;
        const uint8_t* d = at + 4;
        const uint16_t row = GetU16(d);
        const uint16_t column = GetU16(d + 2);
        switch (code) {
        case 0x0208: // ROW and DBCELL: a save makes them again
        case 0x00D7:
            break;
        case 0x0203:
            if (length < 14)
                return pos;
            if (ExcelCell* cell = Target(sheet, row, column, GetU16(d + 4)))
                PlaceNumber(*cell, GetF64(d + 6));
            break;
        case 0x027E:
            if (length < 10)
                return pos;
            if (ExcelCell* cell = Target(sheet, row, column, GetU16(d + 4)))
                cell->SetRkValue(GetU32(d + 6));
            break;
        case 0x00FD:
            if (length < 10)
                return pos;
            if (ExcelCell* cell = Target(sheet, row, column, GetU16(d + 4)))
                strings.Place(*cell, GetU32(d + 6));
            break;
        case 0x0201:
            if (length < 6)
                return pos;
            Target(sheet, row, column, GetU16(d + 4));
            break;
        case 0x00BD:
        case 0x00BE: {
            const bool rks = code == 0x00BD;
            const uint32_t entries = length < 6 ? 0 : RunEntries(d, length, rks ? 6 : 2);
            if (entries == 0)
                return pos;
            if (!Target(sheet, row, column, GetU16(d + 4)))
                break;
            if (rks)
                PlaceRun<true>(sheet, row, column, d + 4, entries);
            else
                PlaceRun<false>(sheet, row, column, d + 4, entries);
            break;
        }
        default:
            return pos;
        }
        pos = end;
    }
    return pos;
}

// Thrown when the caller cancels a load.
struct SCancelled {};

// Fills a sheet from the cell records as the worksheet reader meets them.
class CSheetFiller : public Worksheet::CellSink {
public:
    CSheetFiller(ExcelSheet& sheet, CSharedTexts& strings) : m_sheet(sheet), m_strings(strings) {}
    void Take(const CellBlock& cell) override { PlaceCell(m_sheet, cell, m_strings); }

private:
    ExcelSheet& m_sheet;
    CSharedTexts& m_strings;
};

} // namespace

bool ExcelDocument::NarrowNameIs(const Workbook::BoundSheet& sheet, const char* name) {
    return !sheet.name.wide && name && sheet.name.narrow == name;
}

// Sheet names compare exactly; a name stored in 16-bit characters (as several writers store
// every name, and as every non-Latin name is stored) compares by its characters.
bool ExcelDocument::NameIs(const Workbook::BoundSheet& sheet, const char* name) {
    if (!name)
        return false;
    if (NarrowNameIs(sheet, name))
        return true;
    CXLString stored = sheet.name;
    stored.Widen();
    return stored.wideChars == WideName(name);
}

ExcelDocument::ExcelDocument() = default;
ExcelDocument::~ExcelDocument() = default;

void ExcelDocument::Reset() {
    m_workbook = Workbook();
    m_worksheets.clear();
    m_worksheetPositions.clear();
    m_boundToWorksheet.clear();
}

void ExcelDocument::New() {
    Reset();
    m_workbook.m_fonts.resize(1);
    m_workbook.m_XFs.resize(21);
    m_workbook.m_styles.resize(6);
    m_workbook.m_boundSheets.resize(1);
    m_worksheets.push_back(std::make_unique<Worksheet>());
    m_boundToWorksheet.assign(1, 0);
    BuildSheets();
}

bool ExcelDocument::Load(const std::filesystem::path& path) {
    return Load(path, SLoadControl());
}

bool ExcelDocument::Load(const std::filesystem::path& path, const SLoadControl& control) {
    m_storage.reset();
    m_storage = CCompoundStorage::OpenForReading(path);
    if (!m_storage)
        return false;
    Reset();
    m_sheets.clear();
    try {
        auto reader = m_storage->OpenStreamReader(STREAM_NAME);
        if (reader && reader->Size() <= 0xFFFFFFFFull) {
            try {
                ParseStream(*reader, control);
            } catch (const EXCEPTION_UNREADABLE&) {
                // A stream that cannot be read loads as no stream at all.
                Reset();
                m_sheets.clear();
            }
        }
        MapBoundSheets();
        for (size_t i = 0; i < m_sheets.size(); ++i) {
            if (control.cancel && control.cancel->load(std::memory_order_relaxed))
                throw SCancelled{};
            FinishSheet(*m_sheets[i], *m_worksheets[i], control.cancel);
        }
    } catch (const std::bad_alloc&) {
        // A workbook too large for the memory there is: nothing of it is kept.
        Reset();
        m_sheets.clear();
        m_storage.reset();
        return false;
    } catch (const SCancelled&) {
        Reset();
        m_sheets.clear();
        m_storage.reset();
        return false;
    }
    return true;
}

void ExcelDocument::ParseStream(CCompoundStorage::CStreamReader& reader, const SLoadControl& control) {
    CRecordWindow window(reader);
    uint32_t pos = 0;
    uint32_t available = 0;
    bool haveGlobals = false;
    std::unique_ptr<CSharedTexts> strings;
    if (control.total)
        control.total->store(window.Size(), std::memory_order_relaxed);
    // Every record read passes here: the caller may stop the load, and sees how far it got.
    auto next = [&]() -> const uint8_t* {
        if (control.cancel && control.cancel->load(std::memory_order_relaxed))
            throw SCancelled{};
        if (control.done)
            control.done->store(pos, std::memory_order_relaxed);
        window.Release(pos);
        const uint8_t* at = window.At(pos, 4, available);
        return available >= 4 ? at : nullptr;
    };
    // Passes over a substream from its BOF through the matching EOF, record by record, so that
    // a large one is neither held nor walked without a look at the caller.
    auto skipSubstream = [&] {
        for (int depth = 0; const uint8_t* at = next();) {
            const uint16_t code = PeekCode(at, available);
            pos += window.Measured(pos, RecordLength);
            if (code == CODE_BOF)
                ++depth;
            else if (code == CODE_EOF && --depth <= 0)
                break;
        }
    };
    m_workbook.m_sst.cancel = control.cancel;
    try {
        while (m_sheets.size() < control.sheets) {
            const uint8_t* at = next();
            if (PeekCode(at, available) != CODE_BOF)
                break;
            BOF bof;
            const uint32_t bofLength = window.Measured(pos, RecordLength);
            bof.Read(window.At(pos, bofLength, available), bofLength);
            if (bof.type == SUBSTREAM_GLOBALS && !haveGlobals) {
                haveGlobals = true;
                bool ended = false;
                for (bool first = true; !ended; first = false) {
                    at = next();
                    // Another substream's BOF: the globals lack their EOF and end here.
                    if (!at || (!first && PeekCode(at, available) == CODE_BOF))
                        break;
                    const uint32_t length = window.Measured(pos, RecordLength);
                    pos += m_workbook.ReadRecord(window.At(pos, length, available), length, ended);
                }
            } else if (bof.type == SUBSTREAM_WORKSHEET) {
                if (!strings)
                    strings = std::make_unique<CSharedTexts>(m_workbook.m_sst.strings);
                m_worksheets.push_back(std::make_unique<Worksheet>());
                m_worksheetPositions.push_back(pos);
                m_sheets.push_back(std::make_unique<ExcelSheet>(this, static_cast<int>(m_sheets.size())));
                Worksheet& ws = *m_worksheets.back();
                ExcelSheet& sheet = *m_sheets.back();
                CSheetFiller filler(sheet, *strings);
                // Record by record, so that only the records being read are held.
                pos += ws.m_bof.Read(window.At(pos, bofLength, available), bofLength);
                for (bool ended = false; !ended;) {
                    at = next();
                    if (!at)
                        break;
                    if (const uint32_t placed = PlacePlainCells(at, available, sheet, *strings, 4096)) {
                        pos += placed;
                        continue;
                    }
                    if (PeekCode(at, available) == CODE_BOF) {
                        // An embedded chart's substream.
                        skipSubstream();
                        continue;
                    }
                    const bool dimensions = PeekCode(at, available) == CODE_DIMENSIONS;
                    const uint32_t length = window.Measured(pos, RecordGroupLength);
                    pos += ws.ReadRecord(window.At(pos, length, available), length, filler, ended);
                    // Each row takes a cell record of at least 10 bytes: a claim of more rows
                    // than the stream could hold is not believed.
                    if (dimensions)
                        sheet.ReserveRows(static_cast<int>(std::min<uint64_t>(
                            ws.m_dimensions.lastUsedRowIndexPlusOne, (window.Size() - pos) / 10)));
                }
            } else {
                // Chart, macro and other substreams are not kept.
                skipSubstream();
            }
        }
    } catch (const EXCEPTION_DAMAGED&) {
        // A record runs past the stream's end: keep what was read before it.
    }
    m_workbook.m_sst.cancel = nullptr;
    // The cells hold the texts they name; a save makes the table again from them.
    strings.reset();
    m_workbook.m_sst.strings.clear();
    // A string table cut short by a cancel ends the load as a cancel, not as a workbook.
    if (control.cancel && control.cancel->load(std::memory_order_relaxed))
        throw SCancelled{};
    if (control.done)
        control.done->store(pos, std::memory_order_relaxed);
}

void ExcelDocument::MapBoundSheets() {
    const auto& bound = m_workbook.m_boundSheets;
    m_boundToWorksheet.assign(bound.size(), -1);
    std::vector<bool> taken(m_worksheets.size(), false);
    std::vector<bool> worksheetType(bound.size(), false);
    for (size_t i = 0; i < bound.size(); ++i) {
        const Workbook::BoundSheet sheet = bound[i];
        worksheetType[i] = sheet.type == 0;
        // Positions rise in stream order, so a search keeps many sheets cheap.
        auto it = std::lower_bound(m_worksheetPositions.begin(), m_worksheetPositions.end(), sheet.BOFpos);
        if (it == m_worksheetPositions.end() || *it != sheet.BOFpos)
            continue;
        const size_t w = static_cast<size_t>(it - m_worksheetPositions.begin());
        if (!taken[w]) {
            taken[w] = true;
            m_boundToWorksheet[i] = static_cast<int>(w);
        }
    }
    // A worksheet's bound sheet whose position matches no substream takes the next worksheet left.
    size_t next = 0;
    for (size_t i = 0; i < bound.size(); ++i) {
        if (m_boundToWorksheet[i] >= 0 || !worksheetType[i])
            continue;
        while (next < taken.size() && taken[next])
            ++next;
        if (next == taken.size())
            break;
        taken[next] = true;
        m_boundToWorksheet[i] = static_cast<int>(next);
    }
}

ExcelSheet* ExcelDocument::GetSheet(size_t index) {
    return index < m_sheets.size() ? m_sheets[index].get() : nullptr;
}

ExcelSheet* ExcelDocument::GetSheetByName(const char* name) {
    const auto& bound = m_workbook.m_boundSheets;
    for (size_t i = 0; i < bound.size() && i < m_boundToWorksheet.size(); ++i) {
        if (!NameIs(bound[i], name))
            continue;
        const int w = m_boundToWorksheet[i];
        return w >= 0 && static_cast<size_t>(w) < m_sheets.size() ? m_sheets[static_cast<size_t>(w)].get()
                                                                  : nullptr;
    }
    return nullptr;
}

bool ExcelDocument::RenameSheet(const char* oldName, const char* newName) {
    if (m_sheets.empty() || !oldName || !newName || std::strlen(newName) > 255)
        return false;
    auto& bound = m_workbook.m_boundSheets;
    size_t match = bound.size();
    for (size_t i = 0; i < bound.size(); ++i) {
        const Workbook::BoundSheet sheet = bound[i];
        if (NameIs(sheet, newName))
            return false;
        if (match == bound.size() && NameIs(sheet, oldName))
            match = i;
    }
    if (match == bound.size())
        return false;
    Workbook::BoundSheet renamed = bound[match];
    renamed.name = CXLString(std::string(newName));
    bound.Set(match, renamed);
    return true;
}

void ExcelDocument::BuildSheets() {
    m_sheets.clear();
    CSharedTexts strings(m_workbook.m_sst.strings);
    for (size_t i = 0; i < m_worksheets.size(); ++i) {
        auto sheet = std::make_unique<ExcelSheet>(this, static_cast<int>(i));
        for (auto& block : m_worksheets[i]->m_cellTable.rowBlocks)
            for (const CellBlock& cell : block.cellBlocks)
                PlaceCell(*sheet, cell, strings);
        FinishSheet(*sheet, *m_worksheets[i]);
        m_sheets.push_back(std::move(sheet));
    }
}

void ExcelDocument::FinishSheet(ExcelSheet& sheet, Worksheet& ws, const std::atomic<bool>* cancel) {
    sheet.ColumnInfo() = ws.m_colinfos;
    if (sheet.GetTotalRows() == 0 || sheet.GetTotalCols() == 0)
        sheet.Resize(1, 1);
    const int rows = sheet.GetTotalRows();
    const int cols = sheet.GetTotalCols();
    size_t seen = 0;
    for (const auto& range : ws.m_mergedCells.mergedCellsVector) {
        if (cancel && ++seen % 4096 == 0 && cancel->load(std::memory_order_relaxed))
            throw SCancelled{};
        if (range.lastRow < range.firstRow || range.lastColumn < range.firstColumn)
            continue;
        if (range.firstRow >= rows || range.firstColumn >= cols)
            continue;
        ExcelCell* cell = sheet.Cell(range.firstRow, range.firstColumn);
        // A range over all 65,536 rows cannot be counted in 16 bits; it keeps all but the last row.
        cell->mergedRows = static_cast<uint16_t>(std::min(range.lastRow - range.firstRow + 1, 0xFFFF));
        cell->mergedColumns =
            static_cast<uint16_t>(std::min(range.lastColumn - range.firstColumn + 1, 0xFFFF));
    }
    sheet.Compact();
}
