#include "lumora/sheetio/Worksheet.h"

#include "lumora/sheetio/Bytes.h"

#include <algorithm>

namespace SheetIO {

namespace {

constexpr uint16_t CODE_INDEX = 0x020B;
constexpr uint16_t CODE_COLINFO = 0x007D;
constexpr uint16_t CODE_DIMENSIONS = 0x0200;
constexpr uint16_t CODE_ROW = 0x0208;
constexpr uint16_t CODE_DBCELL = 0x00D7;
constexpr uint16_t CODE_WINDOW2 = 0x023E;
constexpr uint16_t CODE_MERGEDCELLS = 0x00E5;
constexpr uint16_t CODE_FORMULA = 0x0006;
constexpr uint16_t CODE_STRING = 0x0207;

} // namespace

uint32_t RecordLength(const uint8_t* bytes, uint32_t available) {
    uint32_t pos = 0;
    do {
        if (available - pos < 4)
            throw EXCEPTION_DAMAGED{};
        const uint32_t length = GetU16(bytes + pos + 2);
        if (length > available - pos - 4)
            throw EXCEPTION_DAMAGED{};
        pos += 4 + length;
    } while (PeekCode(bytes + pos, available - pos) == CODE_CONTINUE);
    return pos;
}

uint32_t SkipSubstream(const uint8_t* bytes, uint32_t available) {
    uint32_t pos = 0;
    int depth = 0;
    while (available - pos >= 4) {
        const uint16_t code = GetU16(bytes + pos);
        pos += RecordLength(bytes + pos, available - pos);
        if (code == CODE_BOF)
            ++depth;
        else if (code == CODE_EOF && --depth <= 0)
            break;
    }
    return pos;
}

Worksheet::Index::Index() : Record(CODE_INDEX) {
    RecordSize();
}

uint32_t Worksheet::Index::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    const uint8_t* d = FieldBytes(*this, 16);
    unused1 = GetU32(d);
    firstUsedRowIndex = GetU32(d + 4);
    firstUnusedRowIndex = GetU32(d + 8);
    unused2 = GetU32(d + 12);
    const uint32_t entries = dataSize >= 16 ? (dataSize - 16) / 4 : 0;
    DBCellPos.resize(entries);
    for (uint32_t i = 0; i < entries; ++i)
        DBCellPos[i] = GetU32(d + 16 + 4 * i);
    return used;
}

uint32_t Worksheet::Index::Write(uint8_t* bytes) {
    uint8_t* d = StartEncoding(*this, DataSize());
    SetU32(d, unused1);
    SetU32(d + 4, firstUsedRowIndex);
    SetU32(d + 8, firstUnusedRowIndex);
    SetU32(d + 12, unused2);
    for (size_t i = 0; i < DBCellPos.size(); ++i)
        SetU32(d + 16 + 4 * i, DBCellPos[i]);
    return Record::Write(bytes);
}

uint32_t Worksheet::Index::DataSize() {
    return dataSize = 16 + 4 * static_cast<uint32_t>(DBCellPos.size());
}
uint32_t Worksheet::Index::RecordSize() {
    return recordSize = PiecedSize(DataSize());
}

Worksheet::ColInfos::ColInfo::ColInfo() : Record(CODE_COLINFO) {
    dataSize = 12;
    recordSize = 16;
}

uint32_t Worksheet::ColInfos::ColInfo::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    const uint8_t* d = FieldBytes(*this, 12);
    firstColumnIndex = GetU16(d);
    lastColumnIndex = GetU16(d + 2);
    columnWidth = GetU16(d + 4);
    XFRecordIndex = GetU16(d + 6);
    options = GetU16(d + 8);
    unused = GetU16(d + 10);
    return used;
}

uint32_t Worksheet::ColInfos::ColInfo::Write(uint8_t* bytes) {
    uint8_t* d = StartEncoding(*this, 12);
    SetU16(d, firstColumnIndex);
    SetU16(d + 2, lastColumnIndex);
    SetU16(d + 4, columnWidth);
    SetU16(d + 6, XFRecordIndex);
    SetU16(d + 8, options);
    SetU16(d + 10, unused);
    return Record::Write(bytes);
}

uint32_t Worksheet::ColInfos::ColInfo::DataSize() {
    return dataSize = 12;
}
uint32_t Worksheet::ColInfos::ColInfo::RecordSize() {
    return recordSize = 16;
}

uint32_t Worksheet::ColInfos::Read(const uint8_t* bytes, uint32_t available) {
    uint32_t pos = 0;
    while (PeekCode(bytes + pos, available - pos) == CODE_COLINFO)
        pos += colinfo.emplace_back().Read(bytes + pos, available - pos);
    return pos;
}

