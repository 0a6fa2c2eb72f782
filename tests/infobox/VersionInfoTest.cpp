// Version records: the program's own, another library's read from its file, files without a record
// or cut short, and the choice of the strings' language.
#include "dialogs/infobox/FileVersionInfo.h"
#include "dialogs/infobox/VersionRecord.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString ProgramFolder() {
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).path() + u'/';
}

QString SupplyLibrary() {
    return ProgramFolder() + QStringLiteral("libsupplydrv.so");
}

bool IsMapped(const QString& fileName) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(fileName.toUtf8());
}

// Reads protected parts through a subclass, as the record's parser is tested on bytes of its own.
class CVersionProbe : public CFileVersionInfo {
public:
    using CFileVersionInfo::GetTranslationId;
    int ParseAs(const QByteArray& record, WORD language) { return Parse(record, language); }
};

void ExpectVersion(const CFileVersionInfo& info, const QString& fileName, unsigned fileType) {
    EXPECT_EQ(info.GetFileVersion(3), LUMORA_TEST_VERSION_MAJOR);
    EXPECT_EQ(info.GetFileVersion(2), LUMORA_TEST_VERSION_MINOR);
    EXPECT_EQ(info.GetFileVersion(1), LUMORA_TEST_VERSION_PATCH);
    EXPECT_EQ(info.GetFileVersion(0), 0);
    EXPECT_EQ(info.GetFileVersion(4), 0);
    EXPECT_EQ(info.GetProductVersion(3), LUMORA_TEST_VERSION_MAJOR);
    EXPECT_EQ(info.GetFileType(), fileType);
    EXPECT_EQ(info.GetFileFlagsMask(), 0x3Fu);
    EXPECT_EQ(info.GetOriginalFileName(), fileName);
    EXPECT_EQ(info.GetCompanyName(), QStringLiteral("TORVANE TECHNOLOGIES"));
    EXPECT_EQ(info.GetProductName(), QStringLiteral("Lumora"));
    EXPECT_EQ(info.GetPrivateBuild(), QStringLiteral(LUMORA_TEST_PRIVATE_BUILD));
    EXPECT_EQ(info.GetFileVersion(), QStringLiteral("%1.%2.%3.0")
                                         .arg(LUMORA_TEST_VERSION_MAJOR)
                                         .arg(LUMORA_TEST_VERSION_MINOR)
                                         .arg(LUMORA_TEST_VERSION_PATCH));
}

void ExpectEmpty(const CFileVersionInfo& info) {
    EXPECT_EQ(info.GetFileVersion(3), 0);
    EXPECT_EQ(info.GetFileType(), 0u);
    EXPECT_TRUE(info.GetProductName().isEmpty());
    EXPECT_TRUE(info.GetOriginalFileName().isEmpty());
}

TEST(VersionInfo, ReadsTheProgramsOwnRecordAndALibrarysByAddress) {
    CFileVersionInfo own;
    ASSERT_EQ(own.Create(static_cast<const void*>(nullptr)), 1);
    ExpectVersion(own, QStringLiteral("infobox_tests"), 1);

    CFileVersionInfo library;
    ASSERT_EQ(library.Create(reinterpret_cast<const void*>(&CFileVersionInfo::UserDefaultLanguage)), 1);
    ExpectVersion(library, QStringLiteral("libinfobox.so"), 2);
}

TEST(VersionInfo, ReadsAnotherLibrarysRecordFromItsFileWithoutLoadingIt) {
    ASSERT_TRUE(QFile::exists(SupplyLibrary()));
    ASSERT_FALSE(IsMapped(QStringLiteral("libsupplydrv.so")));
    CFileVersionInfo info;
    ASSERT_EQ(info.Create(SupplyLibrary()), 1);
    ExpectVersion(info, QStringLiteral("libsupplydrv.so"), 2);
    EXPECT_FALSE(IsMapped(QStringLiteral("libsupplydrv.so")));

    CFileVersionInfo copy(info);
    EXPECT_EQ(copy.GetOriginalFileName(), QStringLiteral("libsupplydrv.so"));
    EXPECT_EQ(copy.GetFileVersion(3), info.GetFileVersion(3));
}

