#include "lumora/sheetio/Worksheet.h"
#include "StreamBuilder.h"
#include "TempFolder.h"
#include "lumora/sheetio/Bytes.h"
#include "lumora/sheetio/ExcelDocument.h"

#include <gtest/gtest.h>

using namespace sheetiotest;
using SheetIO::Worksheet;
using CellBlock = Worksheet::CellTable::RowBlock::CellBlock;

namespace {

Bytes FormulaWithString(uint16_t row, uint16_t col, const std::string& result) {
    Bytes d = CellHeader(row, col);
    Bytes r = {0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
    Add(d, r);
    Put16(d, 0);
    Put32(d, 0);
    Add(d, {3, 0, 0x17, 1, 'x'}); // token bytes, kept as they are
    Bytes s;
    Put16(s, static_cast<uint16_t>(result.size()));
    s.push_back(0);
    PutText(s, result);
    Bytes out = Rec(0x0006, d);
    Add(out, Rec(0x0207, s));
    return out;
}

Bytes WrittenSheet(Worksheet& ws) {
    Bytes out(ws.RecordSize(), 0);
    EXPECT_EQ(ws.Write(out.data()), out.size());
    return out;
}

TEST(Worksheet, DropsRecordsItDoesNotHold) {
    Bytes s = Bof(0x0010);
    Add(s, Rec(0x0055, {8, 0})); // DEFCOLWIDTH
    Add(s, RowRec(0, 1));
    Add(s, NumberRec(0, 0, 1.5));
    Add(s, Rec(0x00D7, Bytes(6, 0)));
    Add(s, Rec(0x023E, Bytes(18, 0)));
    Add(s, Rec(0x0041, Bytes(10, 0))); // PANE
    Add(s, Rec(0x001D, Bytes(15, 0))); // SELECTION
    Add(s, Eof());
    Worksheet ws;
    ASSERT_EQ(ws.Read(s.data(), static_cast<uint32_t>(s.size())), s.size());
    ASSERT_EQ(ws.m_cellTable.rowBlocks.size(), 1u);
    EXPECT_EQ(ws.m_cellTable.rowBlocks[0].cellBlocks.size(), 1u);
    for (const RecordAt& r : ListRecords(WrittenSheet(ws)))
        EXPECT_TRUE(r.code != 0x0055 && r.code != 0x0041 && r.code != 0x001D) << std::hex << r.code;
}

TEST(Worksheet, WritesMergedRangesInRecordsOfAtMost1027) {
    Worksheet ws;
    for (uint16_t i = 0; i < 2000; ++i)
        ws.m_mergedCells.mergedCellsVector.push_back({i, i, 0, 1});
    const Bytes out = WrittenSheet(ws);
    std::vector<uint16_t> counts;
    for (const RecordAt& r : ListRecords(out))
        if (r.code == 0x00E5) {
            counts.push_back(static_cast<uint16_t>(out[r.pos + 4] | (out[r.pos + 5] << 8)));
            EXPECT_EQ(r.length, 2 + 8 * counts.back());
        }
    EXPECT_EQ(counts, (std::vector<uint16_t>{1027, 973}));
    Worksheet back;
    back.Read(out.data(), static_cast<uint32_t>(out.size()));
    ASSERT_EQ(back.m_mergedCells.mergedCellsVector.size(), 2000u);
    EXPECT_EQ(back.m_mergedCells.mergedCellsVector[1999].firstRow, 1999);
}

TEST(Worksheet, FormulaKeepsItsStringResult) {
    Bytes s = Bof(0x0010);
    Add(s, RowRec(0, 1));
    const Bytes formula = FormulaWithString(0, 0, "text result");
    Add(s, formula);
    Add(s, Rec(0x00D7, Bytes(6, 0)));
    Add(s, Eof());
    Worksheet ws;
    ws.Read(s.data(), static_cast<uint32_t>(s.size()));
    auto& cell = ws.m_cellTable.rowBlocks.at(0).cellBlocks.at(0);
    ASSERT_EQ(cell.Type(), 0x0006);
    auto& f = cell.As<CellBlock::Formula>();
    EXPECT_TRUE(f.hasString);
    EXPECT_EQ(f.string.string.narrow, "text result");
    EXPECT_EQ(f.RecordSize(), formula.size());
    Bytes out(f.RecordSize(), 0);
    ASSERT_EQ(f.Write(out.data()), out.size());
    EXPECT_EQ(out, formula);
}

// A formula's string result over CONTINUE pieces, each piece repeating the flags byte.
struct LongResultCase {
    const char* name;
    uint16_t count;
    bool firstWide;
    bool restWide;
};

class LongFormulaResult : public testing::TestWithParam<LongResultCase> {};

TEST_P(LongFormulaResult, ReadsWholeAndWritesBackWhole) {
    const LongResultCase& c = GetParam();
    Bytes formula = CellHeader(0, 0);
    Add(formula, {0, 0, 0, 0, 0, 0, 0xFF, 0xFF});
    Put16(formula, 0);
    Put32(formula, 0);
    std::u16string expected;
    Bytes first;
    Put16(first, c.count);
    first.push_back(c.firstWide ? 1 : 0);
    const size_t firstChars = c.firstWide ? (8224 - 3) / 2 : 8224 - 3;
    for (size_t i = 0; i < firstChars; ++i) {
        const char16_t ch = c.firstWide ? static_cast<char16_t>(0x4E00 + i % 500) : u'a';
        expected += ch;
        if (c.firstWide)
            Put16(first, static_cast<uint16_t>(ch));
        else
            first.push_back(static_cast<uint8_t>(ch));
    }
    Bytes s = Bof(0x0010);
    Add(s, RowRec(0, 1));
    Add(s, Rec(0x0006, formula));
    Add(s, Rec(0x0207, first));
    // The rest in pieces of at most 8,224 bytes.
    size_t left = c.count - firstChars;
    while (left > 0) {
        Bytes piece = {static_cast<uint8_t>(c.restWide ? 1 : 0)};
        const size_t chars = std::min(left, c.restWide ? size_t{8222 / 2} : size_t{8223});
        for (size_t i = 0; i < chars; ++i) {
            const char16_t ch = c.restWide ? static_cast<char16_t>(0x0410 + i % 32) : u'b';
            expected += ch;
            if (c.restWide)
                Put16(piece, static_cast<uint16_t>(ch));
            else
                piece.push_back(static_cast<uint8_t>(ch));
        }
        Add(s, Rec(0x003C, piece));
        left -= chars;
    }
    Add(s, Rec(0x00D7, Bytes(6, 0)));
    Add(s, Eof());

    auto resultOf = [](const CellBlock::Formula& f) {
        SheetIO::CXLString text = f.string.string;
        text.Widen();
        return text.wideChars;
    };
    Worksheet ws;
    ASSERT_EQ(ws.Read(s.data(), static_cast<uint32_t>(s.size())), s.size());
    auto& f = ws.m_cellTable.rowBlocks.at(0).cellBlocks.at(0).As<CellBlock::Formula>();
    ASSERT_TRUE(f.hasString);
    EXPECT_EQ(resultOf(f).size(), c.count);
    EXPECT_TRUE(resultOf(f) == expected);

    Bytes out(f.RecordSize(), 0);
    ASSERT_EQ(f.Write(out.data()), out.size());
    const auto records = ListRecords(out);
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ(records[1].code, 0x0207);
    for (size_t i = 2; i < records.size(); ++i) {
        EXPECT_EQ(records[i].code, 0x003C);
        EXPECT_LE(records[i].length, 8224);
    }
    Worksheet::CellTable::RowBlock::CellBlock::Formula back;
    ASSERT_EQ(back.Read(out.data(), static_cast<uint32_t>(out.size())), out.size());
    EXPECT_TRUE(resultOf(back) == expected);
}

INSTANTIATE_TEST_SUITE_P(Worksheet, LongFormulaResult,
                         testing::Values(LongResultCase{"Narrow9000", 9000, false, false},
                                         LongResultCase{"NarrowThenWide", 12000, false, true},
                                         LongResultCase{"Wide65535", 65535, true, true},
                                         LongResultCase{"WideThenNarrow", 20000, true, false}),
                         [](const testing::TestParamInfo<LongResultCase>& row) { return row.param.name; });

TEST(Worksheet, BoundsDamagedCountsByTheBytes) {
    Bytes mulrk = CellHeader(0, 0);
    mulrk.resize(4);
    for (int i = 0; i < 2; ++i) {
        Put16(mulrk, 0);
        Put32(mulrk, 0x3FF00000);
    }
    Put16(mulrk, 200); // claims 201 columns, holds 2
    Bytes mulblank = CellHeader(1, 5);
    mulblank.resize(4);
    Put16(mulblank, 0);
    Put16(mulblank, 3); // last column before the first
    Bytes merged;
    Put16(merged, 60000); // claims 60000 ranges, holds 1
    Put16(merged, 0);
    Put16(merged, 0);
    Put16(merged, 0);
    Put16(merged, 1);
    Bytes s = Bof(0x0010);
    Add(s, Rec(0x020B, Bytes(18, 0))); // INDEX with half an entry
    Add(s, RowRec(0, 2));
    Add(s, Rec(0x00BD, mulrk));
    Add(s, Rec(0x00BE, mulblank));
    Add(s, Rec(0x00D7, Bytes(5, 0))); // DBCELL with half an offset
    Add(s, Rec(0x00E5, merged));
    Add(s, Eof());
    Worksheet ws;
    ASSERT_EQ(ws.Read(s.data(), static_cast<uint32_t>(s.size())), s.size());
    EXPECT_TRUE(ws.m_index.DBCellPos.empty());
    auto& block = ws.m_cellTable.rowBlocks.at(0);
    EXPECT_TRUE(block.dbcell.offsets.empty());
    ASSERT_EQ(block.cellBlocks.size(), 2u);
    EXPECT_EQ(block.cellBlocks[0].As<CellBlock::MulRK>().XFRKs.size(), 2u);
    EXPECT_EQ(block.cellBlocks[0].As<CellBlock::MulRK>().lastColIndex, 1);
    EXPECT_TRUE(block.cellBlocks[1].As<CellBlock::MulBlank>().XFRecordIndices.empty());
    EXPECT_EQ(ws.m_mergedCells.mergedCellsVector.size(), 1u);
}

// Loads a stream written into a file and returns the document.
void LoadStream(ExcelDocument& doc, const TempFolder& dir, const Bytes& stream) {
    const QString path = dir.File("in.xls");
    ASSERT_TRUE(WriteWorkbookFile(path, stream));
    ASSERT_TRUE(doc.Load(path));
}

TEST(WorksheetLoad, SheetsWithoutDbcellCellsBeforeRowsAndChartsAllLoad) {
    TempFolder dir;
    // Sheet 1: cells before any ROW, no DBCELL at all.
    Bytes first;
    Add(first, NumberRec(0, 0, 1.25));
    Add(first, RowRec(1, 2));
    Add(first, LabelSstRec(1, 1, 0));
    Add(first, Rec(0x023E, Bytes(18, 0)));
    // Sheet 2: an embedded chart substream inside the worksheet, then a row block without DBCELL up to EOF.
    Bytes second;
    Add(second, Bof(0x0020));
    Add(second, Rec(0x1002, Bytes(16, 0)));
    Add(second, Eof());
    Add(second, RowRec(0, 1));
    Add(second, NumberRec(0, 0, 2.5));
    Bytes stream =
        BuildStream({{"One", first}, {"Two", second}, {"Three", NumberRec(2, 3, 3.75)}}, {"label"});
    // A chart sheet's substream before the third sheet.
    Bytes chart = Bof(0x0020);
    Add(chart, Rec(0x1002, Bytes(16, 0)));
    Add(chart, Eof());
    const size_t third = stream.size() - (20 + 18 + 4);
    stream.insert(stream.begin() + static_cast<long>(third), chart.begin(), chart.end());

    ExcelDocument doc;
    LoadStream(doc, dir, stream);
    ASSERT_EQ(doc.GetTotalSheets(), 3u);
    ExcelSheet* one = doc.GetSheetByName("One");
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->Cell(0, 0)->GetDouble(), 1.25);
    EXPECT_STREQ(one->Cell(1, 1)->GetString(), "label");
    ExcelSheet* two = doc.GetSheetByName("Two");
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->Cell(0, 0)->GetDouble(), 2.5);
    // The third sheet's position is off by the chart inserted before it, so it is found by order.
    ExcelSheet* three = doc.GetSheetByName("Three");
    ASSERT_NE(three, nullptr);
    EXPECT_EQ(three->GetIndex(), 2);
    EXPECT_EQ(three->Cell(2, 3)->GetDouble(), 3.75);
}

