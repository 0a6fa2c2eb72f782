#include "lumora/sheetio/Bytes.h"
#include "lumora/sheetio/Worksheet.h"

namespace SheetIO {

using RowBlock = Worksheet::CellTable::RowBlock;
using CellBlock = RowBlock::CellBlock;

namespace {

uint32_t ReadCellHeader(CellBlock::Cell& cell, const uint8_t* d) {
    cell.rowIndex = GetU16(d);
    cell.colIndex = GetU16(d + 2);
    cell.XFRecordIndex = GetU16(d + 4);
    return 6;
}

uint8_t* WriteCellHeader(CellBlock::Cell& cell, uint8_t* d) {
    SetU16(d, cell.rowIndex);
    SetU16(d + 2, cell.colIndex);
    SetU16(d + 4, cell.XFRecordIndex);
    return d;
}

} // namespace

RowBlock::Row::Row() : Record(0x0208) {
    dataSize = 16;
    recordSize = 20;
}

uint32_t RowBlock::Row::Read(const uint8_t* bytes, uint32_t available) {
    const uint8_t* d = ReadFields(bytes, available, 16);
    const uint32_t used = recordSize;
    rowIndex = GetU16(d);
    firstCellColIndex = GetU16(d + 2);
    lastCellColIndexPlusOne = GetU16(d + 4);
    height = GetU16(d + 6);
    unused1 = GetU16(d + 8);
    unused2 = GetU16(d + 10);
    options = GetU32(d + 12);
    return used;
}

uint32_t RowBlock::Row::Write(uint8_t* bytes) {
    uint8_t* d = WriteHeader(bytes, 16);
    SetU16(d, rowIndex);
    SetU16(d + 2, firstCellColIndex);
    SetU16(d + 4, lastCellColIndexPlusOne);
    SetU16(d + 6, height);
    SetU16(d + 8, unused1);
    SetU16(d + 10, unused2);
    SetU32(d + 12, options);
    return recordSize;
}

uint32_t RowBlock::Row::DataSize() {
    return dataSize = 16;
}
uint32_t RowBlock::Row::RecordSize() {
    return recordSize = 20;
}

CellBlock::Blank::Blank() : Cell(0x0201) {
    dataSize = 6;
    recordSize = 10;
}

uint32_t CellBlock::Blank::Read(const uint8_t* bytes, uint32_t available) {
    ReadCellHeader(*this, ReadFields(bytes, available, 6));
    return recordSize;
}

uint32_t CellBlock::Blank::Write(uint8_t* bytes) {
    WriteCellHeader(*this, WriteHeader(bytes, 6));
    return recordSize;
}

uint32_t CellBlock::Blank::DataSize() {
    return dataSize = 6;
}
uint32_t CellBlock::Blank::RecordSize() {
    return recordSize = 10;
}

CellBlock::BoolErr::BoolErr() : Cell(0x0205) {
    dataSize = 8;
    recordSize = 12;
}

uint32_t CellBlock::BoolErr::Read(const uint8_t* bytes, uint32_t available) {
    const uint8_t* d = ReadFields(bytes, available, 8);
    const uint32_t used = recordSize;
    ReadCellHeader(*this, d);
    value = d[6];
    error = d[7];
    return used;
}

uint32_t CellBlock::BoolErr::Write(uint8_t* bytes) {
    uint8_t* d = WriteCellHeader(*this, WriteHeader(bytes, 8));
    d[6] = value;
    d[7] = error;
    return recordSize;
}

uint32_t CellBlock::BoolErr::DataSize() {
    return dataSize = 8;
}
uint32_t CellBlock::BoolErr::RecordSize() {
    return recordSize = 12;
}

CellBlock::LabelSST::LabelSST() : Cell(0x00FD) {
    dataSize = 10;
    recordSize = 14;
}

uint32_t CellBlock::LabelSST::Read(const uint8_t* bytes, uint32_t available) {
    const uint8_t* d = ReadFields(bytes, available, 10);
    const uint32_t used = recordSize;
    ReadCellHeader(*this, d);
    SSTRecordIndex = GetU32(d + 6);
    return used;
}

uint32_t CellBlock::LabelSST::Write(uint8_t* bytes) {
    uint8_t* d = WriteCellHeader(*this, WriteHeader(bytes, 10));
    SetU32(d + 6, SSTRecordIndex);
    return recordSize;
}

uint32_t CellBlock::LabelSST::DataSize() {
    return dataSize = 10;
}
uint32_t CellBlock::LabelSST::RecordSize() {
    return recordSize = 14;
}

CellBlock::Label::Label(uint16_t recordCode) : Cell(recordCode) {
    RecordSize();
}

uint32_t CellBlock::Label::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    ReadCellHeader(*this, FieldBytes(*this, 6));
    CPiecedStringReader reader(data, dataSize, continueIndices, 6);
    if (!reader.ReadString(string))
        string = CXLString();
    return used;
}

