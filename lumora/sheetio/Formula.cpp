#include "lumora/sheetio/Bytes.h"
#include "lumora/sheetio/Worksheet.h"

#include <cstring>

namespace SheetIO {

using Formula = Worksheet::CellTable::RowBlock::CellBlock::Formula;

namespace {

void ReadTail(const Record& record, uint32_t from, std::vector<uint8_t>& out) {
    if (record.dataSize > from)
        out.assign(record.data.begin() + from, record.data.begin() + record.dataSize);
    else
        out.clear();
}

} // namespace

Formula::Array::Array() : Record(0x0221) {
    RecordSize();
}

uint32_t Formula::Array::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    const uint8_t* d = FieldBytes(*this, 12);
    firstRowIndex = GetU16(d);
    lastRowIndex = GetU16(d + 2);
    firstColumnIndex = d[4];
    lastColumnIndex = d[5];
    options = GetU16(d + 6);
    unused = GetU32(d + 8);
    ReadTail(*this, 12, formula);
    return used;
}

uint32_t Formula::Array::Write(uint8_t* bytes) {
    uint8_t* d = StartEncoding(*this, DataSize());
    SetU16(d, firstRowIndex);
    SetU16(d + 2, lastRowIndex);
    d[4] = firstColumnIndex;
    d[5] = lastColumnIndex;
    SetU16(d + 6, options);
    SetU32(d + 8, unused);
    if (!formula.empty())
        std::memcpy(d + 12, formula.data(), formula.size());
    return Record::Write(bytes);
}

uint32_t Formula::Array::DataSize() {
    return dataSize = 12 + static_cast<uint32_t>(formula.size());
}
uint32_t Formula::Array::RecordSize() {
    return recordSize = PiecedSize(DataSize());
}

Formula::ShrFmla::ShrFmla(uint16_t recordCode) : Record(recordCode) {
    RecordSize();
}

uint32_t Formula::ShrFmla::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    const uint8_t* d = FieldBytes(*this, 8);
    firstRowIndex = GetU16(d);
    lastRowIndex = GetU16(d + 2);
    firstColumnIndex = d[4];
    lastColumnIndex = d[5];
    unused = GetU16(d + 6);
    ReadTail(*this, 8, formula);
    return used;
}

uint32_t Formula::ShrFmla::Write(uint8_t* bytes) {
    uint8_t* d = StartEncoding(*this, DataSize());
    SetU16(d, firstRowIndex);
    SetU16(d + 2, lastRowIndex);
    d[4] = firstColumnIndex;
    d[5] = lastColumnIndex;
    SetU16(d + 6, unused);
    if (!formula.empty())
        std::memcpy(d + 8, formula.data(), formula.size());
    return Record::Write(bytes);
}

uint32_t Formula::ShrFmla::DataSize() {
    return dataSize = 8 + static_cast<uint32_t>(formula.size());
}
uint32_t Formula::ShrFmla::RecordSize() {
    return recordSize = PiecedSize(DataSize());
}

Formula::Table::Table() : Record(0x0236) {
    dataSize = 16;
    recordSize = 20;
}

uint32_t Formula::Table::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    const uint8_t* d = FieldBytes(*this, 16);
    firstRowIndex = GetU16(d);
    lastRowIndex = GetU16(d + 2);
    firstColumnIndex = d[4];
    lastColumnIndex = d[5];
    options = GetU16(d + 6);
    inputCellRowIndex = GetU16(d + 8);
    inputCellColumnIndex = GetU16(d + 10);
    inputCellRowIndex2 = GetU16(d + 12);
    inputCellColumnIndex2 = GetU16(d + 14);
    return used;
}

uint32_t Formula::Table::Write(uint8_t* bytes) {
    uint8_t* d = StartEncoding(*this, 16);
    SetU16(d, firstRowIndex);
    SetU16(d + 2, lastRowIndex);
    d[4] = firstColumnIndex;
    d[5] = lastColumnIndex;
    SetU16(d + 6, options);
    SetU16(d + 8, inputCellRowIndex);
    SetU16(d + 10, inputCellColumnIndex);
    SetU16(d + 12, inputCellRowIndex2);
    SetU16(d + 14, inputCellColumnIndex2);
    return Record::Write(bytes);
}