TEST(WorksheetLoad, GlobalsWithoutEofEndAtTheFirstSheet) {
    TempFolder dir;
    Bytes globals = Bof(0x0005);
    Add(globals, BoundSheetRec(0, "S"));
    Add(globals, SstRec({}));
    const uint32_t sheetPos = static_cast<uint32_t>(globals.size());
    globals = Bof(0x0005);
    Add(globals, BoundSheetRec(sheetPos, "S"));
    Add(globals, SstRec({}));
    Bytes stream = globals;
    Add(stream, Bof(0x0010));
    Add(stream, NumberRec(0, 0, 4.5));
    Add(stream, Eof());
    ExcelDocument doc;
    LoadStream(doc, dir, stream);
    ExcelSheet* s = doc.GetSheetByName("S");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Cell(0, 0)->GetDouble(), 4.5);

    // Saved again, the globals still begin with a globals BOF.
    ASSERT_TRUE(doc.SaveAs(dir.File("again.xls")));
    const Bytes again = ReadWorkbookStream(dir.File("again.xls"));
    ASSERT_GE(again.size(), 8u);
    EXPECT_EQ(SheetIO::GetU16(again.data() + 6), 0x0005);
    ExcelDocument back;
    ASSERT_TRUE(back.Load(dir.File("again.xls")));
    ASSERT_NE(back.GetSheetByName("S"), nullptr);
    EXPECT_EQ(back.GetSheetByName("S")->Cell(0, 0)->GetDouble(), 4.5);
}

