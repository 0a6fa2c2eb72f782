// Loads and saves that meet the limits of the machine: a disk that takes no more bytes, memory that
// runs out. Each runs in a child process whose limits are lowered, so the test process keeps its own.
#include "StreamBuilder.h"
#include "TempFolder.h"
#include "lumora/sheetio/ExcelDocument.h"
#include "lumora/sheetio/Workbook.h"

#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace sheetiotest;

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool ADDRESS_LIMIT_WORKS = false; // the sanitizers reserve terabytes of address space
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool ADDRESS_LIMIT_WORKS = false;
#else
constexpr bool ADDRESS_LIMIT_WORKS = true;
#endif
#else
constexpr bool ADDRESS_LIMIT_WORKS = true;
#endif

// Exit codes of the child.
constexpr int LOADED = 10;
constexpr int REFUSED = 11;
constexpr int WRONG = 12;
constexpr int THREW = 13;

// Runs 'work' in a child process and gives its exit code, or -signal when a signal ended it.
int InChild(const std::function<int()>& work) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        // Nothing may leave the child: it must not go on running the tests.
        int code = THREW;
        try {
            code = work();
        } catch (...) {
        }
        _exit(code);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -1000;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// Address space in use by this process, in bytes.
rlim_t AddressSpace() {
    unsigned long long kilobytes = 0;
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::sscanf(line, "VmSize: %llu kB", &kilobytes) == 1)
                break;
        std::fclose(status);
    }
    return static_cast<rlim_t>(kilobytes) * 1024;
}

// Loads 'path' with at most 'headroom' bytes of address space more than the child starts with.
int LoadWithHeadroom(const QString& path, rlim_t headroom, const std::function<bool(ExcelDocument&)>& check) {
    return InChild([&] {
        const rlim_t limit = AddressSpace() + headroom;
        const rlimit r{limit, limit};
        if (setrlimit(RLIMIT_AS, &r) != 0)
            return WRONG;
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

TEST(Limits, WorkbookThatDoesNotFitFailsToLoadCleanly) {
    if (!ADDRESS_LIMIT_WORKS)
        GTEST_SKIP() << "address-space limits do not work under this sanitizer";
    TempFolder dir;
    // 1.2 MB of records naming the last column of every row: a grid of 65,536 x 256 cells.
    Bytes body;
    for (int r = 0; r <= 65535; ++r)
        Add(body, NumberRec(static_cast<uint16_t>(r), 255, r));
    const QString path = dir.File("wide.xls");
    ASSERT_TRUE(WriteWorkbookFile(path, BuildStream({{"S", body}}, {})));
    EXPECT_EQ(LoadWithHeadroom(path, rlim_t{128} << 20, [](ExcelDocument&) { return true; }), REFUSED);
}

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
