#include "platform/Paths.h"
#include "platform/Library.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(Paths, StoredBackslashesBecomeSeparators) {
    EXPECT_EQ(platform::NormalizePath(QStringLiteral("Data\\Current\\a.csv")),
              QStringLiteral("Data/Current/a.csv"));
    EXPECT_TRUE(platform::IsAbsolutePath(QStringLiteral("/tmp")));
    EXPECT_FALSE(platform::IsAbsolutePath(QStringLiteral("Config/MainApp.xml")));
}

TEST(Paths, CreateFolderLevelsMakesEveryMissingLevel) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString deep = root.path() + QStringLiteral("\\a\\b\\c\\");
    EXPECT_TRUE(platform::CreateFolderLevels(deep));
    EXPECT_TRUE(QDir(root.path() + QStringLiteral("/a/b/c")).exists());
    EXPECT_TRUE(platform::CreateFolderLevels(deep)); // already there
}

TEST(Paths, CreateFolderLevelsFailsBelowAFile) {
    QTemporaryDir root;
    QFile file(root.path() + QStringLiteral("/plain"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(platform::CreateFolderLevels(root.path() + QStringLiteral("/plain/sub")));
}

TEST(ProgramFolder, IsTheExecutablesFolderWithTrailingSeparator) {
    const QString folder = platform::ProgramFolder();
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_TRUE(folder.endsWith(u'/'));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("platform_tests")));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("libplatform.so")));
}

TEST(Library, LoadsByWindowsStyleNameFromTheProgramFolder) {
    EXPECT_EQ(platform::CLibrary::FileNameFor(QStringLiteral("supplydrv.dll")),
              QStringLiteral("libsupplydrv.so"));
    platform::CLibrary library;
    ASSERT_TRUE(library.Load(QStringLiteral("platform.dll")));
    EXPECT_NE(library.Resolve("_ZN8platform13ProgramFolderEv"), nullptr);
    EXPECT_EQ(library.Resolve("NoSuchEntry"), nullptr);
    platform::CLibrary missing;
    EXPECT_FALSE(missing.Load(QStringLiteral("nosuchlib.dll")));
    EXPECT_FALSE(missing.ErrorText().isEmpty());
}

} // namespace