TEST(WorksheetLoad, FarCellLoadsWithoutBuildingEveryRow) {
    TempFolder dir;
    Bytes body;
    Add(body, NumberRec(3, 1, 2.5));
    Add(body, NumberRec(65535, 255, 1.5));
    ExcelDocument doc;
    LoadStream(doc, dir, BuildStream({{"S", body}}, {}));
    ExcelSheet* s = doc.GetSheetByName("S");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetTotalRows(), 65536);
    EXPECT_EQ(s->GetTotalCols(), 256);
    ASSERT_NE(s->CellAt(0, 0), nullptr);
    EXPECT_EQ(s->CellAt(0, 0)->type, ExcelCell::eUndefined);
    EXPECT_EQ(s->CellAt(3, 1)->GetDouble(), 2.5);
    EXPECT_EQ(s->CellAt(65535, 254)->type, ExcelCell::eUndefined);
    EXPECT_EQ(s->CellAt(65535, 256), nullptr);
    EXPECT_EQ(s->Cell(65535, 255)->GetDouble(), 1.5);
    // Reaching a row not built yet leaves the cells handed out before where they are.
    ExcelCell* kept = s->Cell(3, 1);
    ExcelCell* other = s->Cell(40000, 7);
    ASSERT_NE(other, nullptr);
    other->SetString("x");
    EXPECT_EQ(kept, s->Cell(3, 1));
    EXPECT_EQ(kept->GetDouble(), 2.5);
    EXPECT_STREQ(s->CellAt(40000, 7)->GetString(), "x");
}

