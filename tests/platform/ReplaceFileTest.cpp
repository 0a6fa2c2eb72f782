#include "platform/ReplaceFile.h"
#include "tests/support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

} // namespace