uint32_t Worksheet::ColInfos::Write(uint8_t* bytes) {
    uint32_t pos = 0;
    for (ColInfo& info : colinfo)
        pos += info.Write(bytes + pos);
    return pos;
}

uint32_t Worksheet::ColInfos::RecordSize() {
    uint32_t size = 0;
    for (ColInfo& info : colinfo)
        size += info.RecordSize();
    return size;
}

Worksheet::Dimensions::Dimensions() : Record(CODE_DIMENSIONS) {
    dataSize = 14;
    recordSize = 18;
}

uint32_t Worksheet::Dimensions::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    const uint8_t* d = FieldBytes(*this, 14);
    firstUsedRowIndex = GetU32(d);
    lastUsedRowIndexPlusOne = GetU32(d + 4);
    firstUsedColIndex = GetU16(d + 8);
    lastUsedColIndexPlusOne = GetU16(d + 10);
    unused = GetU16(d + 12);
    return used;
}

uint32_t Worksheet::Dimensions::Write(uint8_t* bytes) {
    uint8_t* d = StartEncoding(*this, 14);
    SetU32(d, firstUsedRowIndex);
    SetU32(d + 4, lastUsedRowIndexPlusOne);
    SetU16(d + 8, firstUsedColIndex);
    SetU16(d + 10, lastUsedColIndexPlusOne);
    SetU16(d + 12, unused);
    return Record::Write(bytes);
}

uint32_t Worksheet::Dimensions::DataSize() {
    return dataSize = 14;
}
uint32_t Worksheet::Dimensions::RecordSize() {
    return recordSize = 18;
}

Worksheet::CellTable::RowBlock::RowBlock() {
    rows.reserve(32);
    cellBlocks.reserve(64);
}

Worksheet::CellSink::CellBlock& Worksheet::CellSink::Scratch(uint16_t code) {
    // Sheets mostly repeat one kind of cell record.
    if (m_last < m_scratch.size() && m_scratch[m_last].first == code)
        return m_scratch[m_last].second;
    for (m_last = 0; m_last < m_scratch.size(); ++m_last)
        if (m_scratch[m_last].first == code)
            return m_scratch[m_last].second;
    return m_scratch.emplace_back(code, CellBlock()).second;
}

uint32_t Worksheet::CellTable::RowBlock::Read(const uint8_t* bytes, uint32_t available) {
    uint32_t pos = 0;
    for (;;) {
        if (available - pos < 4)
            throw EXCEPTION_YEOF{pos};
        const uint8_t* at = bytes + pos;
        const uint32_t left = available - pos;
        const uint16_t code = GetU16(at);
        if (CellBlock::IsCellCode(code)) {
            pos += cellBlocks.emplace_back().Read(at, left);
            continue;
        }
        switch (code) {
        case CODE_ROW:
            pos += rows.emplace_back().Read(at, left);
            break;
        case CODE_DBCELL:
            hasDBCell = true;
            return pos + dbcell.Read(at, left);
        case CODE_EOF:
            throw EXCEPTION_YEOF{pos};
        case CODE_BOF:
        case CODE_INDEX:
        case CODE_COLINFO:
        case CODE_DIMENSIONS:
        case CODE_WINDOW2:
        case CODE_MERGEDCELLS:
            hasDBCell = false;
            return pos;
        default:
            pos += RecordLength(at, left);
        }
    }
}

uint32_t Worksheet::CellTable::RowBlock::Write(uint8_t* bytes) {
    uint32_t pos = 0;
    for (Row& row : rows)
        pos += row.Write(bytes + pos);
    for (CellBlock& cell : cellBlocks)
        pos += cell.Write(bytes + pos);
    return pos + dbcell.Write(bytes + pos);
}

uint32_t Worksheet::CellTable::RowBlock::RecordSize() {
    uint32_t size = 0;
    for (Row& row : rows)
        size += row.RecordSize();
    for (CellBlock& cell : cellBlocks)
        size += cell.RecordSize();
    return size + dbcell.RecordSize();
}

uint32_t Worksheet::CellTable::Read(const uint8_t* bytes, uint32_t available) {
    uint32_t pos = 0;
    for (;;) {
        const uint16_t code = PeekCode(bytes + pos, available - pos);
        if (code != CODE_ROW && !RowBlock::CellBlock::IsCellCode(code))
            return pos;
        RowBlock& block = rowBlocks.emplace_back();
        try {
            pos += block.Read(bytes + pos, available - pos);
        } catch (const EXCEPTION_YEOF& end) {
            // The block ends at the sheet's EOF; the sheet reader goes on from there.
            block.hasDBCell = false;
            return pos + end.bytesRead;
        }
    }
}