TEST(WorksheetLoad, MergedRangesSetTheExtentOfTheirTopLeftCell) {
    const struct {
        const char* name;
        uint16_t firstRow, lastRow, firstColumn, lastColumn;
        uint16_t rows, columns;
    } cases[] = {
        {"two by three", 1, 2, 2, 4, 2, 3},
        {"one cell", 0, 0, 0, 0, 1, 1},
        {"whole column", 0, 65535, 1, 1, 65535, 1},
        {"last before first", 3, 2, 0, 1, 1, 1},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        Bytes merged;
        Put16(merged, 1);
        Put16(merged, c.firstRow);
        Put16(merged, c.lastRow);
        Put16(merged, c.firstColumn);
        Put16(merged, c.lastColumn);
        Bytes body = NumberRec(5, 5, 1.0);
        Add(body, Rec(0x00E5, merged));
        ExcelDocument doc;
        LoadStream(doc, dir, BuildStream({{"S", body}}, {}));
        const ExcelCell* cell = doc.GetSheet(0)->CellAt(c.firstRow, c.firstColumn);
        ASSERT_NE(cell, nullptr) << c.name;
        EXPECT_EQ(cell->mergedRows, c.rows) << c.name;
        EXPECT_EQ(cell->mergedColumns, c.columns) << c.name;
    }
}

