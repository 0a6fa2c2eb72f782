#include "StreamBuilder.h"
#include "TempFolder.h"
#include "lumora/sheetio/CompoundStorage.h"
#include "lumora/sheetio/ExcelDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace sheetiotest;
using SheetIO::CCompoundStorage;

namespace {

TEST(Document, NewRenameAndLookUp) {
    ExcelDocument doc;
    doc.New();
    ASSERT_EQ(doc.GetTotalSheets(), 1u);
    ExcelSheet* sheet = doc.GetSheetByName("Sheet1");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->GetTotalRows(), 1);
    EXPECT_EQ(sheet->GetTotalCols(), 1);
    EXPECT_TRUE(doc.RenameSheet("Sheet1", "Current"));
    EXPECT_EQ(doc.GetSheetByName("Current"), sheet);
    EXPECT_EQ(doc.GetSheetByName("Sheet1"), nullptr);
    EXPECT_EQ(doc.GetSheetByName("current"), nullptr); // names compare exactly
    EXPECT_FALSE(doc.RenameSheet("Sheet1", "Other"));
    EXPECT_FALSE(doc.RenameSheet("Current", std::string(256, 'x').c_str()));
}

TEST(Document, RenameToAnExistingNameChangesNothing) {
    TempFolder dir;
    ASSERT_TRUE(WriteWorkbookFile(dir.File("two.xls"),
                                  BuildStream({{"A", NumberRec(0, 0, 1)}, {"B", NumberRec(0, 0, 2)}}, {})));
    ExcelDocument doc;
    ASSERT_TRUE(doc.Load(dir.File("two.xls")));
    EXPECT_FALSE(doc.RenameSheet("A", "B"));
    EXPECT_EQ(doc.GetSheetByName("A")->Cell(0, 0)->GetDouble(), 1.0);
    EXPECT_EQ(doc.GetSheetByName("B")->Cell(0, 0)->GetDouble(), 2.0);
}

// Several writers store every sheet name in 16-bit characters, and a non-Latin name can only be
// stored so: such sheets are found by name as well.
TEST(Document, SheetsNamedIn16BitCharactersAreFoundByName) {
    TempFolder dir;
    std::vector<SheetContent> sheets = {{"", NumberRec(0, 0, 1), u"Data"},
                                        {"", NumberRec(0, 0, 2), u"电流"},
                                        {"Plain", NumberRec(0, 0, 3)},
                                        {"", NumberRec(0, 0, 4), u"Caf\u00e9"}};
    ASSERT_TRUE(WriteWorkbookFile(dir.File("wide.xls"), BuildStream(sheets, {})));
    ExcelDocument doc;
    ASSERT_TRUE(doc.Load(dir.File("wide.xls")));
    const struct {
        const char* name;
        double value; // 0: no sheet
    } cases[] = {
        {"Data", 1}, {"电流", 2}, {"Plain", 3}, {"Caf\xC3\xA9", 4}, {"Caf\xE9", 4}, {"data", 0}, {"电", 0},
    };
    for (const auto& c : cases) {
        ExcelSheet* sheet = doc.GetSheetByName(c.name);
        if (c.value == 0) {
            EXPECT_EQ(sheet, nullptr) << c.name;
            continue;
        }
        ASSERT_NE(sheet, nullptr) << c.name;
        EXPECT_EQ(sheet->Cell(0, 0)->GetDouble(), c.value) << c.name;
    }
    EXPECT_FALSE(doc.RenameSheet("Plain", "Data")); // taken by a 16-bit name
    ASSERT_TRUE(doc.RenameSheet("Data", "Readings"));
    EXPECT_EQ(doc.GetSheetByName("Readings")->Cell(0, 0)->GetDouble(), 1.0);
    EXPECT_EQ(doc.GetSheetByName("Data"), nullptr);
}

