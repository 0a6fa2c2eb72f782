// Loads and saves that meet the limits of the machine: a disk that takes no more bytes, memory that
// runs out. Each runs in a child process whose limits are lowered, so the test process keeps its own.
#include "StreamBuilder.h"
#include "TempFolder.h"
#include "lumora/sheetio/ExcelDocument.h"
#include "lumora/sheetio/Workbook.h"
#include "tests/support/MemoryLimitedChild.h"

#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <sys/resource.h>

using namespace sheetiotest;

namespace {

using testsupport::ADDRESS_LIMIT_WORKS;
using testsupport::InChild;

// Exit codes of the child.
constexpr int LOADED = 10;
constexpr int REFUSED = 11;
constexpr int WRONG = testsupport::CHILD_UNLIMITED;

// Loads 'path' with at most 'headroom' bytes of address space more than the child starts with.
int LoadWithHeadroom(const QString& path, rlim_t headroom, const std::function<bool(ExcelDocument&)>& check) {
    return testsupport::WithAddressHeadroom(headroom, [&] {
        ExcelDocument doc;
        if (!doc.Load(path))
            return doc.GetTotalSheets() == 0 ? REFUSED : WRONG;
        return check(doc) ? LOADED : WRONG;
    });
}

// A workbook whose one 65,535-character 16-bit string is named by 20,000 cells (about 410 KB).
Bytes RepeatedStringStream(std::u16string& text) {
    text.assign(65535, u'a');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(0x4E00 + i % 1000);
    SheetIO::Workbook::SharedStringTable sst;
    sst.strings.emplace_back(text);
    sst.stringsTotal = 20000;
    sst.uniqueStringsTotal = 1;
    Bytes sstBytes(sst.RecordSize(), 0);
    sst.Write(sstBytes.data());
    Bytes body;
    for (uint16_t r = 0; r < 200; ++r)
        for (uint16_t c = 0; c < 100; ++c)
            Add(body, LabelSstRec(r, c, 0));
    Bytes globals = Bof(0x0005);
    const uint32_t bofPos =
        static_cast<uint32_t>(globals.size() + BoundSheetRec(0, "S").size() + sstBytes.size() + 4);
    Add(globals, BoundSheetRec(bofPos, "S"));
    Add(globals, sstBytes);
    Add(globals, Eof());
    Bytes stream = globals;
    Add(stream, Bof(0x0010));
    Add(stream, body);
    Add(stream, Eof());
    return stream;
}

TEST(Limits, RepeatedLongStringLoadsInModestMemory) {
    if (!ADDRESS_LIMIT_WORKS)
        GTEST_SKIP() << "address-space limits do not work under this sanitizer";
    TempFolder dir;
    std::u16string text;
    const QString path = dir.File("repeated.xls");
    ASSERT_TRUE(WriteWorkbookFile(path, RepeatedStringStream(text)));
    ASSERT_LT(QFile(path).size(), 450 * 1024);
    // Copies of the string in every cell would need 2.6 GB; the cells share it in a few megabytes.
    const int result = LoadWithHeadroom(path, rlim_t{256} << 20, [&](ExcelDocument& doc) {
        const ExcelSheet* s = doc.GetSheetByName("S");
        if (!s || s->GetTotalRows() != 200 || s->GetTotalCols() != 100)
            return false;
        for (int r = 0; r < 200; ++r)
            for (int c = 0; c < 100; ++c) {
                const char16_t* cell = s->CellAt(r, c)->GetWString();
                if (!cell || std::u16string_view(cell) != text)
                    return false;
            }
        return true;
    });
    EXPECT_EQ(result, LOADED);
}

// Sheets whose cells lie far apart: each costs the memory of the cells it holds, not of the grid
// they span. Each file is a few hundred kilobytes; a grid of their extent would take gigabytes.
struct SSparseCase {
    const char* name;
    int sheets;
    std::function<bool(int, int&, int&)> cell; // k-th cell of a sheet: false after the last
};

void PrintTo(const SSparseCase& c, std::ostream* out) {
    *out << c.name;
}

class SparseSheets : public ::testing::TestWithParam<SSparseCase> {};

TEST_P(SparseSheets, TakeTheMemoryOfTheirCells) {
    if (!ADDRESS_LIMIT_WORKS)
        GTEST_SKIP() << "address-space limits do not work under this sanitizer";
    const SSparseCase& c = GetParam();
    TempFolder dir;
    std::vector<SheetContent> sheets;
    std::vector<std::pair<int, int>> cells;
    int row = 0, column = 0;
    for (int k = 0; c.cell(k, row, column); ++k)
        cells.emplace_back(row, column);
    for (int s = 0; s < c.sheets; ++s) {
        Bytes body;
        for (const auto& [r, col] : cells)
            Add(body, NumberRec(static_cast<uint16_t>(r), static_cast<uint16_t>(col), r + s * 0.5));
        sheets.push_back({"S" + std::to_string(s), body});
    }
    const QString path = dir.File("sparse.xls");
    ASSERT_TRUE(WriteWorkbookFile(path, BuildStream(sheets, {})));
    ASSERT_LT(QFile(path).size(), 400 * 1024);
    const int result = LoadWithHeadroom(path, rlim_t{64} << 20, [&](ExcelDocument& doc) {
        if (doc.GetTotalSheets() != static_cast<size_t>(c.sheets))
            return false;
        for (int s = 0; s < c.sheets; ++s) {
            const ExcelSheet* sheet = doc.GetSheet(static_cast<size_t>(s));
            for (const auto& [r, col] : cells)
                if (sheet->CellAt(r, col)->GetDouble() != r + s * 0.5)
                    return false;
            // A cell between them is empty.
            const int r0 = cells.front().first;
            const int c0 = (cells.front().second + 1) % 256;
            if (std::find(cells.begin(), cells.end(), std::make_pair(r0, c0)) != cells.end() ||
                sheet->CellAt(r0, c0)->type != ExcelCell::eUndefined)
                return false;
        }
        return true;
    });
    EXPECT_EQ(result, LOADED);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, SparseSheets,
    ::testing::Values(
        // The last column of every 32nd row, in eight sheets.
        SSparseCase{"LastColumnEvery32Rows", 8,
                    [](int k, int& r, int& c) {
                        r = 32 * k;
                        c = 255;
                        return r <= 65535;
                    }},
        // One cell in every eighth row, on a diagonal: every column and every 32 rows are reached.
        SSparseCase{"Diagonal", 1,
                    [](int k, int& r, int& c) {
                        r = 8 * k;
                        c = k % 256;
                        return r <= 65535;
                    }},
        // The far corner only, in many sheets.
        SSparseCase{"FarCornerOnly", 4000,
                    [](int k, int& r, int& c) {
                        r = 65535;
                        c = 255;
                        return k == 0;
                    }},
        // Cells in reverse order, column by column from the last: they are found by hash until the
        // sheet is complete.
        SSparseCase{"ReverseOrder", 1,
                    [](int k, int& r, int& c) {
                        r = 65535 - (k % 4096) * 16;
                        c = 255 - k / 4096;
                        return k < 4096 * 4;
                    }}),
    [](const ::testing::TestParamInfo<SSparseCase>& param) { return std::string(param.param.name); });

TEST(Limits, WorkbookThatDoesNotFitFailsToLoadCleanly) {
    if (!ADDRESS_LIMIT_WORKS)
        GTEST_SKIP() << "address-space limits do not work under this sanitizer";
    TempFolder dir;
    // 16,384 rows of 256 formatted blank cells: four million cells (about 100 MB of them) from a
    // 9 MB file, far more than the headroom and than any heap the test process left free.
    Bytes body;
    for (int r = 0; r < 16384; ++r) {
        Bytes d;
        Put16(d, static_cast<uint16_t>(r));
        Put16(d, 0);
        for (int c = 0; c < 256; ++c)
            Put16(d, 15);
        Put16(d, 255);
        Add(body, Rec(0x00BE, d));
    }
    const QString path = dir.File("wide.xls");
    ASSERT_TRUE(WriteWorkbookFile(path, BuildStream({{"S", body}}, {})));
    EXPECT_EQ(LoadWithHeadroom(path, rlim_t{12} << 20, [](ExcelDocument&) { return true; }), REFUSED);
}

// Empty records of the workbook globals once cost 30 to 75 times what they take in the file: each a
// record object with a heap block of its own. Each such workbook below loads in a small multiple of
// its size (the address space the load may take beyond the child's start), and keeps its sheet.
struct SEmptyGlobals {
    const char* name;
    std::size_t megabytes;
    std::function<Bytes(std::size_t bytes)> globals; // records taking about 'bytes' of the stream
};

void PrintTo(const SEmptyGlobals& c, std::ostream* out) {
    *out << c.name;
}

// Empty records of one code, as many as fill 'bytes'.
std::function<Bytes(std::size_t)> EmptyRecords(uint16_t code) {
    return [code](std::size_t bytes) {
        Bytes stream;
        stream.reserve(bytes);
        const Bytes empty = Rec(code, {});
        for (std::size_t at = 0; at + empty.size() <= bytes; at += empty.size())
            Add(stream, empty);
        return stream;
    };
}

// A shared-string table of empty strings (3 bytes each) over as many CONTINUE pieces as it needs.
Bytes EmptyStrings(std::size_t bytes) {
    const std::size_t count = bytes / 3;
    Bytes data;
    Put32(data, static_cast<uint32_t>(count));
    Put32(data, static_cast<uint32_t>(count));
    Bytes stream;
    uint16_t code = 0x00FC;
    for (std::size_t i = 0; i < count; ++i) {
        if (data.size() + 3 > SheetIO::MAX_PIECE) {
            Add(stream, Rec(code, data));
            data.clear();
            code = SheetIO::CODE_CONTINUE;
        }
        Put16(data, 0);
        data.push_back(0);
    }
    Add(stream, Rec(code, data));
    return stream;
}

class EmptyGlobals : public ::testing::TestWithParam<SEmptyGlobals> {};

TEST_P(EmptyGlobals, LoadInASmallMultipleOfTheirSize) {
    if (!ADDRESS_LIMIT_WORKS)
        GTEST_SKIP() << "address-space limits do not work under this sanitizer";
    const SEmptyGlobals& c = GetParam();
    TempFolder dir;
    const QString path = dir.File("globals.xls");
    Bytes body;
    Add(body, NumberRec(0, 0, 2.5));
    const Bytes globals = c.globals(c.megabytes << 20);
    ASSERT_TRUE(WriteWorkbookFile(path, BuildStream({{"S", body}}, {}, globals)));
    const auto file = static_cast<rlim_t>(QFile(path).size());
    ASSERT_GE(file, rlim_t{c.megabytes} << 20);
    const int result = LoadWithHeadroom(path, 8 * file, [](ExcelDocument& doc) {
        const ExcelSheet* sheet = doc.GetSheetByName("S");
        return sheet != nullptr && sheet->CellAt(0, 0)->GetDouble() == 2.5;
    });
    EXPECT_EQ(result, LOADED);
}

INSTANTIATE_TEST_SUITE_P(EachKind, EmptyGlobals,
                         ::testing::Values(SEmptyGlobals{"Fonts", 30, EmptyRecords(0x0031)},
                                           SEmptyGlobals{"Formats", 8, EmptyRecords(0x041E)},
                                           SEmptyGlobals{"XFs", 8, EmptyRecords(0x00E0)},
                                           SEmptyGlobals{"Styles", 8, EmptyRecords(0x0293)},
                                           SEmptyGlobals{"BoundSheets", 8, EmptyRecords(0x0085)},
                                           SEmptyGlobals{"SharedStrings", 8, EmptyStrings}),
                         [](const auto& row) { return std::string(row.param.name); });

// A disk that takes no more bytes (a file-size limit stands in for it): the save fails, and the
// file that was there stays whole.
TEST(Limits, SaveThatCannotBeWrittenKeepsTheOldFile) {
    TempFolder dir;
    const QString path = dir.File("kept.xls");
    {
        ExcelDocument doc;
        doc.New();
        doc.GetSheet(0)->Cell(0, 0)->SetString("good");
        ASSERT_TRUE(doc.SaveAs(path));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    const int result = InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit r{16384, 16384};
        if (setrlimit(RLIMIT_FSIZE, &r) != 0)
            return WRONG;
        ExcelDocument doc;
        doc.New();
        for (int row = 0; row < 5000; ++row) {
            ExcelCell* cell = doc.GetSheet(0)->Cell(row, 0);
            cell->type = ExcelCell::eDouble;
            cell->dval = row * 1.1e-9;
        }
        return doc.SaveAs(path) ? LOADED : REFUSED;
    });
    EXPECT_EQ(result, REFUSED);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    file.close();
    ExcelDocument back;
    ASSERT_TRUE(back.Load(path));
    EXPECT_STREQ(back.GetSheet(0)->Cell(0, 0)->GetString(), "good");
}

} // namespace
