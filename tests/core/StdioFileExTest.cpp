#include "lumora/core/StdioFileEx.h"
#include "CoreTestFiles.h"
#include "platform/ReplaceFile.h"
#include "tests/support/FileSizeLimit.h"

#include <QDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using coretest::ReadAll;
using coretest::Utf16WithMark;
using coretest::WriteAll;

namespace {

QStringList ReadLines(const QString& path, bool* unicode = nullptr) {
    CStdioFileEx file;
    QStringList lines;
    if (!file.Open(path, CStdioFileEx::typeText | CStdioFileEx::shareDenyNone))
        return {QStringLiteral("<open failed>")};
    if (unicode != nullptr)
        *unicode = file.IsUnicodeText();
    QString line;
    while (file.ReadString(line))
        lines.append(line);
    return lines;
}

class StdioFileEx : public ::testing::Test {
protected:
    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
};

TEST_F(StdioFileEx, Utf16AndCodePageFilesReadToTheSameText) {
    const QString text = QString::fromUtf8("Time,Current DC\r\n0.0002,1.5e-06\r\n\r\n电流(μA),电压\nlast");
    const QStringList expected{QStringLiteral("Time,Current DC"), QStringLiteral("0.0002,1.5e-06"), QString(),
                               QString::fromUtf8("电流(μA),电压"), QStringLiteral("last")};
    ASSERT_TRUE(WriteAll(Path("u.csv"), Utf16WithMark(text)));
    {
        CStdioFileEx writer;
        ASSERT_TRUE(writer.Open(Path("a.csv"), 0x5001));
        ASSERT_TRUE(writer.WriteString(text));
    }
    bool unicode = false;
    EXPECT_EQ(ReadLines(Path("u.csv"), &unicode), expected);
    EXPECT_TRUE(unicode);
    EXPECT_EQ(ReadLines(Path("a.csv"), &unicode), expected);
    EXPECT_FALSE(unicode);
    EXPECT_TRUE(CStdioFileEx::IsFileUnicode(Path("u.csv")));
    EXPECT_FALSE(CStdioFileEx::IsFileUnicode(Path("a.csv")));
}

TEST_F(StdioFileEx, WriteStringGivesCodePageBytesWithoutTranslation) {
    CStdioFileEx writer;
    ASSERT_TRUE(writer.Open(Path("w.txt"),
                            CStdioFileEx::modeCreate | CStdioFileEx::typeText | CStdioFileEx::modeWrite));
    writer.WriteString(QString::fromUtf8("电\n"));
    writer.WriteString(QString::fromUtf8("a\U0001F600b\r\n"));
    writer.Close();
    EXPECT_EQ(ReadAll(Path("w.txt")), QByteArray::fromHex("b5e70a") + "a#b\r\n");
    // Creating again truncates.
    ASSERT_TRUE(writer.Open(Path("w.txt"), 0x5001));
    writer.WriteString(QStringLiteral("x"));
    writer.Close();
    EXPECT_EQ(ReadAll(Path("w.txt")), QByteArray("x"));
}

TEST_F(StdioFileEx, LongLinesComeBackInWholeCharacterPieces) {
    ASSERT_TRUE(WriteAll(Path("long.txt"), QByteArray(5000, 'a') + "\r\nz"));
    const QStringList lines = ReadLines(Path("long.txt"));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].size(), 4095);
    EXPECT_EQ(lines[1].size(), 905);
    EXPECT_EQ(lines[2], QStringLiteral("z"));

    // A double-byte character across the 4095-byte boundary is not split.
    const QByteArray zhong = QByteArray::fromHex("d6d0"); // 中
    ASSERT_TRUE(WriteAll(Path("cut.txt"), QByteArray(4094, 'a') + zhong + zhong + "\n"));
    const QStringList cut = ReadLines(Path("cut.txt"));
    ASSERT_EQ(cut.size(), 2);
    EXPECT_EQ(cut[0], QString(4094, u'a'));
    EXPECT_EQ(cut[1], QString::fromUtf8("中中"));

    // A "\r\n" across the boundary ends the line; it gives no extra empty line.
    ASSERT_TRUE(WriteAll(Path("crlf.txt"), QByteArray(4094, 'b') + "\r\nnext\r\n"));
    EXPECT_EQ(ReadLines(Path("crlf.txt")), (QStringList{QString(4094, u'b'), QStringLiteral("next")}));
    ASSERT_TRUE(WriteAll(Path("crlf-end.txt"), QByteArray(4094, 'b') + "\r\n"));
    EXPECT_EQ(ReadLines(Path("crlf-end.txt")), QStringList{QString(4094, u'b')});
    // The same with the '\n' in the next 64 KiB read of the file.
    QByteArray refill;
    QStringList refillLines;
    for (int i = 0; i < 60; ++i) {
        refill += QByteArray(1023, 'c') + "\n";
        refillLines.append(QString(1023, u'c'));
    }
    refill += "\n" + QByteArray(4094, 'b') + "\r\nz";
    ASSERT_EQ(refill.indexOf('\r'), 65535);
    refillLines << QString() << QString(4094, u'b') << QStringLiteral("z");
    ASSERT_TRUE(WriteAll(Path("crlf-refill.txt"), refill));
    EXPECT_EQ(ReadLines(Path("crlf-refill.txt")), refillLines);
}