// Files that hold no record, or only part of one, give 0 and leave the object empty; a failed
// Create after a good one resets what the good one read.
TEST(VersionInfo, FilesWithoutARecordOrCutShortAreFailures) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile library(SupplyLibrary());
    ASSERT_TRUE(library.open(QIODevice::ReadOnly));
    const QByteArray whole = library.readAll();
    ASSERT_GT(whole.size(), 4096);

    const QString stripped = dir.filePath(QStringLiteral("stripped.so"));
    ASSERT_EQ(QProcess::execute(QStringLiteral(LUMORA_TEST_OBJCOPY),
                                {QStringLiteral("--remove-section"),
                                 QString::fromLatin1(infobox::kVersionSection), SupplyLibrary(), stripped}),
              0);

    struct Case {
        const char* name;
        QByteArray bytes;
    };
    QFile strippedFile(stripped);
    ASSERT_TRUE(strippedFile.open(QIODevice::ReadOnly));
    const Case cases[] = {
        {"library without the section", strippedFile.readAll()},
        {"empty file", QByteArray()},
        {"text file", QByteArray("not a program\n")},
        {"ELF header cut short", whole.left(20)},
        {"first half", whole.left(whole.size() / 2)},
        {"all but the last byte", whole.left(whole.size() - 1)},
        {"big-endian mark", QByteArray(whole).replace(5, 1, "\x02")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        ASSERT_EQ(out.write(c.bytes), c.bytes.size());
        out.close();
        CFileVersionInfo info;
        ASSERT_EQ(info.Create(SupplyLibrary()), 1);
        EXPECT_EQ(info.Create(path), 0);
        ExpectEmpty(info);
    }
    CFileVersionInfo missing;
    EXPECT_EQ(missing.Create(dir.filePath(QStringLiteral("no such file"))), 0);
}

constexpr infobox::VersionFields kTwoLanguages{
    .fileVersion = {2, 7, 1, 9},
    .productVersion = {2, 7, 0, 0},
    .fileDate = 0x01D0000000000000ULL,
    .translations = {{{0x0409, 1200, {u"Maker", u"Tool", u"2.7.1.9", u"", u"", u"tool", u"Tool English"}},
                      {0x0407, 1200, {u"Hersteller", u"Werkzeug", u"", u"", u"", u"", u"Werkzeug"}}}},
    .translationCount = 2,
};
constexpr auto kTwoRecord =
    infobox::MakeVersionRecord<infobox::VersionRecordSize(kTwoLanguages)>(kTwoLanguages);

QByteArray TwoRecord() {
    return QByteArray(reinterpret_cast<const char*>(kTwoRecord.data()),
                      static_cast<qsizetype>(kTwoRecord.size()));
}

TEST(VersionInfo, StringsOfTheBestFittingLanguage) {
    struct Case {
        const char* name;
        CFileVersionInfo::WORD user;
        const char* product;
    };
    const Case cases[] = {
        {"German user, exact", 0x0407, "Werkzeug"},
        {"Swiss German user, by primary language", 0x0807, "Werkzeug"},
        {"Chinese user, English by primary language", 0x0804, "Tool English"},
        {"US English user", 0x0409, "Tool English"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CVersionProbe info;
        ASSERT_EQ(info.ParseAs(TwoRecord(), c.user), 1);
        EXPECT_EQ(info.GetProductName(), QString::fromUtf8(c.product));
        EXPECT_EQ(info.GetFileVersion(0), 9);
        EXPECT_EQ(info.GetProductVersion(2), 7);
    }
}

TEST(VersionInfo, EveryRecordCutShortIsRefused) {
    const QByteArray record = TwoRecord();
    for (qsizetype size = 0; size < record.size(); ++size) {
        CVersionProbe info;
        ASSERT_EQ(info.ParseAs(record.left(size), 0x0409), 0) << "record of " << size << " bytes";
        ExpectEmpty(info);
    }
}

TEST(VersionInfo, FileDates) {
    CVersionProbe info;
    ASSERT_EQ(info.ParseAs(TwoRecord(), 0x0409), 1);
    // 0x01D0000000000000 ticks of 100 ns after 1601 fall in 2014.
    EXPECT_EQ(info.GetFileDate().toUTC().date().year(), 2014);

    QByteArray far = TwoRecord();
    // The date's high double word lies at 8 + 4 + 44 bytes: all bits set is no date a clock holds.
    far.replace(8 + 4 + 44, 8, QByteArray(8, '\xFF'));
    ASSERT_EQ(info.ParseAs(far, 0x0409), 1);
    EXPECT_FALSE(info.GetFileDate().isValid());
}

TEST(VersionInfo, TranslationLookupByExactAndPrimaryLanguage) {
    const unsigned char table[] = {0x09, 0x04, 0xB0, 0x04, 0x04, 0x08, 0xA8, 0x03};
    CVersionProbe::DWORD out = 0;
    EXPECT_EQ(CVersionProbe::GetTranslationId(table, sizeof table, 0x0804, out, 0), 1);
    EXPECT_EQ(out, 0x03A80804u);
    EXPECT_EQ(CVersionProbe::GetTranslationId(table, sizeof table, 0x0C04, out, 0), 0);
    EXPECT_EQ(CVersionProbe::GetTranslationId(table, sizeof table, 0x0C04, out, 1), 1);
    EXPECT_EQ(out, 0x03A80804u);
    EXPECT_EQ(CVersionProbe::GetTranslationId(table, 6, 0x0804, out, 1), 0);
}

} // namespace