uint32_t CellBlock::Label::Write(uint8_t* bytes) {
    const uint32_t size = DataSize();
    data.assign(size, 0);
    Layout(WriteCellHeader(*this, data.data()));
    return Record::Write(bytes);
}

uint32_t CellBlock::Label::Layout(uint8_t* out) {
    continueIndices.clear();
    uint32_t pieceEnd = MAX_PIECE;
    uint32_t end = PlacePiecedString(string, 6, pieceEnd, continueIndices, out);
    if (code == 0x00D6) {
        // A run count that does not fit the string's last piece goes into a piece of its own.
        if (end + 2 > pieceEnd)
            continueIndices.push_back(end);
        if (out)
            SetU16(out + end, 0);
        end += 2;
    }
    return end;
}

uint32_t CellBlock::Label::DataSize() {
    return dataSize = Layout(nullptr);
}
uint32_t CellBlock::Label::RecordSize() {
    DataSize();
    return recordSize = dataSize + 4 * static_cast<uint32_t>(continueIndices.size() + 1);
}

CellBlock::RK::RK() : Cell(0x027E) {
    dataSize = 10;
    recordSize = 14;
}

uint32_t CellBlock::RK::Read(const uint8_t* bytes, uint32_t available) {
    const uint8_t* d = ReadFields(bytes, available, 10);
    const uint32_t used = recordSize;
    ReadCellHeader(*this, d);
    value = GetU32(d + 6);
    return used;
}

uint32_t CellBlock::RK::Write(uint8_t* bytes) {
    uint8_t* d = WriteCellHeader(*this, WriteHeader(bytes, 10));
    SetU32(d + 6, value);
    return recordSize;
}

uint32_t CellBlock::RK::DataSize() {
    return dataSize = 10;
}
uint32_t CellBlock::RK::RecordSize() {
    return recordSize = 14;
}

CellBlock::Number::Number() : Cell(0x0203) {
    dataSize = 14;
    recordSize = 18;
}

uint32_t CellBlock::Number::Read(const uint8_t* bytes, uint32_t available) {
    const uint8_t* d = ReadFields(bytes, available, 14);
    const uint32_t used = recordSize;
    ReadCellHeader(*this, d);
    value = GetF64(d + 6);
    return used;
}

uint32_t CellBlock::Number::Write(uint8_t* bytes) {
    uint8_t* d = WriteCellHeader(*this, WriteHeader(bytes, 14));
    SetF64(d + 6, value);
    return recordSize;
}

uint32_t CellBlock::Number::DataSize() {
    return dataSize = 14;
}
uint32_t CellBlock::Number::RecordSize() {
    return recordSize = 18;
}

CellBlock::MulBlank::MulBlank() : Cell(0x00BE) {
    RecordSize();
}

uint32_t CellBlock::MulBlank::Read(const uint8_t* bytes, uint32_t available) {
    const uint8_t* d = ReadFields(bytes, available, 6);
    const uint32_t used = recordSize;
    rowIndex = GetU16(d);
    colIndex = GetU16(d + 2);
    // The column range must agree with the entries the data really hold.
    uint32_t entries = dataSize >= 6 ? (dataSize - 6) / 2 : 0;
    const uint16_t stated = dataSize >= 6 ? GetU16(d + dataSize - 2) : colIndex;
    if (stated < colIndex)
        entries = 0;
    else if (stated - colIndex + 1u < entries)
        entries = stated - colIndex + 1u;
    XFRecordIndices.resize(entries);
    for (uint32_t i = 0; i < entries; ++i)
        XFRecordIndices[i] = GetU16(d + 4 + 2 * i);
    lastColIndex = entries ? static_cast<uint16_t>(colIndex + entries - 1) : colIndex;
    if (!XFRecordIndices.empty())
        XFRecordIndex = XFRecordIndices.front();
    return used;
}

uint32_t CellBlock::MulBlank::Write(uint8_t* bytes) {
    const uint32_t size = DataSize();
    uint8_t* d = size <= MAX_PIECE ? WriteHeader(bytes, size) : StartEncoding(*this, size);
    SetU16(d, rowIndex);
    SetU16(d + 2, colIndex);
    for (size_t i = 0; i < XFRecordIndices.size(); ++i)
        SetU16(d + 4 + 2 * i, XFRecordIndices[i]);
    SetU16(d + size - 2, lastColIndex);
    return size <= MAX_PIECE ? recordSize : Record::Write(bytes);
}

uint32_t CellBlock::MulBlank::DataSize() {
    return dataSize = 6 + 2 * static_cast<uint32_t>(XFRecordIndices.size());
}
uint32_t CellBlock::MulBlank::RecordSize() {
    return recordSize = PiecedSize(DataSize());
}

CellBlock::MulRK::MulRK() : Cell(0x00BD) {
    RecordSize();
}