TEST(Document, CellGrowsTheGridAndRefusesWhatRecordsCannotHold) {
    ExcelDocument doc;
    doc.New();
    ExcelSheet* s = doc.GetSheet(0);
    EXPECT_EQ(s->Cell(0, 256), nullptr);
    EXPECT_EQ(s->Cell(65536, 0), nullptr);
    s->Cell(0, 0)->SetString("kept");
    ASSERT_NE(s->Cell(5, 3), nullptr);
    EXPECT_EQ(s->GetTotalRows(), 6);
    EXPECT_EQ(s->GetTotalCols(), 4);
    EXPECT_EQ(s->Cell(2, 2)->type, ExcelCell::eUndefined);
    s->Cell(5, 3)->SetString("corner");
    ASSERT_NE(s->Cell(65535, 255), nullptr);
    EXPECT_EQ(s->GetTotalRows(), 65536);
    EXPECT_EQ(s->GetTotalCols(), 256);
    EXPECT_STREQ(s->Cell(0, 0)->GetString(), "kept");
    EXPECT_STREQ(s->CellAt(5, 3)->GetString(), "corner");
    EXPECT_EQ(s->CellAt(5, 200)->type, ExcelCell::eUndefined);
}

TEST(Document, CellSettersAndGetters) {
    ExcelCell cell;
    cell.SetString("abc");
    EXPECT_EQ(cell.type, ExcelCell::eString);
    EXPECT_STREQ(cell.GetString(), "abc");
    EXPECT_EQ(cell.GetWString(), nullptr);
    cell.SetWString(u"电流");
    EXPECT_EQ(cell.type, ExcelCell::eWString);
    EXPECT_EQ(std::u16string(cell.GetWString()), u"电流");
    EXPECT_EQ(cell.GetString(), nullptr);
    cell.SetString("");
    EXPECT_EQ(cell.type, ExcelCell::eUndefined);
    EXPECT_EQ(cell.GetString(), nullptr);
    cell.type = ExcelCell::eDouble;
    cell.dval = -2.75;
    EXPECT_EQ(cell.GetInteger(), -2);
    cell.dval = 1e300;
    EXPECT_EQ(cell.GetInteger(), 2147483647);
    cell.type = ExcelCell::eInt;
    cell.ival = 42;
    EXPECT_EQ(cell.GetDouble(), 42.0);
}

ExcelFormula::Record FormulaResult(const Bytes& result, const std::string& text) {
    ExcelFormula::Record f;
    std::copy(result.begin(), result.end(), f.result);
    if (!text.empty()) {
        f.hasString = true;
        f.string.string = SheetIO::CXLString(text);
    }
    return f;
}

TEST(Document, FormulaResults) {
    Bytes number;
    PutF64(number, 12.75);
    ExcelCell numeric;
    numeric.SetFormula(FormulaResult(number, ""));
    EXPECT_EQ(numeric.type, ExcelCell::eFormula);
    EXPECT_EQ(numeric.GetDouble(), 12.75);
    EXPECT_EQ(numeric.GetInteger(), 12);

    ExcelCell text;
    text.SetFormula(FormulaResult({0, 0, 0, 0, 0, 0, 0xFF, 0xFF}, "result"));
    EXPECT_EQ(text.GetInteger(), 0);
    EXPECT_EQ(text.GetDouble(), 0.0);
    EXPECT_STREQ(text.GetString(), "result");
    EXPECT_EQ(std::u16string(text.GetWString()), u"result");
}

TEST(Document, SavedWorkbookLoadsBack) {
    TempFolder dir;
    const QString path = dir.File("current.xls");
    {
        ExcelDocument doc;
        doc.New();
        ASSERT_TRUE(doc.RenameSheet("Sheet1", "Current"));
        ExcelSheet* s = doc.GetSheetByName("Current");
        s->Cell(0, 0)->SetString("Time");
        s->Cell(0, 1)->SetString("Current");
        for (int i = 0; i < 1000; ++i) {
            ExcelCell* t = s->Cell(i + 1, 0);
            t->type = ExcelCell::eDouble;
            t->dval = i * 0.0001;
            ExcelCell* v = s->Cell(i + 1, 1);
            v->type = ExcelCell::eDouble;
            v->dval = 3.3e-9 + i * 1.7e-12;
        }
        s->Cell(3, 3)->SetWString(u"电流 μA");
        ASSERT_TRUE(doc.SaveAs(path));
        // The file is complete while the document still holds it.
        EXPECT_EQ(ReadWorkbookStream(path).size() > 0, true);
    }
    ExcelDocument doc;
    ASSERT_TRUE(doc.Load(path));
    ExcelSheet* s = doc.GetSheetByName("Current");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetTotalRows(), 1001);
    EXPECT_EQ(s->GetTotalCols(), 4);
    EXPECT_STREQ(s->Cell(0, 1)->GetString(), "Current");
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(s->Cell(i + 1, 0)->GetDouble(), i * 0.0001) << i;
        ASSERT_EQ(s->Cell(i + 1, 1)->GetDouble(), 3.3e-9 + i * 1.7e-12) << i;
    }
    EXPECT_EQ(std::u16string(s->Cell(3, 3)->GetWString()), u"电流 μA");
    EXPECT_FALSE(doc.Save()); // opened for reading
}

