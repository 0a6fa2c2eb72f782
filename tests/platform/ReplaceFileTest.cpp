#include "platform/ReplaceFile.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/ForeignLink.h"
#include "tests/support/WaitFor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
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

// In a folder every user may write, another user can plant a link named like this user's next save
// and pointing at a file of this user's. Such a link is never written through, however it is reached;
// a link of this user's own is followed to the file it names, which is replaced.
TEST_F(ReplaceFile, ALinkOfAnotherUsersIsNeverWrittenThrough) {
    if (!testsupport::CanMakeForeignLinks())
        GTEST_SKIP() << "only root can give a link to another user";
    struct SCase {
        const char* name;
        bool foreignFirst;  // the name itself is another user's link to the file
        bool foreignSecond; // the name is this user's link to another user's link to the file
        bool written;
    };
    const SCase cases[] = {
        {"another user's link", true, false, false},
        {"this user's link to another user's link", false, true, false},
        {"this user's link", false, false, true},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString precious = dir.filePath(QStringLiteral("precious.txt"));
        const QString save = dir.filePath(QStringLiteral("2024-01-01_00-00-00_AutoSave.bin"));
        const QString middle = dir.filePath(QStringLiteral("middle"));
        ASSERT_TRUE(platform::ReplaceFileContents(precious, "mine"));
        if (c.foreignFirst) {
            ASSERT_TRUE(testsupport::MakeForeignLink(precious, save));
        } else if (c.foreignSecond) {
            ASSERT_TRUE(testsupport::MakeForeignLink(precious, middle));
            ASSERT_TRUE(QFile::link(middle, save));
        } else {
            ASSERT_TRUE(QFile::link(precious, save));
        }
        QString error;
        bool made = true;
        const platform::SFilePiece piece{"data", 4};
        EXPECT_EQ(platform::ReplaceFileContents(save, std::span(&piece, 1), &error, &made), c.written);
        EXPECT_EQ(ReadAll(precious), c.written ? QByteArray("data") : QByteArray("mine"));
        EXPECT_TRUE(QFileInfo(save).isSymLink());
        if (!c.written) {
            EXPECT_FALSE(made);
            EXPECT_TRUE(error.startsWith(save)) << error.toStdString();
        }
        EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden),
                  QStringList());
    }
}

// Another user who may write in the folder swaps the name between a link of this user's own and a
// link of theirs to this user's file, as fast as they can, while this user saves again and again: the
// link whose owner is checked is the one followed, so the file behind the other user's link is never
// replaced. (The link of this user's names the longer path: a link read back longer than it was looked
// at is looked at again.)
TEST_F(ReplaceFile, ALinkSwappedWhileItIsFollowedIsNeverWrittenThrough) {
    if (!testsupport::CanMakeForeignLinks())
        GTEST_SKIP() << "only root can give a link to another user";
    const QString precious = Path("precious.txt"), own = Path("own-file-with-a-longer-name.bin"),
                  save = Path("save.bin");
    ASSERT_TRUE(platform::ReplaceFileContents(precious, "mine"));
    ASSERT_TRUE(platform::ReplaceFileContents(own, "own"));
    ASSERT_TRUE(QFile::link(own, save));
    const QString ownLink = Path("own.lnk"), foreignLink = Path("foreign.lnk");
    std::atomic<bool> stop{false};
    std::atomic<int> swaps{0};
    std::thread swapper([&] {
        const QByteArray to = QFile::encodeName(save), from = QFile::encodeName(ownLink),
                         target = QFile::encodeName(own);
        while (!stop.load()) {
            if (::symlink(target.constData(), from.constData()) == 0 &&
                ::rename(from.constData(), to.constData()) == 0)
                ++swaps;
            if (testsupport::MakeForeignLink(precious, foreignLink) &&
                ::rename(QFile::encodeName(foreignLink).constData(), to.constData()) == 0)
                ++swaps;
        }
    });
    const platform::SFilePiece piece{"data", 4};
    for (int i = 0; i < 20000 && ReadAll(precious) == "mine"; ++i)
        platform::ReplaceFileContents(save, std::span(&piece, 1));
    stop = true;
    swapper.join();
    EXPECT_GT(swaps.load(), 0);
    EXPECT_EQ(ReadAll(precious), QByteArray("mine"));
}

// A pipe named like the file is no file to replace: one with no reader fails the save at once
// instead of holding it until a reader comes, and another user's is not written at all, though its
// owner reads it.
TEST_F(ReplaceFile, APipeAtTheNameNeitherHoldsTheSaveNorTakesItsData) {
    const QByteArray fifo = QFile::encodeName(Path("pipe.bin"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0666), 0);
    QString error;
    auto save = std::async(std::launch::async,
                           [&] { return platform::ReplaceFileContents(Path("pipe.bin"), "data", &error); });
    if (!testsupport::Ready(save)) {
        // Let the save go: a reader until it has ended.
        const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
        save.wait();
        ::close(reader);
        FAIL() << "the save waits for a reader";
    }
    EXPECT_FALSE(save.get());
    EXPECT_TRUE(error.startsWith(Path("pipe.bin"))) << error.toStdString();

    if (!testsupport::CanMakeForeignLinks())
        GTEST_SKIP() << "only root can give a pipe to another user";
    ASSERT_EQ(::lchown(fifo.constData(), testsupport::OTHER_USER, testsupport::OTHER_USER), 0);
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    error.clear();
    EXPECT_FALSE(platform::ReplaceFileContents(Path("pipe.bin"), "data", &error));
    EXPECT_TRUE(error.startsWith(Path("pipe.bin"))) << error.toStdString();
    char got[8];
    EXPECT_LE(::read(reader, got, sizeof got), 0) << "the other user read the save's data";
    ::close(reader);
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
