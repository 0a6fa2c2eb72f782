#include "StreamBuilder.h"
#include "lumora/sheetio/Bytes.h"
#include "lumora/sheetio/Workbook.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace sheetiotest;
using SheetIO::CXLString;
using SheetIO::Workbook;

namespace {

template <class T> Bytes Written(T& record) {
    Bytes out(record.RecordSize(), 0);
    EXPECT_EQ(record.Write(out.data()), out.size());
    return out;
}

TEST(Globals, RecordSizesOfTheDefaults) {
    Workbook::Font font;
    Workbook::BoundSheet sheet;
    Workbook::Format format;
    Workbook::Style style;
    Workbook::XF xf;
    Workbook::Window1 window;
    SheetIO::BOF bof;
    const struct {
        const char* name;
        SheetIO::Record& record;
        uint32_t dataSize;
    } cases[] = {{"FONT Arial", font, 26},
                 {"BOUNDSHEET Sheet1", sheet, 14},
                 {"FORMAT General", format, 19},
                 {"STYLE built-in", style, 4},
                 {"XF", xf, 20},
                 {"WINDOW1", window, 18},
                 {"BOF", bof, 16}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.record.DataSize(), c.dataSize) << c.name;
        EXPECT_EQ(c.record.RecordSize(), c.dataSize + 4) << c.name;
    }
}

TEST(Globals, FontAndBoundSheetBytes) {
    Workbook::Font font;
    const Bytes f = Written(font);
    const Bytes fontExpected = {0x31, 0x00, 26,   0x00, 0xC8, 0x00, 0x00, 0x00, 0xFF, 0x7F,
                                0x90, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 5,    1,
                                'A',  0,    'r',  0,    'i',  0,    'a',  0,    'l',  0};
    EXPECT_EQ(f, fontExpected);

    Workbook::BoundSheet sheet;
    sheet.BOFpos = 0x01020304;
    const Bytes s = Written(sheet);
    const Bytes sheetExpected = {0x85, 0x00, 14, 0x00, 0x04, 0x03, 0x02, 0x01, 0,
                                 0,    6,    0,  'S',  'h',  'e',  'e',  't',  '1'};
    EXPECT_EQ(s, sheetExpected);
}

TEST(Globals, WritesOnlyCustomFormats) {
    Workbook book;
    book.m_fonts.resize(1);
    Workbook::Format builtIn;
    builtIn.index = 20;
    Workbook::Format custom;
    custom.index = 164;
    book.m_formats.push_back(builtIn);
    book.m_formats.push_back(custom);
    book.m_boundSheets.resize(1);
    Bytes out(book.RecordSize(), 0);
    ASSERT_EQ(book.Write(out.data()), out.size());
    std::vector<uint16_t> formatIndices;
    for (const RecordAt& r : ListRecords(out))
        if (r.code == 0x041E)
            formatIndices.push_back(static_cast<uint16_t>(out[r.pos + 4] | (out[r.pos + 5] << 8)));
    EXPECT_EQ(formatIndices, std::vector<uint16_t>{164});

    Workbook back;
    back.Read(out.data(), static_cast<uint32_t>(out.size()));
    ASSERT_EQ(back.m_formats.size(), 1u);
    EXPECT_EQ(back.m_formats[0].fmtstring.wideChars, u"General");
}

TEST(Globals, DropsRecordsItDoesNotHold) {
    Bytes stream = Bof(0x0005);
    Add(stream, Rec(0x0042, {0xE4, 0x04})); // CODEPAGE
    Add(stream, Rec(0x00FF, Bytes(10, 0))); // EXTSST
    Add(stream, Rec(0x0022, {0, 0}));       // DATEMODE
    Add(stream, BoundSheetRec(0, "Data"));
    Add(stream, SstRec({"a", "b"}));
    Add(stream, Eof());
    Add(stream, Bof(0x0010)); // the next substream is not read
    Workbook book;
    ASSERT_EQ(book.Read(stream.data(), static_cast<uint32_t>(stream.size())), stream.size() - 20);
    ASSERT_EQ(book.m_boundSheets.size(), 1u);
    EXPECT_EQ(book.m_boundSheets[0].name.narrow, "Data");
    EXPECT_EQ(book.m_sst.strings.size(), 2u);

    Bytes out(book.RecordSize(), 0);
    ASSERT_EQ(book.Write(out.data()), out.size());
    for (const RecordAt& r : ListRecords(out))
        EXPECT_TRUE(r.code != 0x0042 && r.code != 0x00FF && r.code != 0x0022) << std::hex << r.code;
}

