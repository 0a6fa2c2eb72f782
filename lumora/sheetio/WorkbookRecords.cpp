#include "lumora/sheetio/Bytes.h"
#include "lumora/sheetio/Workbook.h"

namespace SheetIO {

namespace {

// A long string read over CONTINUE pieces is cut so that the record holding it is written back in
// one piece: a plain CONTINUE split would cut the characters without the flags byte readers expect.
void FitOnePiece(CXLString& s, uint32_t otherBytes) {
    s.LimitCharBytes(MAX_PIECE - otherBytes - 3);
}

} // namespace

Workbook::Window1::Window1() : Record(0x003D) {
    dataSize = 18;
    recordSize = 22;
}

uint32_t Workbook::Window1::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    const uint8_t* d = FieldBytes(*this, 18);
    horizontalPos = GetU16(d);
    verticalPos = GetU16(d + 2);
    width = GetU16(d + 4);
    height = GetU16(d + 6);
    options = GetU16(d + 8);
    activeSheet = GetU16(d + 10);
    firstVisibleTab = GetU16(d + 12);
    selectedSheets = GetU16(d + 14);
    tabBarWidth = GetU16(d + 16);
    return used;
}

uint32_t Workbook::Window1::Write(uint8_t* bytes) {
    uint8_t* d = StartEncoding(*this, 18);
    SetU16(d, horizontalPos);
    SetU16(d + 2, verticalPos);
    SetU16(d + 4, width);
    SetU16(d + 6, height);
    SetU16(d + 8, options);
    SetU16(d + 10, activeSheet);
    SetU16(d + 12, firstVisibleTab);
    SetU16(d + 14, selectedSheets);
    SetU16(d + 16, tabBarWidth);
    return Record::Write(bytes);
}

uint32_t Workbook::Window1::DataSize() {
    return dataSize = 18;
}
uint32_t Workbook::Window1::RecordSize() {
    return recordSize = 22;
}

Workbook::Font::Font() : Record(0x0031) {
    RecordSize();
}

uint32_t Workbook::Font::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    const uint8_t* d = FieldBytes(*this, 14);
    height = GetU16(d);
    options = GetU16(d + 2);
    colourIndex = GetU16(d + 4);
    weight = GetU16(d + 6);
    escapementType = GetU16(d + 8);
    underlineType = d[10];
    family = d[11];
    characterSet = d[12];
    unused = d[13];
    if (ReadShortString(d + 14, dataSize > 14 ? dataSize - 14 : 0, name) == 0)
        name = CXLString();
    return used;
}

uint32_t Workbook::Font::Write(uint8_t* bytes) {
    uint8_t* d = StartEncoding(*this, DataSize());
    SetU16(d, height);
    SetU16(d + 2, options);
    SetU16(d + 4, colourIndex);
    SetU16(d + 6, weight);
    SetU16(d + 8, escapementType);
    d[10] = underlineType;
    d[11] = family;
    d[12] = characterSet;
    d[13] = unused;
    WriteShortString(d + 14, name);
    return Record::Write(bytes);
}

uint32_t Workbook::Font::DataSize() {
    return dataSize = 14 + ShortStringSize(name);
}
uint32_t Workbook::Font::RecordSize() {
    return recordSize = DataSize() + 4;
}

Workbook::Format::Format() : Record(0x041E) {
    RecordSize();
}

uint32_t Workbook::Format::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    const uint8_t* d = FieldBytes(*this, 2);
    index = GetU16(d);
    if (ReadLongString(d + 2, dataSize > 2 ? dataSize - 2 : 0, fmtstring) == 0)
        fmtstring = CXLString();
    FitOnePiece(fmtstring, 2);
    return used;
}

uint32_t Workbook::Format::Write(uint8_t* bytes) {
    uint8_t* d = StartEncoding(*this, DataSize());
    SetU16(d, index);
    WriteLongString(d + 2, fmtstring);
    return Record::Write(bytes);
}

uint32_t Workbook::Format::DataSize() {
    return dataSize = 2 + LongStringSize(fmtstring);
}
uint32_t Workbook::Format::RecordSize() {
    return recordSize = DataSize() + 4;
}

Workbook::XF::XF() : Record(0x00E0) {
    dataSize = 20;
    recordSize = 24;
}

uint32_t Workbook::XF::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    const uint8_t* d = FieldBytes(*this, 20);
    fontRecordIndex = GetU16(d);
    formatRecordIndex = GetU16(d + 2);
    protectionType = GetU16(d + 4);
    alignment = d[6];
    rotation = d[7];
    textProperties = d[8];
    usedAttributes = d[9];
    borderLines = GetU32(d + 10);
    colour1 = GetU32(d + 14);
    colour2 = GetU16(d + 18);
    return used;
}

