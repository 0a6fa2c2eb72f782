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
        return m_fonts.emplace_back().Read(at, left);
    case 0x041E:
        return m_formats.emplace_back().Read(at, left);
    case 0x00E0:
        return m_XFs.emplace_back().Read(at, left);
    case 0x0293:
        return m_styles.emplace_back().Read(at, left);
    case 0x0085:
        return m_boundSheets.emplace_back().Read(at, left);
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
    for (Font& font : m_fonts)
        pos += font.Write(bytes + pos);
    for (Format& format : m_formats)
        if (format.index >= FIRST_CUSTOM_FORMAT)
            pos += format.Write(bytes + pos);
    for (XF& xf : m_XFs)
        pos += xf.Write(bytes + pos);
    for (Style& style : m_styles)
        pos += style.Write(bytes + pos);
    for (BoundSheet& sheet : m_boundSheets)
        pos += sheet.Write(bytes + pos);
    pos += m_sst.Write(bytes + pos);
    pos += m_eof.Write(bytes + pos);
    return pos;
}

uint32_t Workbook::RecordSize() {
    uint32_t size = m_bof.RecordSize() + m_window1.RecordSize();
    for (Font& font : m_fonts)
        size += font.RecordSize();
    for (Format& format : m_formats)
        if (format.index >= FIRST_CUSTOM_FORMAT)
            size += format.RecordSize();
    for (XF& xf : m_XFs)
        size += xf.RecordSize();
    for (Style& style : m_styles)
        size += style.RecordSize();
    for (BoundSheet& sheet : m_boundSheets)
        size += sheet.RecordSize();
    return size + m_sst.RecordSize() + m_eof.RecordSize();
}

} // namespace SheetIO
