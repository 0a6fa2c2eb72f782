#include "platform/LibraryFolder.h"
#include "platform/Library.h"
#include "platform/ProgramFolder.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(LibraryFolder, LibrariesLoadFromItWhateverTheProgramFolder) {
    QTemporaryDir data;
    platform::SetProgramFolderOverride(data.path());
    platform::CLibrary library;
    EXPECT_TRUE(library.Load(QStringLiteral("platform.dll"))) << library.ErrorText().toStdString();
    platform::SetProgramFolderOverride(QString());

    QTemporaryDir empty;
    platform::SetLibraryFolderOverride(empty.path());
    EXPECT_EQ(platform::LibraryFolder(), empty.path() + u'/');
    platform::CLibrary hidden;
    EXPECT_FALSE(hidden.Load(QStringLiteral("platform.dll"))); // not in that folder
    platform::SetLibraryFolderOverride(QString());
    EXPECT_EQ(platform::LibraryFolder(), platform::ExecutableFolder());
}

} // namespace
