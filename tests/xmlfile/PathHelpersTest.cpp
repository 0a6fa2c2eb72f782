#include "common/xmlfile/PathHelpers.h"

#include "platform/ProgramFolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct SPathCase {
    const char* input;
    const char* directory;
    const char* name;
    const char* title;
};

TEST(PathHelpers, SplitsAtTheLastSeparatorOfEitherKind) {
    const SPathCase cases[] = {
        {"/data/run/a.csv", "/data/run/", "a.csv", "a"},
        {"Data\\Current\\b.txt", "Data\\Current\\", "b.txt", "b"},
        {"mixed\\dir/c.tar.gz", "mixed\\dir/", "c.tar.gz", "c.tar"},
        {"plain.bin", "plain.bin", "plain.bin", "plain"},
        {"/top", "/top", "/top", "/top"},
        {"dir/.hidden", "dir/", ".hidden", ".hidden"},
    };
    for (const auto& c : cases) {
        const QString in = QString::fromLatin1(c.input);
        EXPECT_EQ(GetFileDirectory(in), QString::fromLatin1(c.directory)) << c.input;
        EXPECT_EQ(GetFileNameFromPath(in), QString::fromLatin1(c.name)) << c.input;
        EXPECT_EQ(GetFileTitleFromPath(in), QString::fromLatin1(c.title)) << c.input;
    }
}

TEST(PathHelpers, AddTrailingSeparator) {
    EXPECT_EQ(AddTrailingSeparator(QString()), QString());
    EXPECT_EQ(AddTrailingSeparator(QStringLiteral("/a")), QStringLiteral("/a/"));
    EXPECT_EQ(AddTrailingSeparator(QStringLiteral("/a/")), QStringLiteral("/a/"));
    EXPECT_EQ(AddTrailingSeparator(QStringLiteral("C:\\a\\")), QStringLiteral("C:\\a\\"));
}

class ProgramFolderPaths : public ::testing::Test {
protected:
    void SetUp() override { platform::SetProgramFolderOverride(QStringLiteral("/opt/Lumora/bin/")); }
    void TearDown() override { platform::SetProgramFolderOverride(QString()); }
};

TEST_F(ProgramFolderPaths, RelativeAndAbsoluteForms) {
    EXPECT_EQ(GetModuleDirectory(), QStringLiteral("/opt/Lumora/bin/"));
    EXPECT_EQ(MakeRelativePath(QStringLiteral("/opt/Lumora/bin/Data/Current/")),
              QStringLiteral("Data/Current/"));
    EXPECT_EQ(MakeRelativePath(QStringLiteral("/home/user/data/")), QStringLiteral("/home/user/data/"));
    EXPECT_EQ(MakeAbsolutePath(QStringLiteral("Data\\Current\\")),
              QStringLiteral("/opt/Lumora/bin/Data/Current/"));
    EXPECT_EQ(MakeAbsolutePath(QStringLiteral("/home/user/data/")), QStringLiteral("/home/user/data/"));
    // A folder stored relative follows the program when it moves.
    const QString stored = MakeRelativePath(QStringLiteral("/opt/Lumora/bin/Config/MainApp.xml"));
    platform::SetProgramFolderOverride(QStringLiteral("/srv/moved/"));
    EXPECT_EQ(MakeAbsolutePath(stored), QStringLiteral("/srv/moved/Config/MainApp.xml"));
}

// Paths differ by letter case on this system: a folder that differs only in case from the program
// folder is another folder, stored as it stands and read back as the same folder.
TEST_F(ProgramFolderPaths, RelativeFormsCompareLetterCase) {
    platform::SetProgramFolderOverride(QStringLiteral("/opt/lumora/"));
    const struct {
        const char* name;
        const char* path;
        const char* stored;
    } rows[] = {
        {"same case", "/opt/lumora/Data/", "Data/"},
        {"other case of a level", "/opt/Lumora/Data/", "/opt/Lumora/Data/"},
        {"upper case throughout", "/OPT/LUMORA/LogFiles/", "/OPT/LUMORA/LogFiles/"},
        {"longer name, same start", "/opt/lumora2/Data/", "/opt/lumora2/Data/"},
    };
    for (const auto& row : rows) {
        const QString stored = MakeRelativePath(QString::fromUtf8(row.path));
        EXPECT_EQ(stored, QString::fromUtf8(row.stored)) << row.name;
        EXPECT_EQ(MakeAbsolutePath(stored), QString::fromUtf8(row.path)) << row.name;
    }
}

TEST(PathHelpers, CreateFolderMakesEveryLevel) {
    QTemporaryDir dir;
    const QString deep = dir.path() + QStringLiteral("/one/two/three/");
    EXPECT_EQ(CreateFolder(deep), 1);
    EXPECT_TRUE(QDir(deep).exists());
    EXPECT_EQ(CreateFolder(deep), 1);
    EXPECT_EQ(CreateFolder(dir.path() + QStringLiteral("\\win\\style")), 1);
    EXPECT_TRUE(QDir(dir.path() + QStringLiteral("/win/style")).exists());
    QFile file(dir.path() + QStringLiteral("/plainfile"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(CreateFolder(dir.path() + QStringLiteral("/plainfile/sub")), 0);
}

} // namespace