TEST(WorksheetLoad, OutOfRangeStringIndexLeavesTheCellEmpty) {
    TempFolder dir;
    Bytes body;
    Add(body, LabelSstRec(0, 0, 0));
    Add(body, LabelSstRec(0, 1, 7));
    Add(body, LabelSstRec(0, 2, 0xFFFFFFFF));
    ExcelDocument doc;
    LoadStream(doc, dir, BuildStream({{"S", body}}, {"only"}));
    ExcelSheet* s = doc.GetSheetByName("S");
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->Cell(0, 0)->GetString(), "only");
    EXPECT_EQ(s->Cell(0, 1)->type, ExcelCell::eUndefined);
    EXPECT_EQ(s->Cell(0, 2)->type, ExcelCell::eUndefined);
}

TEST(WorksheetLoad, TruncatedStreamKeepsWhatWasRead) {
    TempFolder dir;
    Bytes body;
    for (uint16_t r = 0; r < 50; ++r)
        Add(body, NumberRec(r, 0, r + 0.5));
    Bytes stream = BuildStream({{"S", body}, {"T", NumberRec(0, 0, 1)}}, {});
    const size_t cut = stream.size() - 18 - 24 - 18 * 20 - 7;
    stream.resize(cut);
    ExcelDocument doc;
    LoadStream(doc, dir, stream);
    ASSERT_GE(doc.GetTotalSheets(), 1u);
    ExcelSheet* s = doc.GetSheetByName("S");
    ASSERT_NE(s, nullptr);
    EXPECT_GE(s->GetTotalRows(), 29);
    EXPECT_EQ(s->Cell(28, 0)->GetDouble(), 28.5);
}

// Text cells that hold their own text, and booleans and errors: what they load as, and that a save
// and a second load keep them.
TEST(WorksheetLoad, OwnTextBooleanAndErrorCellsLoadAndSurviveASave) {
    TempFolder dir;
    std::u16string longWide;
    for (int i = 0; i < 5000; ++i)
        longWide += static_cast<char16_t>(0x4E00 + i % 700);
    Bytes body;
    Add(body, LabelRec(0, 0, u"Time", false));
    Add(body, LabelRec(0, 1, u"电流 (A)", true));
    Add(body, LabelRec(1, 0, u"caf\u00e9", false, 0x00D6, 2)); // RSTRING with two runs
    Add(body, LabelRec(1, 1, u"Ω formatted", true, 0x00D6, 1));
    Add(body, BoolErrRec(2, 0, 1, false));
    Add(body, BoolErrRec(2, 1, 0, false));
    Add(body, BoolErrRec(2, 2, 0x07, true)); // #DIV/0!
    Add(body, BoolErrRec(2, 3, 0x2A, true)); // #N/A
    // A long LABEL goes on in a CONTINUE piece that repeats the flags byte.
    Bytes longLabel = CellHeader(3, 0);
    Put16(longLabel, static_cast<uint16_t>(longWide.size()));
    longLabel.push_back(1);
    const size_t firstChars = (8224 - longLabel.size()) / 2;
    for (size_t i = 0; i < firstChars; ++i)
        Put16(longLabel, static_cast<uint16_t>(longWide[i]));
    Bytes rest = {1};
    for (size_t i = firstChars; i < longWide.size(); ++i)
        Put16(rest, static_cast<uint16_t>(longWide[i]));
    Add(body, Rec(0x0204, longLabel));
    Add(body, Rec(0x003C, rest));
    Add(body, NumberRec(3, 1, 2.5));

    const struct {
        const char* name;
        int row, column;
        int type;
        std::string text; // UTF-8 of the text, or the integer value of a boolean or error
    } cases[] = {
        {"8-bit LABEL", 0, 0, ExcelCell::eString, "Time"},
        {"16-bit LABEL", 0, 1, ExcelCell::eWString, "电流 (A)"},
        {"8-bit RSTRING", 1, 0, ExcelCell::eString, "café"},
        {"16-bit RSTRING", 1, 1, ExcelCell::eWString, "Ω formatted"},
        {"true", 2, 0, ExcelCell::eBool, "1"},
        {"false", 2, 1, ExcelCell::eBool, "0"},
        {"#DIV/0!", 2, 2, ExcelCell::eError, "7"},
        {"#N/A", 2, 3, ExcelCell::eError, "42"},
        {"LABEL over a CONTINUE", 3, 0, ExcelCell::eWString,
         QString::fromStdU16String(longWide).toStdString()},
    };
    auto expectCells = [&](ExcelSheet* sheet, const char* when) {
        ASSERT_NE(sheet, nullptr) << when;
        for (const auto& c : cases) {
            const ExcelCell* cell = sheet->CellAt(c.row, c.column);
            ASSERT_NE(cell, nullptr) << c.name << " " << when;
            EXPECT_EQ(cell->type, c.type) << c.name << " " << when;
            std::string text;
            if (cell->type == ExcelCell::eString)
                text = QString::fromLatin1(cell->GetString()).toStdString();
            else if (cell->type == ExcelCell::eWString)
                text = QString::fromStdU16String(cell->GetWString()).toStdString();
            else
                text = std::to_string(cell->ival);
            EXPECT_EQ(text, c.text) << c.name << " " << when;
        }
        EXPECT_EQ(sheet->CellAt(3, 1)->GetDouble(), 2.5) << when;
    };
    ExcelDocument doc;
    LoadStream(doc, dir, BuildStream({{"S", body}}, {}));
    expectCells(doc.GetSheetByName("S"), "loaded");
    EXPECT_EQ(doc.GetSheetByName("S")->CellAt(2, 0)->GetDouble(), 1.0);
    EXPECT_EQ(doc.GetSheetByName("S")->CellAt(2, 0)->GetInteger(), 1);
    EXPECT_EQ(doc.GetSheetByName("S")->CellAt(2, 2)->GetDouble(), 0.0); // an error is no number
    EXPECT_EQ(doc.GetSheetByName("S")->CellAt(2, 2)->GetInteger(), 0);

    ASSERT_TRUE(doc.SaveAs(dir.File("again.xls")));
    ExcelDocument back;
    ASSERT_TRUE(back.Load(dir.File("again.xls")));
    expectCells(back.GetSheetByName("S"), "saved and loaded again");
}

