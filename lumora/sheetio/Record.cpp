#include "lumora/sheetio/Record.h"

#include "lumora/sheetio/Bytes.h"

#include <cstring>

namespace SheetIO {

Record::Record() = default;
Record::Record(uint16_t recordCode) : code(recordCode) {}
Record::~Record() = default;

uint32_t Record::Read(const uint8_t* bytes, uint32_t available) {
    if (available < 4)
        throw EXCEPTION_DAMAGED{};
    code = GetU16(bytes);
    uint32_t length = GetU16(bytes + 2);
    if (length > available - 4)
        throw EXCEPTION_DAMAGED{};
    data.assign(bytes + 4, bytes + 4 + length);
    dataSize = length;
    recordSize = length + 4;
    continueIndices.clear();
    while (available - recordSize >= 4 && GetU16(bytes + recordSize) == CODE_CONTINUE) {
        const uint32_t piece = GetU16(bytes + recordSize + 2);
        if (piece > available - recordSize - 4)
            throw EXCEPTION_DAMAGED{};
        continueIndices.push_back(dataSize);
        const uint8_t* from = bytes + recordSize + 4;
        data.insert(data.end(), from, from + piece);
        dataSize += piece;
        recordSize += piece + 4;
    }
    return recordSize;
}

uint32_t Record::Write(uint8_t* bytes) {
    uint32_t pos = 0;
    auto piece = [&](uint16_t pieceCode, uint32_t from, uint32_t to) {
        SetU16(bytes + pos, pieceCode);
        SetU16(bytes + pos + 2, static_cast<uint16_t>(to - from));
        if (to > from)
            std::memcpy(bytes + pos + 4, data.data() + from, to - from);
        pos += 4 + (to - from);
    };
    if (UsesRememberedPieces()) {
        uint32_t from = 0;
        uint16_t pieceCode = code;
        for (uint32_t index : continueIndices) {
            piece(pieceCode, from, index);
            from = index;
            pieceCode = CODE_CONTINUE;
        }
        piece(CODE_CONTINUE, from, dataSize);
    } else {
        uint32_t from = 0;
        uint16_t pieceCode = code;
        while (dataSize - from > MAX_PIECE) {
            piece(pieceCode, from, from + MAX_PIECE);
            from += MAX_PIECE;
            pieceCode = CODE_CONTINUE;
        }
        piece(pieceCode, from, dataSize);
    }
    return pos;
}

const uint8_t* Record::ReadFields(const uint8_t* bytes, uint32_t available, uint32_t need) {
    if (available < 4)
        throw EXCEPTION_DAMAGED{};
    const uint32_t length = GetU16(bytes + 2);
    if (length > available - 4)
        throw EXCEPTION_DAMAGED{};
    const uint32_t end = 4 + length;
    const bool continued = available - end >= 4 && GetU16(bytes + end) == CODE_CONTINUE;
    if (length < need || continued) {
        Record::Read(bytes, available);
        if (data.size() < need)
            data.resize(need, 0);
        return data.data();
    }
    code = GetU16(bytes);
    data.clear();
    dataSize = length;
    recordSize = end;
    continueIndices.clear();
    return bytes + 4;
}

uint8_t* Record::WriteHeader(uint8_t* bytes, uint32_t size) {
    dataSize = size;
    recordSize = size + 4;
    continueIndices.clear();
    SetU16(bytes, code);
    SetU16(bytes + 2, static_cast<uint16_t>(size));
    return bytes + 4;
}

uint32_t Record::DataSize() {
    return dataSize;
}
uint32_t Record::RecordSize() {
    return recordSize;
}

bool Record::UsesRememberedPieces() const {
    if (continueIndices.empty())
        return false;
    uint32_t from = 0;
    for (uint32_t index : continueIndices) {
        if (index < from || index - from > MAX_PIECE)
            return false;
        from = index;
    }
    return from <= dataSize && dataSize - from <= MAX_PIECE;
}

uint32_t Record::PiecedSize(uint32_t size) const {
    const uint32_t pieces = size <= MAX_PIECE ? 1 : (size + MAX_PIECE - 1) / MAX_PIECE;
    return size + 4 * pieces;
}

} // namespace SheetIO