uint32_t Workbook::XF::Write(uint8_t* bytes) {
    uint8_t* d = StartEncoding(*this, 20);
    SetU16(d, fontRecordIndex);
    SetU16(d + 2, formatRecordIndex);
    SetU16(d + 4, protectionType);
    d[6] = alignment;
    d[7] = rotation;
    d[8] = textProperties;
    d[9] = usedAttributes;
    SetU32(d + 10, borderLines);
    SetU32(d + 14, colour1);
    SetU16(d + 18, colour2);
    return Record::Write(bytes);
}

uint32_t Workbook::XF::DataSize() {
    return dataSize = 20;
}
uint32_t Workbook::XF::RecordSize() {
    return recordSize = 24;
}

Workbook::Style::Style() : Record(0x0293) {
    RecordSize();
}

uint32_t Workbook::Style::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    const uint8_t* d = FieldBytes(*this, 4);
    XFRecordIndex = GetU16(d);
    if (XFRecordIndex & 0x8000) {
        identifier = d[2];
        level = d[3];
    } else if (ReadLongString(d + 2, dataSize > 2 ? dataSize - 2 : 0, name) == 0) {
        name = CXLString();
    }
    FitOnePiece(name, 2);
    return used;
}

uint32_t Workbook::Style::Write(uint8_t* bytes) {
    uint8_t* d = StartEncoding(*this, DataSize());
    SetU16(d, XFRecordIndex);
    if (XFRecordIndex & 0x8000) {
        d[2] = identifier;
        d[3] = level;
    } else {
        WriteLongString(d + 2, name);
    }
    return Record::Write(bytes);
}

uint32_t Workbook::Style::DataSize() {
    return dataSize = (XFRecordIndex & 0x8000) ? 4 : 2 + LongStringSize(name);
}
uint32_t Workbook::Style::RecordSize() {
    return recordSize = DataSize() + 4;
}

Workbook::BoundSheet::BoundSheet() : Record(0x0085) {
    RecordSize();
}

uint32_t Workbook::BoundSheet::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    const uint8_t* d = FieldBytes(*this, 6);
    BOFpos = GetU32(d);
    visibility = d[4];
    type = d[5];
    if (ReadShortString(d + 6, dataSize > 6 ? dataSize - 6 : 0, name) == 0)
        name = CXLString();
    return used;
}

uint32_t Workbook::BoundSheet::Write(uint8_t* bytes) {
    uint8_t* d = StartEncoding(*this, DataSize());
    SetU32(d, BOFpos);
    d[4] = visibility;
    d[5] = type;
    WriteShortString(d + 6, name);
    return Record::Write(bytes);
}

uint32_t Workbook::BoundSheet::DataSize() {
    return dataSize = 6 + ShortStringSize(name);
}
uint32_t Workbook::BoundSheet::RecordSize() {
    return recordSize = DataSize() + 4;
}

Workbook::ExtSST::ExtSST() : Record(0x00FF) {
    RecordSize();
}

uint32_t Workbook::ExtSST::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    const uint8_t* d = FieldBytes(*this, 2);
    stringsTotal = GetU16(d);
    const uint32_t buckets = dataSize >= 2 ? (dataSize - 2) / 8 : 0;
    streamPos.resize(buckets);
    firstStringPos.resize(buckets);
    unused.resize(buckets);
    for (uint32_t i = 0; i < buckets; ++i) {
        streamPos[i] = GetU32(d + 2 + 8 * i);
        firstStringPos[i] = GetU16(d + 6 + 8 * i);
        unused[i] = GetU16(d + 8 + 8 * i);
    }
    return used;
}

uint32_t Workbook::ExtSST::Write(uint8_t* bytes) {
    uint8_t* d = StartEncoding(*this, DataSize());
    SetU16(d, stringsTotal);
    for (size_t i = 0; i < streamPos.size(); ++i) {
        SetU32(d + 2 + 8 * i, streamPos[i]);
        SetU16(d + 6 + 8 * i, i < firstStringPos.size() ? firstStringPos[i] : 0);
        SetU16(d + 8 + 8 * i, i < unused.size() ? unused[i] : 0);
    }
    return Record::Write(bytes);
}

uint32_t Workbook::ExtSST::DataSize() {
    return dataSize = 2 + 8 * static_cast<uint32_t>(streamPos.size());
}
uint32_t Workbook::ExtSST::RecordSize() {
    return recordSize = PiecedSize(DataSize());
}

} // namespace SheetIO
