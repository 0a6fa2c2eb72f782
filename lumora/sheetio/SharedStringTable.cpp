#include "lumora/sheetio/Bytes.h"
#include "lumora/sheetio/Workbook.h"

#include <algorithm>

namespace SheetIO {

Workbook::SharedStringTable::SharedStringTable() : Record(0x00FC) {
    RecordSize();
}

uint32_t Workbook::SharedStringTable::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    const uint8_t* d = FieldBytes(*this, 8);
    stringsTotal = GetU32(d);
    uniqueStringsTotal = GetU32(d + 4);
    strings.clear();
    // Each string takes at least 3 bytes, which bounds a damaged count.
    strings.reserve(std::min<uint32_t>(uniqueStringsTotal, dataSize / 3));
    CPiecedStringReader reader(data, dataSize, continueIndices, 8);
    CXLString s;
    for (uint32_t i = 0; i < uniqueStringsTotal; ++i) {
        if (cancel && i % 4096 == 0 && cancel->load(std::memory_order_relaxed))
            break;
        if (!reader.ReadString(s))
            break;
        strings.push_back(s);
    }
    // The strings hold all that is kept: the record's joined data, as large as the table, goes.
    std::vector<uint8_t>().swap(data);
    std::vector<uint32_t>().swap(continueIndices);
    return used;
}

uint32_t Workbook::SharedStringTable::Layout(uint8_t* out) {
    continueIndices.clear();
    uint32_t pos = 8;
    uint32_t pieceEnd = MAX_PIECE;
    if (out) {
        SetU32(out, stringsTotal);
        SetU32(out + 4, uniqueStringsTotal);
    }
    for (std::size_t i = 0; i < strings.size(); ++i) {
        const CXLStringView s = strings.View(i);
        // A string that would start with fewer than 12 bytes left begins a new piece instead.
        if (pos + 3 + s.CharBytes() > pieceEnd && pieceEnd - pos < 12) {
            continueIndices.push_back(pos);
            pieceEnd = pos + MAX_PIECE;
        }
        pos = PlacePiecedString(s, pos, pieceEnd, continueIndices, out);
    }
    return pos;
}

uint32_t Workbook::SharedStringTable::Write(uint8_t* bytes) {
    const uint32_t size = DataSize();
    data.assign(size, 0);
    Layout(data.data());
    return Record::Write(bytes);
}

uint32_t Workbook::SharedStringTable::DataSize() {
    return dataSize = Layout(nullptr);
}

uint32_t Workbook::SharedStringTable::RecordSize() {
    DataSize();
    return recordSize = dataSize + 4 * static_cast<uint32_t>(continueIndices.size() + 1);
}

} // namespace SheetIO
