#include "platform/ReplaceFile.h"
#include "tests/support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

class ReplaceFile : public ::testing::Test {
protected:
    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QStringList Files() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::System); }
    QTemporaryDir m_dir;
};

TEST_F(ReplaceFile, ANewFileGetsTheUmaskModeAndAnOldOneKeepsItsOwn) {
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(platform::ReplaceFileContents(Path("new.xml"), "<a/>"));
    ::umask(mask);
    EXPECT_EQ(ReadAll(Path("new.xml")), QByteArray("<a/>"));
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(Path("new.xml")).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);

    ASSERT_EQ(::chmod(QFile::encodeName(Path("new.xml")).constData(), 0600), 0);
    ASSERT_TRUE(platform::ReplaceFileContents(Path("new.xml"), QByteArray(100000, 'x')));
    ASSERT_EQ(::stat(QFile::encodeName(Path("new.xml")).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadAll(Path("new.xml")), QByteArray(100000, 'x'));
    EXPECT_EQ(Files(), QStringList{QStringLiteral("new.xml")});
}

TEST_F(ReplaceFile, EveryFailureSaysWhyAndLeavesTheOldFile) {
    ASSERT_TRUE(platform::ReplaceFileContents(Path("keep.xml"), "old"));
    QString error;
    {
        testsupport::CFileSizeLimit disk(10);
        ASSERT_TRUE(disk.IsSet());
        EXPECT_FALSE(platform::ReplaceFileContents(Path("keep.xml"), QByteArray(64, 'n'), &error));
    }
    EXPECT_TRUE(error.startsWith(Path("keep.xml"))) << error.toStdString();
    EXPECT_EQ(ReadAll(Path("keep.xml")), QByteArray("old"));
    EXPECT_EQ(Files(), QStringList{QStringLiteral("keep.xml")});

    error.clear();
    EXPECT_FALSE(platform::ReplaceFileContents(Path("no/folder/x.xml"), "x", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(platform::ReplaceFileContents(QString(), "x"));
}

// A device is written where it is: the full one refuses, and stays a device.
TEST_F(ReplaceFile, ADeviceIsWrittenInPlace) {
    QString error;
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), Path("full.xml")));
    EXPECT_FALSE(platform::ReplaceFileContents(Path("full.xml"), "x", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo(QStringLiteral("/dev/full")).isFile());
    EXPECT_TRUE(QFileInfo(Path("full.xml")).isSymLink());
}

// A save killed between its writes (a data-logging run's binary file, 680 MB of temporaries after
// eight kills) leaves the old file whole; the next save of that file removes what the killed one left,
// and a save under way elsewhere keeps its own.
TEST_F(ReplaceFile, TheNextSaveRemovesTheTemporaryOfAKilledOne) {
    ASSERT_TRUE(platform::ReplaceFileContents(Path("run.bin"), "old contents"));
    int written[2];
    ASSERT_EQ(::pipe(written), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        platform::CFileReplacement replacement;
        const std::string block(1 << 20, 'n');
        if (!replacement.Begin(Path("run.bin")) || !replacement.Write(block.data(), block.size()))
            ::_exit(2);
        ::write(written[1], "w", 1);
        for (;;)
            ::pause();
    }
    ::close(written[1]);
    char signal = 0;
    ASSERT_EQ(::read(written[0], &signal, 1), 1);
    ::close(written[0]);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(ReadAll(Path("run.bin")), QByteArray("old contents"));
    ASSERT_EQ(Files().size(), 2) << Files().join(u' ').toStdString();

    platform::CFileReplacement elsewhere;
    ASSERT_TRUE(elsewhere.Begin(Path("other.bin")));
    ASSERT_TRUE(platform::ReplaceFileContents(Path("run.bin"), "new contents"));
    EXPECT_EQ(ReadAll(Path("run.bin")), QByteArray("new contents"));
    EXPECT_EQ(Files().size(), 2) << Files().join(u' ').toStdString();
    EXPECT_EQ(platform::RemoveStaleTemporaries(m_dir.path()), 0);
    ASSERT_TRUE(elsewhere.Write("x", 1));
    ASSERT_TRUE(elsewhere.Commit());
    EXPECT_EQ(Files(), (QStringList{QStringLiteral("other.bin"), QStringLiteral("run.bin")}));
}

} // namespace
