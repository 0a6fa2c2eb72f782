#include "lumora/sheetio/Workbook.h"

namespace SheetIO {

Workbook::Workbook() : m_bof(SUBSTREAM_GLOBALS) {}

uint32_t Workbook::Read(const uint8_t* bytes, uint32_t available) {
    uint32_t pos = 0;
    while (pos < available) {
        const uint8_t* at = bytes + pos;
        const uint32_t left = available - pos;
        switch (PeekCode(at, left)) {
        case CODE_BOF:
            // Another substream's BOF: the globals lack their EOF and end here.
            if (pos > 0)
                return pos;
            pos += m_bof.Read(at, left);
            break;
        case 0x003D:
            pos += m_window1.Read(at, left);
            break;
        case 0x00FC:
            pos += m_sst.Read(at, left);
            break;
        case 0x0031:
            pos += m_fonts.emplace_back().Read(at, left);
            break;
        case 0x041E:
            pos += m_formats.emplace_back().Read(at, left);
            break;
        case 0x00E0:
            pos += m_XFs.emplace_back().Read(at, left);
            break;
        case 0x0293:
            pos += m_styles.emplace_back().Read(at, left);
            break;
        case 0x0085:
            pos += m_boundSheets.emplace_back().Read(at, left);
            break;
        case CODE_EOF:
            return pos + m_eof.Read(at, left);
        default: {
            Record skipped;
            pos += skipped.Read(at, left);
        }
        }
    }
    return pos;
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