uint32_t Formula::Table::DataSize() {
    return dataSize = 16;
}
uint32_t Formula::Table::RecordSize() {
    return recordSize = 20;
}

Formula::String::String() : Record(0x0207) {
    RecordSize();
}

uint32_t Formula::String::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    // A long result goes on in CONTINUE pieces, each repeating the flags byte.
    CPiecedStringReader reader(data, dataSize, continueIndices, 0);
    if (!reader.ReadString(string))
        string = CXLString();
    return used;
}

uint32_t Formula::String::Write(uint8_t* bytes) {
    uint8_t* d = StartEncoding(*this, DataSize());
    uint32_t pieceEnd = MAX_PIECE;
    PlacePiecedString(string, 0, pieceEnd, continueIndices, d);
    return Record::Write(bytes);
}

uint32_t Formula::String::DataSize() {
    continueIndices.clear();
    uint32_t pieceEnd = MAX_PIECE;
    return dataSize = PlacePiecedString(string, 0, pieceEnd, continueIndices, nullptr);
}
uint32_t Formula::String::RecordSize() {
    DataSize();
    return recordSize = dataSize + 4 * static_cast<uint32_t>(continueIndices.size() + 1);
}

Formula::Formula() : Cell(0x0006) {
    RecordSize();
}

uint32_t Formula::Read(const uint8_t* bytes, uint32_t available) {
    uint32_t used = Record::Read(bytes, available);
    const uint8_t* d = FieldBytes(*this, 20);
    rowIndex = GetU16(d);
    colIndex = GetU16(d + 2);
    XFRecordIndex = GetU16(d + 4);
    std::memcpy(result, d + 6, 8);
    options = GetU16(d + 14);
    unused = GetU32(d + 16);
    ReadTail(*this, 20, RPNtoken);

    type = 0xFFFF;
    hasString = false;
    switch (const uint16_t next = PeekCode(bytes + used, available - used)) {
    case 0x0221:
        used += array.Read(bytes + used, available - used);
        type = next;
        break;
    case 0x0236:
        used += table.Read(bytes + used, available - used);
        type = next;
        break;
    case 0x00BC:
        used += shrfmla.Read(bytes + used, available - used);
        type = next;
        break;
    case 0x04BC:
        used += shrfmla1.Read(bytes + used, available - used);
        type = next;
        break;
    default:
        break;
    }
    if (PeekCode(bytes + used, available - used) == 0x0207) {
        used += string.Read(bytes + used, available - used);
        hasString = true;
    }
    return recordSize = used;
}

uint32_t Formula::Write(uint8_t* bytes) {
    uint8_t* d = StartEncoding(*this, DataSize());
    SetU16(d, rowIndex);
    SetU16(d + 2, colIndex);
    SetU16(d + 4, XFRecordIndex);
    std::memcpy(d + 6, result, 8);
    SetU16(d + 14, options);
    SetU32(d + 16, unused);
    if (!RPNtoken.empty())
        std::memcpy(d + 20, RPNtoken.data(), RPNtoken.size());
    uint32_t pos = Record::Write(bytes);
    switch (type) {
    case 0x0221:
        pos += array.Write(bytes + pos);
        break;
    case 0x0236:
        pos += table.Write(bytes + pos);
        break;
    case 0x00BC:
        pos += shrfmla.Write(bytes + pos);
        break;
    case 0x04BC:
        pos += shrfmla1.Write(bytes + pos);
        break;
    default:
        break;
    }
    if (hasString)
        pos += string.Write(bytes + pos);
    return pos;
}

uint32_t Formula::DataSize() {
    return dataSize = 20 + static_cast<uint32_t>(RPNtoken.size());
}

uint32_t Formula::RecordSize() {
    uint32_t size = PiecedSize(DataSize());
    switch (type) {
    case 0x0221:
        size += array.RecordSize();
        break;
    case 0x0236:
        size += table.RecordSize();
        break;
    case 0x00BC:
        size += shrfmla.RecordSize();
        break;
    case 0x04BC:
        size += shrfmla1.RecordSize();
        break;
    default:
        break;
    }
    if (hasString)
        size += string.RecordSize();
    return recordSize = size;
}

} // namespace SheetIO