uint32_t Worksheet::CellTable::Write(uint8_t* bytes) {
    uint32_t pos = 0;
    for (RowBlock& block : rowBlocks)
        pos += block.Write(bytes + pos);
    return pos + grid.Write(bytes + pos);
}

uint32_t Worksheet::CellTable::RecordSize() {
    uint32_t size = 0;
    for (RowBlock& block : rowBlocks)
        size += block.RecordSize();
    return size + grid.RecordSize();
}

void Worksheet::CellTable::Grid::Clear() {
    *this = Grid();
}

uint32_t Worksheet::CellTable::Grid::RecordSize() const {
    uint32_t size = 0;
    for (uint32_t bytes : blockBytes)
        size += bytes;
    return size;
}

uint32_t Worksheet::CellTable::Grid::Write(uint8_t* bytes) {
    uint32_t pos = 0;
    for (uint32_t b = 0; b < blockBytes.size(); ++b)
        pos += WriteBlock(b, bytes + pos);
    return pos;
}

Worksheet::Window2::Window2() : Record(CODE_WINDOW2) {
    dataSize = 18;
    recordSize = 22;
}

uint32_t Worksheet::Window2::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    const uint8_t* d = FieldBytes(*this, 18);
    options = GetU16(d);
    firstVisibleRowIndex = GetU16(d + 2);
    firstVisibleColumnIndex = GetU16(d + 4);
    gridLineColourIndex = GetU16(d + 6);
    unused1 = GetU16(d + 8);
    magnificationFactorPageBreakPreview = GetU16(d + 10);
    magnificationFactorNormalView = GetU16(d + 12);
    unused2 = GetU32(d + 14);
    return used;
}

uint32_t Worksheet::Window2::Write(uint8_t* bytes) {
    uint8_t* d = StartEncoding(*this, 18);
    SetU16(d, options);
    SetU16(d + 2, firstVisibleRowIndex);
    SetU16(d + 4, firstVisibleColumnIndex);
    SetU16(d + 6, gridLineColourIndex);
    SetU16(d + 8, unused1);
    SetU16(d + 10, magnificationFactorPageBreakPreview);
    SetU16(d + 12, magnificationFactorNormalView);
    SetU32(d + 14, unused2);
    return Record::Write(bytes);
}

uint32_t Worksheet::Window2::DataSize() {
    return dataSize = 18;
}
uint32_t Worksheet::Window2::RecordSize() {
    return recordSize = 22;
}

uint32_t Worksheet::MergedCells::Read(const uint8_t* bytes, uint32_t available) {
    uint32_t pos = 0;
    while (PeekCode(bytes + pos, available - pos) == CODE_MERGEDCELLS) {
        Record record;
        pos += record.Read(bytes + pos, available - pos);
        const uint8_t* d = FieldBytes(record, 2);
        uint32_t count = GetU16(d);
        const uint32_t held = record.dataSize >= 2 ? (record.dataSize - 2) / 8 : 0;
        if (count > held)
            count = held;
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* r = d + 2 + 8 * i;
            mergedCellsVector.push_back({GetU16(r), GetU16(r + 2), GetU16(r + 4), GetU16(r + 6)});
        }
    }
    return pos;
}

uint32_t Worksheet::MergedCells::Write(uint8_t* bytes) {
    uint32_t pos = 0;
    for (size_t first = 0; first < mergedCellsVector.size(); first += MAX_RANGES_PER_RECORD) {
        const size_t count = std::min<size_t>(MAX_RANGES_PER_RECORD, mergedCellsVector.size() - first);
        Record record(CODE_MERGEDCELLS);
        uint8_t* d = StartEncoding(record, static_cast<uint32_t>(2 + 8 * count));
        SetU16(d, static_cast<uint16_t>(count));
        for (size_t i = 0; i < count; ++i) {
            const MergedCell& m = mergedCellsVector[first + i];
            uint8_t* r = d + 2 + 8 * i;
            SetU16(r, m.firstRow);
            SetU16(r + 2, m.lastRow);
            SetU16(r + 4, m.firstColumn);
            SetU16(r + 6, m.lastColumn);
        }
        pos += record.Write(bytes + pos);
    }
    return pos;
}

uint32_t Worksheet::MergedCells::RecordSize() {
    const uint32_t ranges = static_cast<uint32_t>(mergedCellsVector.size());
    const uint32_t records = (ranges + MAX_RANGES_PER_RECORD - 1) / MAX_RANGES_PER_RECORD;
    return 6 * records + 8 * ranges;
}

Worksheet::Worksheet() : m_bof(SUBSTREAM_WORKSHEET) {}