// Many lines of mixed text, so that lines and characters cross the reader's buffer refills.
TEST_F(StdioFileEx, LargeFilesReadLineForLineInBothEncodings) {
    QStringList expected;
    QString text;
    for (int i = 0; i < 20000; ++i) {
        const QString line = QString::fromUtf8("%1,电流测量%2,").arg(i).arg(QString(i % 37, u'x'));
        expected.append(line);
        text += line + (i % 3 == 0 ? QStringLiteral("\n") : QStringLiteral("\r\n"));
    }
    ASSERT_TRUE(WriteAll(Path("big16.txt"), Utf16WithMark(text)));
    {
        CStdioFileEx writer;
        ASSERT_TRUE(writer.Open(Path("big8.txt"), 0x5001));
        ASSERT_TRUE(writer.WriteString(text));
    }
    EXPECT_EQ(ReadLines(Path("big16.txt")), expected);
    EXPECT_EQ(ReadLines(Path("big8.txt")), expected);
}

TEST_F(StdioFileEx, EdgesAndFailures) {
    ASSERT_TRUE(WriteAll(Path("e.txt"), "\n\r\nend\r"));
    EXPECT_EQ(ReadLines(Path("e.txt")), (QStringList{QString(), QString(), QStringLiteral("end")}));
    ASSERT_TRUE(WriteAll(Path("empty.txt"), ""));
    EXPECT_TRUE(ReadLines(Path("empty.txt")).isEmpty());
    ASSERT_TRUE(WriteAll(Path("mark.txt"), "\xFF\xFE"));
    EXPECT_TRUE(ReadLines(Path("mark.txt")).isEmpty());
    ASSERT_TRUE(WriteAll(Path("one.txt"), "\xFF"));
    EXPECT_FALSE(CStdioFileEx::IsFileUnicode(Path("one.txt")));
    EXPECT_FALSE(CStdioFileEx::IsFileUnicode(Path("missing.txt")));
    ASSERT_TRUE(WriteAll(Path("bad.txt"), QByteArray::fromHex("41ff0a") + "B"));
    EXPECT_EQ(ReadLines(Path("bad.txt")).size(), 2);

    CStdioFileEx file;
    CStdioFileEx::SOpenError error;
    EXPECT_FALSE(file.Open(Path("missing.txt"), 0x4040, &error));
    EXPECT_EQ(error.fileName, Path("missing.txt"));
    EXPECT_FALSE(error.text.isEmpty());
    EXPECT_FALSE(file.Open(Path("missing.txt"), CStdioFileEx::modeWrite));
    QString line = QStringLiteral("stale");
    EXPECT_FALSE(file.ReadString(line));
    EXPECT_TRUE(line.isEmpty());
}