TEST(Document, ShorterSecondSaveEndsTheStream) {
    TempFolder dir;
    const QString path = dir.File("twice.xls");
    ExcelDocument doc;
    doc.New();
    doc.GetSheet(0)->Cell(0, 0)->SetString(std::string(5000, 'x').c_str());
    ASSERT_TRUE(doc.SaveAs(path));
    const size_t first = ReadWorkbookStream(path).size();
    doc.GetSheet(0)->Cell(0, 0)->SetString("short");
    ASSERT_TRUE(doc.Save());
    const Bytes stream = ReadWorkbookStream(path);
    EXPECT_EQ(stream.size(), first - 4995);
    EXPECT_EQ(ListRecords(stream).back().code, 0x000A);
    ExcelDocument back;
    ASSERT_TRUE(back.Load(path));
    EXPECT_STREQ(back.GetSheet(0)->Cell(0, 0)->GetString(), "short");
}

TEST(Document, TextLongerThanARecordCanCountIsNotSaved) {
    TempFolder dir;
    ExcelDocument doc;
    doc.New();
    doc.GetSheet(0)->Cell(0, 0)->SetString(std::string(70000, 'x').c_str());
    EXPECT_FALSE(doc.SaveAs(dir.File("long.xls")));
    doc.GetSheet(0)->Cell(0, 0)->SetString(std::string(65535, 'x').c_str());
    ASSERT_TRUE(doc.SaveAs(dir.File("long.xls")));
    ExcelDocument back;
    ASSERT_TRUE(back.Load(dir.File("long.xls")));
    EXPECT_EQ(std::string(back.GetSheet(0)->Cell(0, 0)->GetString()).size(), 65535u);
}