// A formula's string result longer than one record piece is kept whole through a load and a save.
TEST(WorksheetLoad, LongFormulaStringResultSurvivesLoadAndSave) {
    TempFolder dir;
    const std::string result = std::string(8221, 'a') + std::string(20000, 'z');
    Bytes formula = CellHeader(0, 0);
    Add(formula, {0, 0, 0, 0, 0, 0, 0xFF, 0xFF});
    Put16(formula, 0);
    Put32(formula, 0);
    Bytes body = Rec(0x0006, formula);
    Bytes text;
    Put16(text, static_cast<uint16_t>(result.size()));
    text.push_back(0);
    PutText(text, result.substr(0, 8221));
    Add(body, Rec(0x0207, text));
    for (size_t at = 8221; at < result.size(); at += 8223) {
        Bytes piece = {0};
        PutText(piece, result.substr(at, 8223));
        Add(body, Rec(0x003C, piece));
    }
    ExcelDocument doc;
    LoadStream(doc, dir, BuildStream({{"S", body}}, {}));
    ASSERT_NE(doc.GetSheet(0), nullptr);
    ASSERT_NE(doc.GetSheet(0)->CellAt(0, 0)->GetString(), nullptr);
    EXPECT_EQ(std::string(doc.GetSheet(0)->CellAt(0, 0)->GetString()), result);
    ASSERT_TRUE(doc.SaveAs(dir.File("again.xls")));
    ExcelDocument back;
    ASSERT_TRUE(back.Load(dir.File("again.xls")));
    ASSERT_NE(back.GetSheet(0)->CellAt(0, 0)->GetString(), nullptr);
    EXPECT_EQ(std::string(back.GetSheet(0)->CellAt(0, 0)->GetString()), result);
}

// Every cell that names one shared string holds that same text, not a copy of its own.
TEST(WorksheetLoad, CellsOfOneSharedStringShareItsText) {
    TempFolder dir;
    Bytes body;
    for (uint16_t r = 0; r < 50; ++r)
        Add(body, LabelSstRec(r, 0, 0));
    ExcelDocument doc;
    LoadStream(doc, dir, BuildStream({{"S", body}}, {std::string(1000, 'q')}));
    const ExcelSheet* s = doc.GetSheet(0);
    ASSERT_NE(s, nullptr);
    const char* first = s->CellAt(0, 0)->GetString();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(std::string(first), std::string(1000, 'q'));
    for (int r = 1; r < 50; ++r)
        ASSERT_EQ(s->CellAt(r, 0)->GetString(), first) << r;
}