uint32_t Worksheet::Read(const uint8_t* bytes, uint32_t available) {
    uint32_t pos = m_bof.Read(bytes, available);
    while (available - pos >= 4) {
        const uint8_t* at = bytes + pos;
        const uint32_t left = available - pos;
        const uint16_t code = GetU16(at);
        if (code == CODE_ROW || CellTable::RowBlock::CellBlock::IsCellCode(code)) {
            pos += m_cellTable.Read(at, left);
            continue;
        }
        bool ended = false;
        pos += ReadSheetRecord(at, left, ended);
        if (ended)
            return pos;
    }
    return pos;
}

uint32_t Worksheet::ReadRecord(const uint8_t* bytes, uint32_t available, CellSink& sink, bool& ended) {
    const uint16_t code = PeekCode(bytes, available);
    if (CellTable::RowBlock::CellBlock::IsCellCode(code)) {
        CellSink::CellBlock& cell = sink.Scratch(code);
        const uint32_t used = cell.Read(bytes, available);
        sink.Take(cell);
        return used;
    }
    if (code == CODE_ROW || code == CODE_DBCELL)
        return RecordLength(bytes, available);
    return ReadSheetRecord(bytes, available, ended);
}

uint32_t Worksheet::ReadSheetRecord(const uint8_t* at, uint32_t left, bool& ended) {
    switch (PeekCode(at, left)) {
    case CODE_BOF: // an embedded chart's substream
        return SkipSubstream(at, left);
    case CODE_INDEX:
        return m_index.Read(at, left);
    case CODE_COLINFO:
        return m_colinfos.Read(at, left);
    case CODE_DIMENSIONS:
        return m_dimensions.Read(at, left);
    case CODE_WINDOW2:
        return m_window2.Read(at, left);
    case CODE_MERGEDCELLS:
        return m_mergedCells.Read(at, left);
    case CODE_EOF:
        ended = true;
        return m_eof.Read(at, left);
    default:
        return RecordLength(at, left);
    }
}

uint32_t RecordGroupLength(const uint8_t* bytes, uint32_t available) {
    const uint16_t code = PeekCode(bytes, available);
    if (code == CODE_BOF)
        return SkipSubstream(bytes, available);
    uint32_t length = RecordLength(bytes, available);
    if (code != CODE_FORMULA)
        return length;
    // As the FORMULA reader takes them: one sub-record, then the string result.
    switch (PeekCode(bytes + length, available - length)) {
    case 0x0221:
    case 0x0236:
    case 0x00BC:
    case 0x04BC:
        length += RecordLength(bytes + length, available - length);
        break;
    default:
        break;
    }
    if (PeekCode(bytes + length, available - length) == CODE_STRING)
        length += RecordLength(bytes + length, available - length);
    return length;
}

uint32_t Worksheet::Write(uint8_t* bytes) {
    uint32_t pos = m_bof.Write(bytes);
    pos += m_index.Write(bytes + pos);
    pos += m_colinfos.Write(bytes + pos);
    pos += m_dimensions.Write(bytes + pos);
    pos += m_cellTable.Write(bytes + pos);
    pos += m_window2.Write(bytes + pos);
    pos += m_mergedCells.Write(bytes + pos);
    return pos + m_eof.Write(bytes + pos);
}

bool Worksheet::WriteTo(const ChunkSink& sink) {
    const uint32_t head =
        m_bof.RecordSize() + m_index.RecordSize() + m_colinfos.RecordSize() + m_dimensions.RecordSize();
    bool ok = sink(head, [&](uint8_t* bytes) {
        uint32_t pos = m_bof.Write(bytes);
        pos += m_index.Write(bytes + pos);
        pos += m_colinfos.Write(bytes + pos);
        return pos + m_dimensions.Write(bytes + pos);
    });
    for (CellTable::RowBlock& block : m_cellTable.rowBlocks)
        ok = ok && sink(block.RecordSize(), [&](uint8_t* bytes) { return block.Write(bytes); });
    for (uint32_t b = 0; ok && b < m_cellTable.grid.blockBytes.size(); ++b)
        ok = sink(m_cellTable.grid.BlockSize(b),
                  [&](uint8_t* bytes) { return m_cellTable.grid.WriteBlock(b, bytes); });
    const uint32_t tail = m_window2.RecordSize() + m_mergedCells.RecordSize() + m_eof.RecordSize();
    return ok && sink(tail, [&](uint8_t* bytes) {
               uint32_t pos = m_window2.Write(bytes);
               pos += m_mergedCells.Write(bytes + pos);
               return pos + m_eof.Write(bytes + pos);
           });
}

uint32_t Worksheet::RecordSize() {
    return m_bof.RecordSize() + m_index.RecordSize() + m_colinfos.RecordSize() + m_dimensions.RecordSize() +
           m_cellTable.RecordSize() + m_window2.RecordSize() + m_mergedCells.RecordSize() +
           m_eof.RecordSize();
}

} // namespace SheetIO
