#pragma once

#include "lumora/sheetio/Bof.h"
#include "lumora/sheetio/RecordList.h"
#include "lumora/sheetio/StringPool.h"
#include "lumora/sheetio/XLString.h"

#include <atomic>
#include <vector>

namespace SheetIO {

// The records of the workbook-globals substream, read in one pass and written in a fixed order.
class Workbook {
public:
    class Window1 : public Record {
    public:
        Window1();
        uint32_t Read(const uint8_t* bytes, uint32_t available) override;
        uint32_t Write(uint8_t* bytes) override;
        uint32_t DataSize() override;
        uint32_t RecordSize() override;

        uint16_t horizontalPos = 0x0078;
        uint16_t verticalPos = 0x0078;
        uint16_t width = 0x3B1F;
        uint16_t height = 0x2454;
        uint16_t options = 0x0038;
        uint16_t activeSheet = 0;
        uint16_t firstVisibleTab = 0;
        uint16_t selectedSheets = 1;
        uint16_t tabBarWidth = 600;
    };

    class Font : public Record {
    public:
        Font();
        uint32_t Read(const uint8_t* bytes, uint32_t available) override;
        uint32_t Write(uint8_t* bytes) override;
        uint32_t DataSize() override;
        uint32_t RecordSize() override;

        uint16_t height = 200;
        uint16_t options = 0;
        uint16_t colourIndex = 0x7FFF;
        uint16_t weight = 400;
        uint16_t escapementType = 0;
        uint8_t underlineType = 0;
        uint8_t family = 0;
        uint8_t characterSet = 0;
        uint8_t unused = 0;
        CXLString name{std::u16string(u"Arial")};
    };

    class Format : public Record {
    public:
        Format();
        uint32_t Read(const uint8_t* bytes, uint32_t available) override;
        uint32_t Write(uint8_t* bytes) override;
        uint32_t DataSize() override;
        uint32_t RecordSize() override;

        uint16_t index = 0;
        CXLString fmtstring{std::u16string(u"General")};
    };

    class XF : public Record {
    public:
        XF();
        uint32_t Read(const uint8_t* bytes, uint32_t available) override;
        uint32_t Write(uint8_t* bytes) override;
        uint32_t DataSize() override;
        uint32_t RecordSize() override;

        uint16_t fontRecordIndex = 0;
        uint16_t formatRecordIndex = 0;
        uint16_t protectionType = 0xFFF5;
        uint8_t alignment = 0x20;
        uint8_t rotation = 0;
        uint8_t textProperties = 0;
        uint8_t usedAttributes = 0;
        uint32_t borderLines = 0;
        uint32_t colour1 = 0;
        uint16_t colour2 = 0x20C0;
    };

    class Style : public Record {
    public:
        Style();
        uint32_t Read(const uint8_t* bytes, uint32_t available) override;
        uint32_t Write(uint8_t* bytes) override;
        uint32_t DataSize() override;
        uint32_t RecordSize() override;

        uint16_t XFRecordIndex = 0x8000;
        uint8_t identifier = 0;
        uint8_t level = 0xFF;
        CXLString name;
    };

    class BoundSheet : public Record {
    public:
        BoundSheet();
        uint32_t Read(const uint8_t* bytes, uint32_t available) override;
        uint32_t Write(uint8_t* bytes) override;
        uint32_t DataSize() override;
        uint32_t RecordSize() override;

        uint32_t BOFpos = 0;
        uint8_t visibility = 0;
        uint8_t type = 0;
        CXLString name{std::string("Sheet1")};
    };

    class SharedStringTable : public Record {
    public:
        SharedStringTable();
        uint32_t Read(const uint8_t* bytes, uint32_t available) override;
        uint32_t Write(uint8_t* bytes) override;
        uint32_t DataSize() override;
        uint32_t RecordSize() override;

        uint32_t stringsTotal = 0;
        uint32_t uniqueStringsTotal = 0;
        CStringPool strings;
        // When set, Read stops taking strings once it is true (a table may hold millions).
        const std::atomic<bool>* cancel = nullptr;

    private:
        // Lays the strings out over pieces and records their boundaries; emits them when 'out' is set.
        uint32_t Layout(uint8_t* out);
    };

    class ExtSST : public Record {
    public:
        ExtSST();
        uint32_t Read(const uint8_t* bytes, uint32_t available) override;
        uint32_t Write(uint8_t* bytes) override;
        uint32_t DataSize() override;
        uint32_t RecordSize() override;

        uint16_t stringsTotal = 0;
        std::vector<uint32_t> streamPos;
        std::vector<uint16_t> firstStringPos;
        std::vector<uint16_t> unused;
    };

    Workbook();

    // Reads from the globals BOF through its EOF; returns the bytes consumed.
    uint32_t Read(const uint8_t* bytes, uint32_t available);
    // Reads the one record at 'bytes' (with its CONTINUE pieces) as Read does; sets 'ended' at the
    // EOF. A BOF is read as the globals' own.
    uint32_t ReadRecord(const uint8_t* bytes, uint32_t available, bool& ended);
    uint32_t Write(uint8_t* bytes);
    uint32_t RecordSize();

    BOF m_bof;
    Window1 m_window1;
    // Kept as their bytes: a workbook may hold any number of them (CRecordList).
    CRecordList<Font> m_fonts;
    CRecordList<XF> m_XFs;
    CRecordList<Style> m_styles;
    CRecordList<Format> m_formats;
    CRecordList<BoundSheet> m_boundSheets;
    SharedStringTable m_sst;
    ExtSST m_extSST;
    YEOF m_eof;

    // Built-in formats below this index are implied and never written.
    static constexpr uint16_t FIRST_CUSTOM_FORMAT = 164;
};

} // namespace SheetIO
