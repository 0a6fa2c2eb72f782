// The workbook import reads only the sheet it imports, and stops at Cancel while it reads. A sheet
// too large for the memory a child process is given shows whether it was read: the import gets
// through only when it never loads that sheet.
#include "lumora/core/DataImport.h"
#include "tests/sheetio/StreamBuilder.h"
#include "tests/support/MemoryLimitedChild.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace sheetiotest;
using testsupport::ADDRESS_LIMIT_WORKS;

// The large sheet's four million cells need about 100 MB, far more than the headroom and than any
// heap the test process left free; the small sheet needs little.
constexpr rlim_t kHeadroom = rlim_t{12} << 20;

// Exit codes of the child: the import's result, offset so that no result reads as a failure code.
constexpr int kResultBase = 100;

// The "Time" / "Current" header, then 'rows' rows of 'columns' integers (in MULRK records).
Bytes DataSheet(int rows, int columns) {
    Bytes body;
    Add(body, LabelSstRec(0, 0, 0));
    Add(body, LabelSstRec(0, 1, 1));
    for (int r = 1; r <= rows; ++r) {
        Bytes d;
        Put16(d, static_cast<uint16_t>(r));
        Put16(d, 0);
        for (int c = 0; c < columns; ++c) {
            Put16(d, 0);
            Put32(d, static_cast<uint32_t>(r + c) << 2 | 2);
        }
        Put16(d, static_cast<uint16_t>(columns - 1));
        Add(body, Rec(0x00BD, d));
    }
    return body;
}

// The header, then 16,384 rows of 256 formatted blank cells (in MULBLANK records).
Bytes LargeSheet() {
    Bytes body;
    Add(body, LabelSstRec(0, 0, 0));
    Add(body, LabelSstRec(0, 1, 1));
    for (int r = 1; r <= 16384; ++r) {
        Bytes d;
        Put16(d, static_cast<uint16_t>(r));
        Put16(d, 0);
        for (int c = 0; c < 256; ++c)
            Put16(d, 15);
        Put16(d, 255);
        Add(body, Rec(0x00BE, d));
    }
    return body;
}

QString WriteWorkbook(const QTemporaryDir& dir, const std::vector<SheetContent>& sheets) {
    const QString path = dir.filePath(QStringLiteral("w.xls"));
    EXPECT_TRUE(WriteWorkbookFile(path, BuildStream(sheets, {"Time", "Current"})));
    return path;
}

// The import of 'path' in a child with little memory; cancel is set before it starts when asked.
int ImportInChild(const QString& path, bool cancelled, std::size_t expectedRows) {
    const int code = testsupport::WithAddressHeadroom(kHeadroom, [&] {
        CImportColumn x, y;
        SImportControl control;
        control.cancel.store(cancelled);
        const int result =
            ParseColumnsFromXls(path, QStringLiteral("Time"), x, QStringLiteral("Current"), y, control);
        if (result == kImportOk && (x.size() != expectedRows || x[0] != 1.0 || y[0] != 2.0))
            return testsupport::CHILD_THREW;
        return kResultBase + result;
    });
    return code - kResultBase;
}

TEST(WorkbookImport, ReadsOnlyTheSheetItImports) {
    if (!ADDRESS_LIMIT_WORKS)
        GTEST_SKIP() << "address-space limits do not work under this sanitizer";
    QTemporaryDir dir;
    const QString path = WriteWorkbook(dir, {{"Data", DataSheet(3, 2)}, {"Large", LargeSheet()}});
    EXPECT_EQ(ImportInChild(path, false, 3), kImportOk);
}

TEST(WorkbookImport, CancelStopsTheLoad) {
    if (!ADDRESS_LIMIT_WORKS)
        GTEST_SKIP() << "address-space limits do not work under this sanitizer";
    QTemporaryDir dir;
    const QString path = WriteWorkbook(dir, {{"Large", LargeSheet()}});
    EXPECT_EQ(ImportInChild(path, true, 0), kImportCancelled);
}

// Without limits: a large first sheet imports whole, and the sheet after it changes nothing.
TEST(WorkbookImport, LargeFirstSheetImportsWhole) {
    QTemporaryDir dir;
    const QString path = WriteWorkbook(dir, {{"Large", DataSheet(65535, 8)}, {"Data", DataSheet(3, 2)}});
    CImportColumn x, y;
    SImportControl control;
    ASSERT_EQ(ParseColumnsFromXls(path, QStringLiteral("Time"), x, QStringLiteral("Current"), y, control),
              kImportOk);
    ASSERT_EQ(x.size(), 65535u);
    ASSERT_EQ(y.size(), 65535u);
    for (std::size_t i = 0; i < x.size(); ++i)
        if (x[i] != static_cast<double>(i + 1) || y[i] != static_cast<double>(i + 2))
            FAIL() << "row " << i + 1;
}

// TRUE and FALSE cells are numbers 1 and 0; an error cell is no number and drops its row.
TEST(WorkbookImport, BooleansReadAsOneAndZero) {
    Bytes body;
    Add(body, LabelSstRec(0, 0, 0));
    Add(body, LabelSstRec(0, 1, 1));
    Add(body, BoolErrRec(1, 0, 1, false));
    Add(body, NumberRec(1, 1, 2.5));
    Add(body, NumberRec(2, 0, 3.0));
    Add(body, BoolErrRec(2, 1, 0, false));
    Add(body, NumberRec(3, 0, 4.0));
    Add(body, BoolErrRec(3, 1, 0x07, true));
    QTemporaryDir dir;
    const QString path = WriteWorkbook(dir, {{"Data", body}});
    CImportColumn x, y;
    SImportControl control;
    SImportCounts counts;
    ASSERT_EQ(
        ParseColumnsFromXls(path, QStringLiteral("Time"), x, QStringLiteral("Current"), y, control, &counts),
        kImportOk);
    EXPECT_EQ(std::vector<double>(x.begin(), x.end()), (std::vector<double>{1.0, 3.0}));
    EXPECT_EQ(std::vector<double>(y.begin(), y.end()), (std::vector<double>{2.5, 0.0}));
    EXPECT_EQ(counts.dropped, 1u);
}

} // namespace
