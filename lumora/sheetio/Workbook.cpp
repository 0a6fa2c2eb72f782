#include "lumora/sheetio/Workbook.h"

#include "lumora/sheetio/Worksheet.h"

namespace SheetIO {

Workbook::Workbook() : m_bof(SUBSTREAM_GLOBALS) {}

uint32_t Workbook::Read(const uint8_t* bytes, uint32_t available) {
    uint32_t pos = 0;
    bool ended = false;
    while (pos < available && !ended) {
        // Another substream's BOF: the globals lack their EOF and end here.
        if (pos > 0 && PeekCode(bytes + pos, available - pos) == CODE_BOF)
            break;
        pos += ReadRecord(bytes + pos, available - pos, ended);
    }
    return pos;
}

uint32_t Workbook::ReadRecord(const uint8_t* at, uint32_t left, bool& ended) {
    switch (PeekCode(at, left)) {
    case CODE_BOF:
        return m_bof.Read(at, left);
    case 0x003D:
        return m_window1.Read(at, left);
    case 0x00FC:
        return m_sst.Read(at, left);
    case 0x0031:
        return m_fonts.Append(at, left);
    case 0x041E:
        return m_formats.Append(at, left);
    case 0x00E0:
        return m_XFs.Append(at, left);
    case 0x0293:
        return m_styles.Append(at, left);
    case 0x0085:
        return m_boundSheets.Append(at, left);
    case CODE_EOF:
        ended = true;
        return m_eof.Read(at, left);
    default:
        return RecordLength(at, left);
    }
}

uint32_t Workbook::Write(uint8_t* bytes) {
    uint32_t pos = m_bof.Write(bytes);
    pos += m_window1.Write(bytes + pos);
    const auto write = [&](Record& record) { pos += record.Write(bytes + pos); };
    m_fonts.ForEach(write);
    m_formats.ForEach([&](Format& format) {
        if (format.index >= FIRST_CUSTOM_FORMAT)
            write(format);
    });
    m_XFs.ForEach(write);
    m_styles.ForEach(write);
    m_boundSheets.ForEach(write);
    pos += m_sst.Write(bytes + pos);
    pos += m_eof.Write(bytes + pos);
    return pos;
}

uint32_t Workbook::RecordSize() {
    uint32_t size = m_bof.RecordSize() + m_window1.RecordSize();
    const auto add = [&](Record& record) { size += record.RecordSize(); };
    m_fonts.ForEach(add);
    m_formats.ForEach([&](Format& format) {
        if (format.index >= FIRST_CUSTOM_FORMAT)
            add(format);
    });
    m_XFs.ForEach(add);
    m_styles.ForEach(add);
    m_boundSheets.ForEach(add);
    return size + m_sst.RecordSize() + m_eof.RecordSize();
}

} // namespace SheetIO