// Each mode against a file that already holds "0123456789" and against a missing one: what is left
// after writing "ab" (or reading), and whether a missing file is made.
struct SOpenModeCase {
    const char* name;
    unsigned flags;
    bool writes;
    const char* existingAfter; // null: the open must fail
    bool createsMissing;
};

TEST_F(StdioFileEx, OpenModesKeepOrEmptyTheFileAsTheFrameworkDoes) {
    using F = CStdioFileEx;
    const SOpenModeCase cases[] = {
        {"read", F::modeRead | F::typeText, false, "0123456789", false},
        {"readShareDenyNone", 0x4040, false, "0123456789", false},
        {"writeOverwritesFromTheStart", F::modeWrite | F::typeText, true, "ab23456789", false},
        {"readWriteOverwritesFromTheStart", F::modeReadWrite | F::typeBinary, true, "ab23456789", false},
        {"createTruncates", F::modeCreate | F::modeWrite | F::typeText, true, "ab", true},
        {"createReadWriteTruncates", F::modeCreate | F::modeReadWrite, true, "ab", true},
        {"createNoTruncateKeeps", F::modeCreate | F::modeNoTruncate | F::modeWrite, true, "ab23456789", true},
        {"logModeKeeps", 0x3041, true, "ab23456789", true},
        {"createReadOnlyTruncates", F::modeCreate | F::typeText, false, "", true},
        {"createNoTruncateReadOnlyKeeps", F::modeCreate | F::modeNoTruncate, false, "0123456789", true},
    };
    for (const SOpenModeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString existing = Path("existing.txt");
        const QString missing = Path("missing.txt");
        ASSERT_TRUE(WriteAll(existing, "0123456789"));
        QFile::remove(missing);

        CStdioFileEx file;
        ASSERT_TRUE(file.Open(existing, c.flags));
        if (c.writes) {
            EXPECT_TRUE(file.WriteString(QStringLiteral("ab")));
        } else {
            QString line;
            file.ReadString(line);
            EXPECT_EQ(line, QString::fromLatin1(c.existingAfter));
        }
        EXPECT_TRUE(file.Close());
        EXPECT_EQ(ReadAll(existing), QByteArray(c.existingAfter));

        EXPECT_EQ(file.Open(missing, c.flags), c.createsMissing);
        file.Close();
        EXPECT_EQ(QFile::exists(missing), c.createsMissing);
    }
}

TEST_F(StdioFileEx, AFolderDoesNotOpenAsAFile) {
    CStdioFileEx file;
    CStdioFileEx::SOpenError error;
    EXPECT_FALSE(file.Open(m_dir.path(), 0x4040, &error));
    EXPECT_FALSE(error.text.isEmpty());
}

// A full device takes nothing: the write or at the latest the close says so.
TEST_F(StdioFileEx, AFullDiskIsReportedByTheWriteAndTheClose) {
    CStdioFileEx file;
    ASSERT_TRUE(file.Open(QStringLiteral("/dev/full"), 0x5001));
    EXPECT_FALSE(file.WriteString(QStringLiteral("Time,Current\r\n")));
    EXPECT_TRUE(file.HasError());
    EXPECT_FALSE(file.Close());
}

