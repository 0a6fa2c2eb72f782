#pragma once

#include <cstdint>
#include <vector>

namespace SheetIO {

constexpr uint16_t CODE_CONTINUE = 0x003C;
constexpr uint32_t MAX_PIECE = 8224; // data bytes of one record piece in BIFF8

// Thrown by the row-block reader at a worksheet's EOF met before a DBCELL.
struct EXCEPTION_YEOF {
    uint32_t bytesRead;
};

// Thrown when a record header or length runs past the end of the stream.
struct EXCEPTION_DAMAGED {};

// Base of every record: the header, the joined data of all CONTINUE pieces and their boundaries.
class Record {
public:
    Record();
    explicit Record(uint16_t recordCode);
    virtual ~Record();
    Record(const Record&) = default;
    Record(Record&&) noexcept = default;
    Record& operator=(const Record&) = default;
    Record& operator=(Record&&) noexcept = default;

    // Parses one record from at most 'available' stream bytes; returns the stream bytes consumed.
    virtual uint32_t Read(const uint8_t* bytes, uint32_t available);
    // Serialises the record at 'bytes' (room for RecordSize() bytes); returns the bytes written.
    virtual uint32_t Write(uint8_t* bytes);
    virtual uint32_t DataSize();
    virtual uint32_t RecordSize();

    uint16_t code = 0;
    std::vector<uint8_t> data;
    uint32_t dataSize = 0;
    uint32_t recordSize = 4;
    std::vector<uint32_t> continueIndices;

protected:
    // Stream size of 'size' data bytes cut into pieces of at most 8224 bytes.
    uint32_t PiecedSize(uint32_t size) const;
    // Remembered boundaries are used only while they still cut the data into valid pieces.
    bool UsesRememberedPieces() const;
    // Cell-table records are many: when the record has no CONTINUE piece, its fields are decoded
    // straight from the stream without copying them into 'data'. Returns at least 'need' bytes of
    // fields (zero-padded when the record is shorter).
    const uint8_t* ReadFields(const uint8_t* bytes, uint32_t available, uint32_t need);
    // Writes the header of a one-piece record of 'size' data bytes; the caller writes the fields
    // at the returned address.
    uint8_t* WriteHeader(uint8_t* bytes, uint32_t size);
};

// Code of the record at 'bytes', or 0 when fewer than 4 bytes remain.
inline uint16_t PeekCode(const uint8_t* bytes, uint32_t available) {
    return available >= 4 ? static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)) : 0;
}

} // namespace SheetIO
