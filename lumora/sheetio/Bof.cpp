#include "lumora/sheetio/Bof.h"

#include "lumora/sheetio/Bytes.h"

namespace SheetIO {

const uint8_t* FieldBytes(Record& record, uint32_t need) {
    if (record.data.size() < need)
        record.data.resize(need, 0);
    return record.data.data();
}

uint8_t* StartEncoding(Record& record, uint32_t size) {
    record.data.assign(size, 0);
    record.dataSize = size;
    record.continueIndices.clear();
    return record.data.data();
}

BOF::BOF(uint16_t substreamType) : Record(CODE_BOF), type(substreamType) {
    dataSize = 16;
    recordSize = 20;
}

uint32_t BOF::Read(const uint8_t* bytes, uint32_t available) {
    const uint32_t used = Record::Read(bytes, available);
    const uint8_t* d = FieldBytes(*this, 16);
    version = GetU16(d);
    type = GetU16(d + 2);
    buildIdentifier = GetU16(d + 4);
    buildYear = GetU16(d + 6);
    fileHistoryFlags = GetU32(d + 8);
    lowestExcelVersion = GetU32(d + 12);
    return used;
}

uint32_t BOF::Write(uint8_t* bytes) {
    uint8_t* d = StartEncoding(*this, 16);
    SetU16(d, version);
    SetU16(d + 2, type);
    SetU16(d + 4, buildIdentifier);
    SetU16(d + 6, buildYear);
    SetU32(d + 8, fileHistoryFlags);
    SetU32(d + 12, lowestExcelVersion);
    return Record::Write(bytes);
}

uint32_t BOF::DataSize() {
    return dataSize = 16;
}
uint32_t BOF::RecordSize() {
    return recordSize = 20;
}

YEOF::YEOF() : Record(CODE_EOF) {}

uint32_t YEOF::Read(const uint8_t* bytes, uint32_t available) {
    return Record::Read(bytes, available);
}

uint32_t YEOF::Write(uint8_t* bytes) {
    StartEncoding(*this, 0);
    return Record::Write(bytes);
}

uint32_t YEOF::DataSize() {
    return dataSize = 0;
}
uint32_t YEOF::RecordSize() {
    return recordSize = 4;
}

} // namespace SheetIO