// A save killed half way (the process ends between two writes) leaves the previous file byte for
// byte; the temporary it leaves is removed by the next save of that file.
TEST_F(StdioFileEx, AKilledSaveLeavesThePreviousFileWhole) {
    const QString path = Path("data.csv");
    QByteArray previous = "Time,Current DC\r\n";
    for (int i = 0; i < 20000; ++i)
        previous += QByteArray::number(i) + ",1.5e-06\r\n";
    {
        CStdioFileEx writer;
        ASSERT_TRUE(writer.Open(path, 0x5001));
        ASSERT_TRUE(writer.WriteAnsi(std::string_view(previous.constData(), previous.size())));
        ASSERT_TRUE(writer.Close());
    }
    ASSERT_EQ(ReadAll(path), previous);

    int written[2];
    ASSERT_EQ(::pipe(written), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The save of a new, longer file: the header and a megabyte of lines, then it waits to die.
        CStdioFileEx writer;
        if (!writer.Open(path, 0x5001))
            ::_exit(2);
        const std::string line = "0.00012345,2.5e-06\r\n";
        std::string piece;
        while (piece.size() < (1u << 20))
            piece += line;
        if (!writer.WriteAnsi("Time,Current DC\r\n") || !writer.WriteAnsi(piece))
            ::_exit(3);
        ::write(written[1], "w", 1);
        for (;;)
            ::pause();
    }
    ::close(written[1]);
    char signal = 0;
    ASSERT_EQ(::read(written[0], &signal, 1), 1);
    ::close(written[0]);
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));

    EXPECT_EQ(ReadAll(path), previous);
    const QStringList left = QDir(m_dir.path()).entryList({QStringLiteral("data.csv.*.tmp")}, QDir::Files);
    ASSERT_EQ(left.size(), 1);
    EXPECT_GT(QFileInfo(m_dir.filePath(left[0])).size(), 1 << 20);

    // A save of another file leaves it; the next save of this one takes it away.
    {
        CStdioFileEx other;
        ASSERT_TRUE(other.Open(Path("other.csv"), 0x5001));
        ASSERT_TRUE(other.Close());
    }
    EXPECT_TRUE(QFile::exists(m_dir.filePath(left[0])));
    {
        CStdioFileEx writer;
        ASSERT_TRUE(writer.Open(path, 0x5001));
        ASSERT_TRUE(writer.WriteString(QStringLiteral("Time,Current DC\r\n")));
        ASSERT_TRUE(writer.Close());
    }
    EXPECT_EQ(ReadAll(path), QByteArray("Time,Current DC\r\n"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files),
              (QStringList{QStringLiteral("data.csv"), QStringLiteral("other.csv")}));
}

// A write the disk cannot take: the close says so and the previous file stays as it was; a new file
// is not made at all.
TEST_F(StdioFileEx, AFailedSaveKeepsThePreviousFile) {
    const QString path = Path("keep.txt");
    ASSERT_TRUE(WriteAll(path, "previous contents\r\n"));
    for (const QString& target : {path, Path("new.txt")}) {
        SCOPED_TRACE(target.toStdString());
        CStdioFileEx writer;
        ASSERT_TRUE(writer.Open(target, 0x5001));
        {
            testsupport::CFileSizeLimit disk(100);
            ASSERT_TRUE(disk.IsSet());
            writer.WriteAnsi(std::string(4096, 'x'));
            EXPECT_FALSE(writer.Close());
        }
    }
    EXPECT_EQ(ReadAll(path), QByteArray("previous contents\r\n"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.txt")});
}

// Start-up clears a folder of the temporaries no save holds: a save under way keeps its own.
TEST_F(StdioFileEx, OnlyTemporariesNoSaveHoldsAreStale) {
    ASSERT_TRUE(WriteAll(Path("a.bin.1f2e3d4c.tmp"), "left by a killed save"));
    ASSERT_TRUE(WriteAll(Path("b.csv.0.tmp"), "left by a killed save"));
    ASSERT_TRUE(WriteAll(Path("notes.tmp"), "not ours"));
    ASSERT_TRUE(WriteAll(Path("c.csv.XYZ.tmp"), "not ours"));
    CStdioFileEx writer;
    ASSERT_TRUE(writer.Open(Path("busy.csv"), 0x5001));
    ASSERT_TRUE(writer.WriteString(QStringLiteral("under way")));
    EXPECT_EQ(platform::RemoveStaleTemporaries(m_dir.path()), 2);
    QStringList files = QDir(m_dir.path()).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 3) << files.join(u' ').toStdString();
    EXPECT_TRUE(files.contains(QStringLiteral("notes.tmp")));
    EXPECT_TRUE(files.contains(QStringLiteral("c.csv.XYZ.tmp")));
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(ReadAll(Path("busy.csv")), QByteArray("under way"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 3);
}

} // namespace
