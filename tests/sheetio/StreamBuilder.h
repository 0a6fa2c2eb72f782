#pragma once

#include "lumora/sheetio/CompoundStorage.h"

#include <QString>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

// Builds BIFF8 record streams byte by byte for the tests, and reads records back from written ones.
namespace sheetiotest {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
    Put16(b, static_cast<uint16_t>(v));
    Put16(b, static_cast<uint16_t>(v >> 16));
}
inline void PutF64(Bytes& b, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    Put32(b, static_cast<uint32_t>(bits));
    Put32(b, static_cast<uint32_t>(bits >> 32));
}
inline void PutText(Bytes& b, const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
}

// One record piece: code, length, data.
inline Bytes Rec(uint16_t code, const Bytes& data) {
    Bytes b;
    Put16(b, code);
    Put16(b, static_cast<uint16_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

inline void Add(Bytes& stream, const Bytes& more) {
    stream.insert(stream.end(), more.begin(), more.end());
}

inline Bytes Bof(uint16_t type) {
    Bytes d;
    Put16(d, 0x0600);
    Put16(d, type);
    Put16(d, 0x19A0);
    Put16(d, 0x07CD);
    Put32(d, 0);
    Put32(d, 0x0306);
    return Rec(0x0809, d);
}
inline Bytes Eof() {
    return Rec(0x000A, {});
}

inline Bytes BoundSheetRec(uint32_t pos, const std::string& name, uint8_t type = 0) {
    Bytes d;
    Put32(d, pos);
    d.push_back(0);
    d.push_back(type);
    d.push_back(static_cast<uint8_t>(name.size()));
    d.push_back(0);
    PutText(d, name);
    return Rec(0x0085, d);
}

// A sheet name stored in 16-bit characters, as several writers store every name.
inline Bytes WideBoundSheetRec(uint32_t pos, const std::u16string& name) {
    Bytes d;
    Put32(d, pos);
    d.push_back(0);
    d.push_back(0);
    d.push_back(static_cast<uint8_t>(name.size()));
    d.push_back(1);
    for (char16_t ch : name)
        Put16(d, static_cast<uint16_t>(ch));
    return Rec(0x0085, d);
}

// SST of 8-bit strings in one piece.
inline Bytes SstRec(const std::vector<std::string>& strings) {
    Bytes d;
    Put32(d, static_cast<uint32_t>(strings.size()));
    Put32(d, static_cast<uint32_t>(strings.size()));
    for (const std::string& s : strings) {
        Put16(d, static_cast<uint16_t>(s.size()));
        d.push_back(0);
        PutText(d, s);
    }
    return Rec(0x00FC, d);
}

inline Bytes CellHeader(uint16_t row, uint16_t col, uint16_t xf = 0) {
    Bytes d;
    Put16(d, row);
    Put16(d, col);
    Put16(d, xf);
    return d;
}
inline Bytes NumberRec(uint16_t row, uint16_t col, double v) {
    Bytes d = CellHeader(row, col);
    PutF64(d, v);
    return Rec(0x0203, d);
}
inline Bytes LabelSstRec(uint16_t row, uint16_t col, uint32_t index) {
    Bytes d = CellHeader(row, col);
    Put32(d, index);
    return Rec(0x00FD, d);
}
// LABEL (0x0204) or RSTRING (0x00D6, with 'runs' formatting runs) holding its own text.
inline Bytes LabelRec(uint16_t row, uint16_t col, const std::u16string& text, bool wide,
                      uint16_t code = 0x0204, uint16_t runs = 0) {
    Bytes d = CellHeader(row, col);
    Put16(d, static_cast<uint16_t>(text.size()));
    d.push_back(wide ? 1 : 0);
    for (char16_t ch : text) {
        if (wide)
            Put16(d, static_cast<uint16_t>(ch));
        else
            d.push_back(static_cast<uint8_t>(ch));
    }
    if (code == 0x00D6) {
        Put16(d, runs);
        for (uint16_t i = 0; i < runs; ++i)
            Put32(d, i);
    }
    return Rec(code, d);
}
inline Bytes BoolErrRec(uint16_t row, uint16_t col, uint8_t value, bool error) {
    Bytes d = CellHeader(row, col);
    d.push_back(value);
    d.push_back(error ? 1 : 0);
    return Rec(0x0205, d);
}
inline Bytes RowRec(uint16_t row, uint16_t lastColPlusOne) {
    Bytes d;
    Put16(d, row);
    Put16(d, 0);
    Put16(d, lastColPlusOne);
    Put16(d, 0xFF);
    Put32(d, 0);
    Put32(d, 0x100);
    return Rec(0x0208, d);
}

// A workbook stream: globals with the given bound sheets (positions filled in) and SST, then the sheets.
struct SheetContent {
    std::string name;
    Bytes body;                   // records between the worksheet BOF and EOF
    std::u16string wideName = {}; // stored in 16-bit characters when set
};
inline Bytes BuildStream(const std::vector<SheetContent>& sheets, const std::vector<std::string>& sst,
                         const Bytes& extraGlobals = {}) {
    const auto globals = [&](const std::vector<uint32_t>& pos) {
        Bytes g = Bof(0x0005);
        Add(g, extraGlobals);
        for (size_t i = 0; i < sheets.size(); ++i)
            Add(g, sheets[i].wideName.empty() ? BoundSheetRec(pos[i], sheets[i].name)
                                              : WideBoundSheetRec(pos[i], sheets[i].wideName));
        Add(g, SstRec(sst));
        Add(g, Eof());
        return g;
    };
    std::vector<uint32_t> pos(sheets.size(), 0);
    uint32_t at = static_cast<uint32_t>(globals(pos).size());
    for (size_t i = 0; i < sheets.size(); ++i) {
        pos[i] = at;
        at += static_cast<uint32_t>(Bof(0x0010).size() + sheets[i].body.size() + 4);
    }
    Bytes stream = globals(pos);
    for (const SheetContent& s : sheets) {
        Add(stream, Bof(0x0010));
        Add(stream, s.body);
        Add(stream, Eof());
    }
    return stream;
}

// Writes 'stream' as the "Workbook" stream of a new compound file.
inline bool WriteWorkbookFile(const QString& path, const Bytes& stream,
                              const std::string& name = "Workbook") {
    auto storage = SheetIO::CCompoundStorage::Create(path);
    return storage && storage->CreateStream(name) == 1 &&
           storage->WriteStream(name, stream.data(), stream.size()) == 1;
}

inline Bytes ReadWorkbookStream(const QString& path) {
    Bytes stream;
    auto storage = SheetIO::CCompoundStorage::OpenForReading(path);
    if (storage)
        storage->ReadStream("Workbook", stream);
    return stream;
}

// Record headers of a stream, in order.
struct RecordAt {
    uint32_t pos;
    uint16_t code;
    uint16_t length;
};
inline std::vector<RecordAt> ListRecords(const Bytes& stream) {
    std::vector<RecordAt> out;
    for (uint32_t pos = 0; pos + 4 <= stream.size();) {
        const uint16_t code = static_cast<uint16_t>(stream[pos] | (stream[pos + 1] << 8));
        const uint16_t length = static_cast<uint16_t>(stream[pos + 2] | (stream[pos + 3] << 8));
        out.push_back({pos, code, length});
        pos += 4 + length;
    }
    return out;
}

} // namespace sheetiotest