uint32_t CellBlock::MulRK::Read(const uint8_t* bytes, uint32_t available) {
    const uint8_t* d = ReadFields(bytes, available, 6);
    const uint32_t used = recordSize;
    rowIndex = GetU16(d);
    colIndex = GetU16(d + 2);
    uint32_t entries = dataSize >= 6 ? (dataSize - 6) / 6 : 0;
    const uint16_t stated = dataSize >= 6 ? GetU16(d + dataSize - 2) : colIndex;
    if (stated < colIndex)
        entries = 0;
    else if (stated - colIndex + 1u < entries)
        entries = stated - colIndex + 1u;
    XFRKs.resize(entries);
    for (uint32_t i = 0; i < entries; ++i) {
        XFRKs[i].XFRecordIndex = GetU16(d + 4 + 6 * i);
        XFRKs[i].RKValue = GetU32(d + 6 + 6 * i);
    }
    lastColIndex = entries ? static_cast<uint16_t>(colIndex + entries - 1) : colIndex;
    if (entries)
        XFRecordIndex = XFRKs.front().XFRecordIndex;
    return used;
}

uint32_t CellBlock::MulRK::Write(uint8_t* bytes) {
    const uint32_t size = DataSize();
    uint8_t* d = size <= MAX_PIECE ? WriteHeader(bytes, size) : StartEncoding(*this, size);
    SetU16(d, rowIndex);
    SetU16(d + 2, colIndex);
    for (size_t i = 0; i < XFRKs.size(); ++i) {
        SetU16(d + 4 + 6 * i, XFRKs[i].XFRecordIndex);
        SetU32(d + 6 + 6 * i, XFRKs[i].RKValue);
    }
    SetU16(d + size - 2, lastColIndex);
    return size <= MAX_PIECE ? recordSize : Record::Write(bytes);
}

uint32_t CellBlock::MulRK::DataSize() {
    return dataSize = 6 + 6 * static_cast<uint32_t>(XFRKs.size());
}
uint32_t CellBlock::MulRK::RecordSize() {
    return recordSize = PiecedSize(DataSize());
}

RowBlock::DBCell::DBCell() : Record(0x00D7) {
    RecordSize();
}

uint32_t RowBlock::DBCell::Read(const uint8_t* bytes, uint32_t available) {
    const uint8_t* d = ReadFields(bytes, available, 4);
    const uint32_t used = recordSize;
    firstRowOffset = GetU32(d);
    const uint32_t entries = dataSize >= 4 ? (dataSize - 4) / 2 : 0;
    offsets.resize(entries);
    for (uint32_t i = 0; i < entries; ++i)
        offsets[i] = GetU16(d + 4 + 2 * i);
    return used;
}

uint32_t RowBlock::DBCell::Write(uint8_t* bytes) {
    const uint32_t size = DataSize();
    uint8_t* d = size <= MAX_PIECE ? WriteHeader(bytes, size) : StartEncoding(*this, size);
    SetU32(d, firstRowOffset);
    for (size_t i = 0; i < offsets.size(); ++i)
        SetU16(d + 4 + 2 * i, offsets[i]);
    return size <= MAX_PIECE ? recordSize : Record::Write(bytes);
}

uint32_t RowBlock::DBCell::DataSize() {
    return dataSize = 4 + 2 * static_cast<uint32_t>(offsets.size());
}
uint32_t RowBlock::DBCell::RecordSize() {
    return recordSize = PiecedSize(DataSize());
}

bool CellBlock::IsCellCode(uint16_t recordCode) {
    switch (recordCode) {
    case 0x0006:
    case 0x00BD:
    case 0x00BE:
    case 0x00D6:
    case 0x00FD:
    case 0x0201:
    case 0x0203:
    case 0x0204:
    case 0x0205:
    case 0x027E:
        return true;
    default:
        return false;
    }
}

uint32_t CellBlock::Read(const uint8_t* bytes, uint32_t available) {
    const uint16_t code = PeekCode(bytes, available);
    if (m_cell && m_cell->code == code)
        return m_cell->Read(bytes, available);
    switch (code) {
    case 0x0006:
        m_cell = std::make_unique<Formula>();
        break;
    case 0x00BD:
        m_cell = std::make_unique<MulRK>();
        break;
    case 0x00BE:
        m_cell = std::make_unique<MulBlank>();
        break;
    case 0x00D6:
        m_cell = std::make_unique<RString>();
        break;
    case 0x00FD:
        m_cell = std::make_unique<LabelSST>();
        break;
    case 0x0204:
        m_cell = std::make_unique<Label>();
        break;
    case 0x0201:
        m_cell = std::make_unique<Blank>();
        break;
    case 0x0203:
        m_cell = std::make_unique<Number>();
        break;
    case 0x0205:
        m_cell = std::make_unique<BoolErr>();
        break;
    case 0x027E:
        m_cell = std::make_unique<RK>();
        break;
    default:
        return 0;
    }
    return m_cell->Read(bytes, available);
}

} // namespace SheetIO