// A sheet of several megabytes loads record by record: long record groups (a LABEL and a formula
// result over CONTINUE pieces, a formula with its shared formula, an embedded chart) fall across
// the points where the reader reads on, and every value still lands where it belongs.
TEST(WorksheetLoad, LargeSheetLoadsWholeRecordByRecord) {
    TempFolder dir;
    struct Expected {
        uint16_t row;
        std::u16string text; // empty for a number
        double number;
    };
    std::vector<Expected> expected;
    Bytes body;
    Add(body, Rec(0x007D, Bytes(12, 0))); // COLINFO
    uint16_t row = 0;
    for (int round = 0; body.size() < 3'000'000; ++round) {
        for (int k = 0; k < 1 + round % 97; ++k, ++row) {
            Add(body, NumberRec(row, 0, row * 0.5 + 0.25));
            expected.push_back({row, {}, row * 0.5 + 0.25});
        }
        std::u16string text;
        // Every fifth text is longer than the reader first looks ahead for a record.
        const int length = round % 5 == 4 ? 40000 + round % 1000 : 4000 + round * 37 % 9000;
        for (int i = 0; i < length; ++i)
            text += static_cast<char16_t>(0x4E00 + (i + round) % 2000);
        Bytes label = CellHeader(row, 1);
        Put16(label, static_cast<uint16_t>(text.size()));
        label.push_back(1);
        size_t at = 0;
        for (; at < text.size() && label.size() + 2 <= 8224; ++at)
            Put16(label, static_cast<uint16_t>(text[at]));
        Add(body, Rec(0x0204, label));
        while (at < text.size()) {
            Bytes piece = {1};
            for (; at < text.size() && piece.size() + 2 <= 8224; ++at)
                Put16(piece, static_cast<uint16_t>(text[at]));
            Add(body, Rec(0x003C, piece));
        }
        expected.push_back({row, text, 0});

        Bytes formula = CellHeader(row, 2);
        Add(formula, {0, 0, 0, 0, 0, 0, 0xFF, 0xFF});
        Put16(formula, 0);
        Put32(formula, 0);
        Add(body, Rec(0x0006, formula));
        Add(body, Rec(0x00BC, Bytes(8 + round % 50, 0))); // SHRFMLA
        const std::string result = std::string(9000 + round % 3000, static_cast<char>('a' + round % 26));
        Bytes string;
        Put16(string, static_cast<uint16_t>(result.size()));
        string.push_back(0);
        PutText(string, result.substr(0, 8221));
        Add(body, Rec(0x0207, string));
        for (size_t from = 8221; from < result.size(); from += 8223) {
            Bytes piece = {0};
            PutText(piece, result.substr(from, 8223));
            Add(body, Rec(0x003C, piece));
        }
        expected.push_back({row, QString::fromStdString(result).toStdU16String(), 0});

        // An embedded chart, with records of its own that would be cells in a sheet.
        Add(body, Bof(0x0020));
        for (int k = 0; k < 300; ++k)
            Add(body, NumberRec(0, 0, -1));
        Add(body, Eof());
        Add(body, Rec(0x00E5, {1, 0, static_cast<uint8_t>(row), static_cast<uint8_t>(row >> 8),
                               static_cast<uint8_t>(row), static_cast<uint8_t>(row >> 8), 1, 0, 2, 0}));
        Add(body, Rec(0x1234, Bytes(100 + round % 200, 7))); // a record nobody reads
        ++row;
    }
    ExcelDocument doc;
    LoadStream(doc, dir, BuildStream({{"Big", body}, {"After", NumberRec(0, 0, 42)}}, {}));
    ASSERT_EQ(doc.GetTotalSheets(), 2u);
    ExcelSheet* s = doc.GetSheetByName("Big");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetTotalRows(), row);
    int wrong = 0;
    for (const Expected& e : expected) {
        const int column = e.text.empty()
                               ? 0
                               : (s->CellAt(e.row, 1)->type == ExcelCell::eWString &&
                                          std::u16string(s->CellAt(e.row, 1)->GetWString()) == e.text
                                      ? 1
                                      : 2);
        const ExcelCell* cell = s->CellAt(e.row, column);
        const bool right = e.text.empty()
                               ? cell->GetDouble() == e.number
                               : cell->GetWString() && std::u16string(cell->GetWString()) == e.text;
        if (!right && ++wrong <= 5)
            ADD_FAILURE() << "row " << e.row << " column " << column;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(s->CellAt(1, 1)->mergedColumns, 2); // the first LABEL's row
    ASSERT_NE(doc.GetSheetByName("After"), nullptr);
    EXPECT_EQ(doc.GetSheetByName("After")->Cell(0, 0)->GetDouble(), 42.0);
}

} // namespace