// 'data' cut into a record piece of at most 8224 bytes and CONTINUE pieces.
Bytes Pieced(uint16_t code, const Bytes& data) {
    Bytes out;
    for (size_t from = 0; from < data.size() || from == 0; from += 8224) {
        const size_t to = std::min(data.size(), from + 8224);
        Add(out, Rec(from == 0 ? code : 0x003C,
                     Bytes(data.begin() + static_cast<long>(from), data.begin() + static_cast<long>(to))));
    }
    return out;
}

TEST(Globals, LongStringsReadOverPiecesAreWrittenInOnePiece) {
    const struct {
        const char* name;
        uint16_t code;
        bool wide;
        uint16_t chars;
        uint32_t keptChars;
    } cases[] = {
        {"FORMAT 8-bit", 0x041E, false, 10000, 8219},
        {"FORMAT 16-bit", 0x041E, true, 6000, 4109},
        {"STYLE 16-bit", 0x0293, true, 5000, 4109},
        {"FORMAT that fits", 0x041E, false, 8219, 8219},
    };
    for (const auto& c : cases) {
        Bytes d;
        Put16(d, c.code == 0x041E ? 164 : 0x0010); // custom format index; user-defined style of XF 16
        Put16(d, c.chars);
        d.push_back(c.wide ? 1 : 0);
        for (uint32_t i = 0; i < c.chars; ++i) {
            d.push_back(static_cast<uint8_t>('a' + i % 26));
            if (c.wide)
                d.push_back(0x4E);
        }
        Bytes stream = Bof(0x0005);
        Add(stream, Pieced(c.code, d));
        Add(stream, Eof());
        Workbook book;
        ASSERT_EQ(book.Read(stream.data(), static_cast<uint32_t>(stream.size())), stream.size()) << c.name;

        Bytes out(book.RecordSize(), 0);
        ASSERT_EQ(book.Write(out.data()), out.size()) << c.name;
        uint32_t found = 0;
        for (const RecordAt& r : ListRecords(out)) {
            EXPECT_NE(r.code, 0x003C) << c.name;
            if (r.code == c.code) {
                found = SheetIO::GetU16(out.data() + r.pos + 6);
                EXPECT_EQ(r.length, 2 + 3 + found * (c.wide ? 2 : 1)) << c.name;
            }
        }
        EXPECT_EQ(found, c.keptChars) << c.name;
    }
}

TEST(SharedStrings, LongWideStringTakesThreePiecesAndReadsBackWhole) {
    Workbook::SharedStringTable sst;
    std::u16string text(9000, u'a');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(0x4E00 + i % 500);
    sst.strings.emplace_back(text);
    sst.stringsTotal = sst.uniqueStringsTotal = 1;
    const Bytes out = Written(sst);
    const auto pieces = ListRecords(out);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].code, 0x00FC);
    EXPECT_EQ(pieces[1].code, 0x003C);
    EXPECT_EQ(pieces[2].code, 0x003C);
    for (const RecordAt& p : pieces)
        EXPECT_LE(p.length, 8224);
    // Pieces after the first begin with the flags byte of a 16-bit string.
    EXPECT_EQ(out[pieces[1].pos + 4], 1);
    EXPECT_EQ(out[pieces[2].pos + 4], 1);

    Workbook::SharedStringTable back;
    ASSERT_EQ(back.Read(out.data(), static_cast<uint32_t>(out.size())), out.size());
    ASSERT_EQ(back.strings.size(), 1u);
    EXPECT_TRUE(back.strings[0].wide);
    EXPECT_EQ(back.strings[0].wideChars, text);
}

