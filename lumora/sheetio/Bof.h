#pragma once

#include "lumora/sheetio/Record.h"

namespace SheetIO {

constexpr uint16_t CODE_BOF = 0x0809;
constexpr uint16_t CODE_EOF = 0x000A;
constexpr uint16_t SUBSTREAM_GLOBALS = 0x0005;
constexpr uint16_t SUBSTREAM_WORKSHEET = 0x0010;

// Start of a substream (globals, worksheet, chart, macro sheet).
class BOF : public Record {
public:
    explicit BOF(uint16_t substreamType = SUBSTREAM_GLOBALS);
    uint32_t Read(const uint8_t* bytes, uint32_t available) override;
    uint32_t Write(uint8_t* bytes) override;
    uint32_t DataSize() override;
    uint32_t RecordSize() override;

    uint16_t version = 0x0600;
    uint16_t type;
    uint16_t buildIdentifier = 0x19A0;
    uint16_t buildYear = 0x07CD;
    uint32_t fileHistoryFlags = 0xC0C9;
    uint32_t lowestExcelVersion = 0x306;
};

// End of a substream.
class YEOF : public Record {
public:
    YEOF();
    uint32_t Read(const uint8_t* bytes, uint32_t available) override;
    uint32_t Write(uint8_t* bytes) override;
    uint32_t DataSize() override;
    uint32_t RecordSize() override;
};

// Shared by the record classes: data bytes padded with zeros to 'need', so a short record decodes
// its missing fields as 0 instead of reading past its data.
const uint8_t* FieldBytes(Record& record, uint32_t need);
// Sizes the data to 'size' zero bytes for encoding and forgets remembered piece boundaries.
uint8_t* StartEncoding(Record& record, uint32_t size);

} // namespace SheetIO