// A save that is refused or cannot be written leaves the file that was there as it was.
TEST(Document, RefusedSaveKeepsTheOldFile) {
    TempFolder dir;
    const QString path = dir.File("kept.xls");
    ExcelDocument doc;
    doc.New();
    doc.GetSheet(0)->Cell(0, 0)->SetString("good");
    ASSERT_TRUE(doc.SaveAs(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    // A text longer than a record can count is refused by SaveAs and by Save.
    doc.GetSheet(0)->Cell(1, 0)->SetString(std::string(70000, 'x').c_str());
    EXPECT_FALSE(doc.Save());
    EXPECT_FALSE(doc.SaveAs(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    file.close();
    ExcelDocument back;
    ASSERT_TRUE(back.Load(path));
    EXPECT_STREQ(back.GetSheet(0)->Cell(0, 0)->GetString(), "good");
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.xls"});
}

TEST(Document, SaveToAFullDeviceFails) {
    if (!QFileInfo::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    ExcelDocument doc;
    doc.New();
    doc.GetSheet(0)->Cell(0, 0)->SetString("lost");
    EXPECT_FALSE(doc.SaveAs("/dev/full"));
}

TEST(Document, SaveWithoutStorageFails) {
    ExcelDocument doc;
    doc.New();
    EXPECT_FALSE(doc.Save());
    TempFolder dir;
    EXPECT_FALSE(doc.SaveAs(dir.File("missing/folder/x.xls")));
}

TEST(Document, LoadResults) {
    TempFolder dir;
    QFile text(dir.File("text.xls"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("Time,Current\n0,1\n");
    text.close();
    ExcelDocument doc;
    EXPECT_FALSE(doc.Load(dir.File("text.xls")));
    EXPECT_FALSE(doc.Load(dir.File("absent.xls")));

    // A compound document without a "Workbook" stream loads as a workbook without sheets.
    ASSERT_TRUE(WriteWorkbookFile(dir.File("other.xls"), Bytes(100, 1), "Book"));
    ASSERT_TRUE(doc.Load(dir.File("other.xls")));
    EXPECT_EQ(doc.GetTotalSheets(), 0u);
    EXPECT_EQ(doc.GetSheetByName("Sheet1"), nullptr);
    EXPECT_FALSE(doc.RenameSheet("Sheet1", "x"));
}

TEST(Document, TruncatedFilesFailToLoad) {
    TempFolder dir;
    const QString path = dir.File("full.xls");
    {
        ExcelDocument doc;
        doc.New();
        for (int r = 0; r < 3000; ++r) {
            ExcelCell* cell = doc.GetSheet(0)->Cell(r, 0);
            cell->type = ExcelCell::eDouble;
            cell->dval = r * 1e-9;
        }
        ASSERT_TRUE(doc.SaveAs(path));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    file.close();
    for (const qsizetype cut :
         {qsizetype(0), qsizetype(8), qsizetype(511), qsizetype(4096), whole.size() / 2, whole.size() - 1}) {
        QFile part(dir.File("cut.xls"));
        ASSERT_TRUE(part.open(QIODevice::WriteOnly | QIODevice::Truncate));
        part.write(whole.left(cut));
        part.close();
        ExcelDocument doc;
        EXPECT_FALSE(doc.Load(dir.File("cut.xls"))) << cut;
        EXPECT_EQ(doc.GetTotalSheets(), 0u) << cut;
    }
}

TEST(Document, BoundSheetsMapToWorksheetsByPosition) {
    TempFolder dir;
    // Bound sheets in the other order than the substreams, and one pointing at nothing.
    Bytes first = Bof(0x0010);
    Add(first, NumberRec(0, 0, 1.0));
    Add(first, Eof());
    Bytes second = Bof(0x0010);
    Add(second, NumberRec(0, 0, 2.0));
    Add(second, Eof());
    auto globals = [&](uint32_t a, uint32_t b) {
        Bytes g = Bof(0x0005);
        Bytes window = {0x78, 0, 0x78, 0, 0x1F, 0x3B, 0x54, 0x24, 0x38, 0, 2, 0, 2, 0, 1, 0, 0x58, 0x02};
        Add(g, Rec(0x003D, window)); // active and first shown tab: the chart, which is not kept
        Add(g, BoundSheetRec(b, "Second"));
        Add(g, BoundSheetRec(a, "First"));
        Add(g, BoundSheetRec(0x7FFFFFFF, "Chart", 2));
        Add(g, Eof());
        return g;
    };
    const uint32_t size = static_cast<uint32_t>(globals(0, 0).size());
    Bytes stream = globals(size, size + static_cast<uint32_t>(first.size()));
    Add(stream, first);
    Add(stream, second);
    ASSERT_TRUE(WriteWorkbookFile(dir.File("order.xls"), stream));
    ExcelDocument doc;
    ASSERT_TRUE(doc.Load(dir.File("order.xls")));
    ASSERT_EQ(doc.GetTotalSheets(), 2u);
    EXPECT_EQ(doc.GetSheetByName("First")->Cell(0, 0)->GetDouble(), 1.0);
    EXPECT_EQ(doc.GetSheetByName("Second")->Cell(0, 0)->GetDouble(), 2.0);
    EXPECT_EQ(doc.GetSheetByName("Chart"), nullptr);

    // Saved again, each name still finds its own sheet.
    ASSERT_TRUE(doc.SaveAs(dir.File("again.xls")));
    const Bytes again = ReadWorkbookStream(dir.File("again.xls"));
    for (const RecordAt& r : ListRecords(again))
        if (r.code == 0x003D) {
            EXPECT_LT(again[r.pos + 14], 2); // active tab
            EXPECT_LT(again[r.pos + 16], 2); // first shown tab
        }
    ExcelDocument back;
    ASSERT_TRUE(back.Load(dir.File("again.xls")));
    EXPECT_EQ(back.GetSheetByName("First")->Cell(0, 0)->GetDouble(), 1.0);
    EXPECT_EQ(back.GetSheetByName("Second")->Cell(0, 0)->GetDouble(), 2.0);
    EXPECT_EQ(back.GetSheetByName("Chart"), nullptr);
}

// Worksheets no bound sheet names are saved with names of their own, which no other sheet has.
TEST(Document, WorksheetsWithoutBoundSheetsGetFreeNamesOnSave) {
    struct SCase {
        const char* name;
        const char* named; // the one bound sheet, of the middle worksheet
        std::array<const char*, 3> saved;
    };
    const SCase cases[] = {
        {"own name in the middle", "Second", {"Sheet1", "Second", "Sheet3"}},
        {"a later default name taken", "Sheet3", {"Sheet1", "Sheet3", "Sheet4"}},
        {"the first default name taken", "Sheet1", {"Sheet2", "Sheet1", "Sheet3"}},
    };
    TempFolder dir;
    for (const SCase& c : cases) {
        std::array<Bytes, 3> sheets;
        for (size_t i = 0; i < sheets.size(); ++i) {
            sheets[i] = Bof(0x0010);
            Add(sheets[i], NumberRec(0, 0, static_cast<double>(i)));
            Add(sheets[i], Eof());
        }
        const auto globals = [&](uint32_t middle) {
            Bytes g = Bof(0x0005);
            Add(g, BoundSheetRec(middle, c.named));
            Add(g, Eof());
            return g;
        };
        const uint32_t size = static_cast<uint32_t>(globals(0).size());
        Bytes stream = globals(size + static_cast<uint32_t>(sheets[0].size()));
        for (const Bytes& sheet : sheets)
            Add(stream, sheet);
        ASSERT_TRUE(WriteWorkbookFile(dir.File("unnamed.xls"), stream)) << c.name;
        ExcelDocument doc;
        ASSERT_TRUE(doc.Load(dir.File("unnamed.xls"))) << c.name;
        ASSERT_EQ(doc.GetTotalSheets(), 3u) << c.name;
        ASSERT_TRUE(doc.SaveAs(dir.File("saved.xls"))) << c.name;
        ExcelDocument back;
        ASSERT_TRUE(back.Load(dir.File("saved.xls"))) << c.name;
        for (size_t i = 0; i < c.saved.size(); ++i) {
            ExcelSheet* sheet = back.GetSheetByName(c.saved[i]);
            ASSERT_NE(sheet, nullptr) << c.name << ": " << c.saved[i];
            EXPECT_EQ(sheet->Cell(0, 0)->GetDouble(), static_cast<double>(i)) << c.name << ": " << c.saved[i];
        }
    }
}

TEST(Storage, StreamResults) {
    TempFolder dir;
    const QString path = dir.File("s.ole");
    {
        auto storage = CCompoundStorage::Create(path);
        ASSERT_TRUE(storage);
        EXPECT_EQ(storage->WriteStream("Workbook", nullptr, 0), -1); // not created yet
        ASSERT_EQ(storage->CreateStream("Workbook"), 1);
        const Bytes big(5000, 7), small = {1, 2, 3};
        ASSERT_EQ(storage->WriteStream("WORKBOOK", big.data(), big.size()), 1);
        ASSERT_EQ(storage->WriteStream("workbook", small.data(), small.size()), 1);
        uint64_t size = 0;
        EXPECT_EQ(storage->StreamSize("Workbook", size), 1);
        EXPECT_EQ(size, 3u);
        EXPECT_EQ(storage->StreamSize("Other", size), -1);
    }
    auto reading = CCompoundStorage::OpenForReading(path);
    ASSERT_TRUE(reading);
    Bytes buffer = {9};
    EXPECT_EQ(reading->ReadStream("wORKbOOK", buffer), 1);
    EXPECT_EQ(buffer, (Bytes{1, 2, 3}));
    EXPECT_EQ(reading->ReadStream("Missing", buffer), -1);
    EXPECT_TRUE(buffer.empty());
    EXPECT_EQ(reading->WriteStream("Workbook", buffer.data(), 0), -1);
    EXPECT_EQ(reading->CreateStream("New"), -1);

    auto empty = CCompoundStorage::Create(dir.File("e.ole"));
    ASSERT_EQ(empty->CreateStream("Workbook"), 1);
    EXPECT_FALSE(QFile::exists(dir.File("e.ole"))); // nothing is written before the stream is
    ASSERT_EQ(empty->WriteStream("Workbook", nullptr, 0), 1);
    empty.reset();
    auto emptyRead = CCompoundStorage::OpenForReading(dir.File("e.ole"));
    ASSERT_TRUE(emptyRead);
    buffer = {1};
    EXPECT_EQ(emptyRead->ReadStream("Workbook", buffer), 1);
    EXPECT_TRUE(buffer.empty());
}

} // namespace