TEST(SharedStrings, ManyStringsRoundTripOverPieces) {
    Workbook::SharedStringTable sst;
    for (int i = 0; i < 3000; ++i) {
        if (i % 3 == 0)
            sst.strings.emplace_back(
                std::u16string(static_cast<size_t>(i % 37 + 1), static_cast<char16_t>(0x3B1 + i % 20)));
        else
            sst.strings.emplace_back(
                std::string(static_cast<size_t>(i % 41 + 1), static_cast<char>('a' + i % 26)));
    }
    sst.strings.emplace_back(std::string(20000, 'z'));
    sst.stringsTotal = sst.uniqueStringsTotal = static_cast<uint32_t>(sst.strings.size());
    const Bytes out = Written(sst);
    for (const RecordAt& p : ListRecords(out))
        EXPECT_LE(p.length, 8224);
    Workbook::SharedStringTable back;
    back.Read(out.data(), static_cast<uint32_t>(out.size()));
    ASSERT_EQ(back.strings.size(), sst.strings.size());
    for (size_t i = 0; i < sst.strings.size(); ++i) {
        EXPECT_EQ(back.strings[i].wide, sst.strings[i].wide) << i;
        EXPECT_EQ(back.strings[i].narrow, sst.strings[i].narrow) << i;
        EXPECT_EQ(back.strings[i].wideChars, sst.strings[i].wideChars) << i;
    }
}

// An SST whose only string begins 8-bit and continues in a piece of the given kind.
Bytes ContinuedSst(bool firstWide, const Bytes& firstChars, uint16_t count, bool secondWide,
                   const Bytes& secondChars) {
    Bytes d;
    Put32(d, 1);
    Put32(d, 1);
    Put16(d, count);
    d.push_back(firstWide ? 1 : 0);
    Add(d, firstChars);
    Bytes c;
    c.push_back(secondWide ? 1 : 0);
    Add(c, secondChars);
    Bytes stream = Rec(0x00FC, d);
    Add(stream, Rec(0x003C, c));
    return stream;
}

TEST(SharedStrings, ContinuationOfTheOtherKindKeepsEveryCharacter) {
    const struct {
        const char* name;
        Bytes stream;
        bool wide;
        std::u16string text;
        std::string narrow;
    } cases[] = {
        {"8-bit then 16-bit widens", ContinuedSst(false, {'A', 'B'}, 3, true, {0xA9, 0x03}), true, u"ABΩ",
         ""},
        {"16-bit then 8-bit zero-extends", ContinuedSst(true, {0x35, 0x75}, 2, false, {0xE9}), true, u"电é",
         ""},
        {"8-bit Latin-1 stays 8-bit", ContinuedSst(false, {'c', 'a', 'f'}, 4, false, {0xE9}), false, u"",
         "caf\xE9"},
    };
    for (const auto& c : cases) {
        Workbook::SharedStringTable sst;
        sst.Read(c.stream.data(), static_cast<uint32_t>(c.stream.size()));
        ASSERT_EQ(sst.strings.size(), 1u) << c.name;
        EXPECT_EQ(sst.strings[0].wide, c.wide) << c.name;
        EXPECT_EQ(sst.strings[0].wideChars, c.text) << c.name;
        EXPECT_EQ(sst.strings[0].narrow, c.narrow) << c.name;
    }
}

TEST(SharedStrings, DamagedCountsReadOnlyWhatIsThere) {
    Bytes d;
    Put32(d, 5);
    Put32(d, 1000000);
    Put16(d, 2);
    d.push_back(0);
    PutText(d, "ok");
    Put16(d, 500); // claims more characters than the record holds
    d.push_back(1);
    PutText(d, "xy");
    const Bytes stream = Rec(0x00FC, d);
    Workbook::SharedStringTable sst;
    sst.Read(stream.data(), static_cast<uint32_t>(stream.size()));
    ASSERT_EQ(sst.strings.size(), 1u);
    EXPECT_EQ(sst.strings[0].narrow, "ok");
}

} // namespace
