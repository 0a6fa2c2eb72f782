// The compound document layer: documents of every layout we write read back byte for byte, a
// stream handed over in pieces is written whole or not at all, and damaged documents are refused
// where they are damaged without reading outside the file.
#include "StreamBuilder.h"
#include "TempFolder.h"
#include "lumora/sheetio/CompoundStorage.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <string>
#include <vector>

using SheetIO::CCompoundStorage;
using namespace sheetiotest;

namespace {

constexpr uint32_t END_OF_CHAIN = 0xFFFFFFFE;

// Bytes that differ from stream to stream and from position to position.
Bytes Pattern(size_t size, uint32_t seed) {
    Bytes bytes(size);
    uint32_t x = seed * 2654435761u + 1;
    for (uint8_t& b : bytes) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(x >> 24);
    }
    return bytes;
}

struct SStreamSpec {
    std::string name;
    size_t size;
};

bool WriteDocument(const QString& path, const std::vector<SStreamSpec>& streams) {
    auto storage = CCompoundStorage::Create(path);
    for (const SStreamSpec& s : streams)
        if (storage->CreateStream(s.name) != 1)
            return false;
    for (size_t i = 0; i < streams.size(); ++i) {
        const Bytes bytes = Pattern(streams[i].size, static_cast<uint32_t>(i));
        if (storage->WriteStream(streams[i].name, bytes.data(), bytes.size()) != 1)
            return false;
    }
    return true;
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void PutFileBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

uint32_t U32(const QByteArray& b, qsizetype at) {
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 |
           static_cast<uint8_t>(b[at + 2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}
void SetU32(QByteArray& b, qsizetype at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>(v >> (8 * i));
}
// File offset of sector s (512-byte sectors after the 512-byte header).
qsizetype Sector(uint32_t s) {
    return (qsizetype{s} + 1) * 512;
}
// File offset of the table entry of sector s (the table's first sector is named in the header).
qsizetype FatEntry(const QByteArray& b, uint32_t s) {
    return Sector(U32(b, 0x4C + 4 * (s / 128))) + 4 * (s % 128);
}
// File offset of directory entry 'id' (the directory of our documents is one run of sectors).
qsizetype Entry(const QByteArray& b, uint32_t id) {
    return Sector(U32(b, 0x30)) + 128 * qsizetype{id};
}

struct SLayoutCase {
    const char* name;
    std::vector<SStreamSpec> streams;
};

void PrintTo(const SLayoutCase& c, std::ostream* out) {
    *out << c.name;
}

class CompoundLayout : public ::testing::TestWithParam<SLayoutCase> {};

TEST_P(CompoundLayout, EveryStreamReadsBackByteForByte) {
    const SLayoutCase& c = GetParam();
    TempFolder dir;
    const QString path = dir.File("doc.ole");
    ASSERT_TRUE(WriteDocument(path, c.streams));
    // The file is whole sectors: the header and every sector the layout named.
    EXPECT_EQ(QFile(path).size() % 512, 0);
    auto storage = CCompoundStorage::OpenForReading(path);
    ASSERT_TRUE(storage);
    for (size_t i = 0; i < c.streams.size(); ++i) {
        Bytes bytes;
        // Names match without regard to the case of Latin letters.
        std::string asked = c.streams[i].name;
        for (char& ch : asked)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        ASSERT_EQ(storage->ReadStream(asked, bytes), 1) << c.streams[i].name;
        EXPECT_EQ(bytes, Pattern(c.streams[i].size, static_cast<uint32_t>(i))) << c.streams[i].name;
        // Read piece by piece, the same bytes come.
        auto reader = storage->OpenStreamReader(c.streams[i].name);
        ASSERT_TRUE(reader);
        Bytes pieces(c.streams[i].size);
        for (size_t at = 0; at < pieces.size(); at += 1000)
            ASSERT_TRUE(reader->Read(pieces.data() + at, std::min<size_t>(1000, pieces.size() - at)));
        EXPECT_FALSE(reader->Read(pieces.data(), 1)); // nothing after the end
        EXPECT_EQ(pieces, bytes) << c.streams[i].name;
    }
    Bytes none;
    EXPECT_EQ(storage->ReadStream("Missing", none), -1);
}

std::vector<SStreamSpec> ManySmall() {
    std::vector<SStreamSpec> streams;
    for (int i = 0; i < 40; ++i)
        streams.push_back({"Small" + std::to_string(i), static_cast<size_t>(3900 + i)});
    return streams;
}

INSTANTIATE_TEST_SUITE_P(
    Compound, CompoundLayout,
    ::testing::Values(SLayoutCase{"Empty", {{"Workbook", 0}}}, SLayoutCase{"Small", {{"Workbook", 100}}},
                      // Streams below 4,096 bytes live in 64-byte mini sectors.
                      SLayoutCase{"JustBelowTheCutoff", {{"Workbook", 4095}}},
                      SLayoutCase{"AtTheCutoff", {{"Workbook", 4096}}},
                      SLayoutCase{"LargeAndOddSized", {{"Workbook", 6236161}}},
                      SLayoutCase{
                          "SmallAndLargeTogether",
                          {{"Workbook", 70000}, {"b", 3000}, {"Longer name", 10}, {"e", 0}, {"C", 5000}}},
                      // More mini sectors than one sector of their table holds, and a directory
                      // of many sectors with a deep tree.
                      SLayoutCase{"ManySmallStreams", ManySmall()},
                      // More table sectors than the header can name: the table's list goes on
                      // in sectors of its own.
                      SLayoutCase{"TableListBeyondTheHeader", {{"Workbook", 9u << 20}, {"Tail", 200}}}),
    [](const ::testing::TestParamInfo<SLayoutCase>& param) { return std::string(param.param.name); });

TEST(Compound, StreamNamesTheDocumentCannotHoldAreRefused) {
    TempFolder dir;
    auto storage = CCompoundStorage::Create(dir.File("names.ole"));
    EXPECT_EQ(storage->CreateStream(""), -1);
    EXPECT_EQ(storage->CreateStream(std::string(32, 'n')), -1);
    EXPECT_EQ(storage->CreateStream("a/b"), -1);
    EXPECT_EQ(storage->CreateStream("a!b"), -1);
    EXPECT_EQ(storage->CreateStream(std::string(31, 'n')), 1);
    EXPECT_EQ(storage->CreateStream("Strom \xC3\xBC"), 1); // UTF-8
}

// A stream handed over in pieces: written whole, or the old file stays.
TEST(Compound, StreamFromPiecesIsWrittenWholeOrNotAtAll) {
    TempFolder dir;
    const QString path = dir.File("pieces.ole");
    const Bytes whole = Pattern(100000, 7);
    auto produce = [&](size_t stop, size_t extra) {
        return [&, stop, extra](const CCompoundStorage::Sink& sink) {
            for (size_t at = 0; at < std::min(stop, whole.size()); at += 3000) {
                const auto n = static_cast<uint32_t>(std::min<size_t>(3000, whole.size() - at));
                const bool ok = sink(n, [&](uint8_t* room) {
                    // The room comes zero-filled.
                    for (uint32_t i = 0; i < n; ++i)
                        if (room[i] != 0)
                            return 0u;
                    std::copy(whole.begin() + static_cast<std::ptrdiff_t>(at),
                              whole.begin() + static_cast<std::ptrdiff_t>(at + n), room);
                    return n;
                });
                if (!ok)
                    return false;
            }
            return extra == 0 ||
                   sink(static_cast<uint32_t>(extra), [&](uint8_t*) { return static_cast<uint32_t>(extra); });
        };
    };
    {
        auto storage = CCompoundStorage::Create(path);
        ASSERT_EQ(storage->CreateStream("Workbook"), 1);
        ASSERT_EQ(storage->WriteStream("Workbook", whole.size(), produce(SIZE_MAX, 0)), 1);
    }
    const QByteArray good = FileBytes(path);
    EXPECT_EQ(ReadWorkbookStream(path), whole);
    // Too few bytes, more bytes than announced, a producer that gives up: each fails and leaves
    // the file as it was, with no temporary beside it.
    for (const auto& [stop, extra] : {std::pair<size_t, size_t>{50000, 0}, {SIZE_MAX, 10}, {0, 0}}) {
        auto storage = CCompoundStorage::Create(path);
        ASSERT_EQ(storage->CreateStream("Workbook"), 1);
        EXPECT_EQ(storage->WriteStream("Workbook", whole.size(), produce(stop, extra)), -1)
            << stop << " " << extra;
        EXPECT_EQ(FileBytes(path), good);
    }
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden), QStringList{"pieces.ole"});
}

// A document of 512-byte sectors holds streams of 2 GiB at most: a larger one is refused before
// anything is written, and the old file stays.
TEST(Compound, StreamBeyondTwoGibibytesIsRefused) {
    TempFolder dir;
    const QString path = dir.File("large.ole");
    {
        auto storage = CCompoundStorage::Create(path);
        ASSERT_EQ(storage->CreateStream("Workbook"), 1);
        ASSERT_EQ(storage->WriteStream("Workbook", Pattern(5000, 3).data(), 5000), 1);
    }
    const QByteArray good = FileBytes(path);
    bool asked = false;
    const auto produce = [&](const CCompoundStorage::Sink&) { return asked = true; };
    for (const uint64_t size : {(uint64_t{2} << 30) + 1, uint64_t{0xFFFFFFFF}, uint64_t{5} << 30}) {
        auto storage = CCompoundStorage::Create(path);
        ASSERT_EQ(storage->CreateStream("Workbook"), 1);
        EXPECT_EQ(storage->WriteStream("Workbook", size, produce), -6) << size;
    }
    EXPECT_FALSE(asked);
    EXPECT_EQ(FileBytes(path), good);
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden), QStringList{"large.ole"});
}

// What each damaged document still gives: nothing (it does not open), or its "Workbook" stream
// refused (the rest of it opens), or the stream itself.
enum class EOutcome { NotOpened, StreamRefused, StreamRead };

struct SDamageCase {
    const char* name;
    std::vector<SStreamSpec> streams;
    std::function<void(QByteArray&)> damage;
    EOutcome outcome;
};

void PrintTo(const SDamageCase& c, std::ostream* out) {
    *out << c.name;
}

class CompoundDamage : public ::testing::TestWithParam<SDamageCase> {};

TEST_P(CompoundDamage, IsRefusedWhereItIsDamaged) {
    const SDamageCase& c = GetParam();
    TempFolder dir;
    const QString path = dir.File("damaged.ole");
    ASSERT_TRUE(WriteDocument(path, c.streams));
    QByteArray bytes = FileBytes(path);
    c.damage(bytes);
    PutFileBytes(path, bytes);
    auto storage = CCompoundStorage::OpenForReading(path);
    if (c.outcome == EOutcome::NotOpened) {
        EXPECT_FALSE(storage);
        return;
    }
    ASSERT_TRUE(storage);
    Bytes stream;
    const int result = storage->ReadStream("Workbook", stream);
    if (c.outcome == EOutcome::StreamRefused) {
        EXPECT_EQ(result, -1);
        EXPECT_TRUE(stream.empty());
        EXPECT_FALSE(storage->OpenStreamReader("Workbook"));
    } else {
        EXPECT_EQ(result, 1);
        EXPECT_EQ(stream, Pattern(c.streams[0].size, 0));
    }
    // A search for a name that is not there walks the whole tree, and ends.
    EXPECT_EQ(storage->ReadStream("Missing", stream), -1);
}

const std::vector<SStreamSpec> LARGE = {{"Workbook", 20000}};
const std::vector<SStreamSpec> SMALL = {{"Workbook", 1000}};
const std::vector<SStreamSpec> SMALL_THEN_MORE = {{"Workbook", 100}, {"More", 1000}};

// The file ends 100 bytes into the last sector of the mini stream (the root entry's chain): that
// sector moves to the end of the file, cut short there.
void CutTheMiniStream(QByteArray& b) {
    uint32_t previous = END_OF_CHAIN;
    uint32_t last = U32(b, Entry(b, 0) + 0x74);
    while (U32(b, FatEntry(b, last)) != END_OF_CHAIN) {
        previous = last;
        last = U32(b, FatEntry(b, last));
    }
    const auto moved = static_cast<uint32_t>(b.size() / 512 - 1);
    SetU32(b, previous == END_OF_CHAIN ? Entry(b, 0) + 0x74 : FatEntry(b, previous), moved);
    SetU32(b, FatEntry(b, moved), END_OF_CHAIN);
    b.append(b.mid(Sector(last), 100));
}

INSTANTIATE_TEST_SUITE_P(
    Compound, CompoundDamage,
    ::testing::Values(
        SDamageCase{"Signature", LARGE, [](QByteArray& b) { b[3] = 0; }, EOutcome::NotOpened},
        SDamageCase{"ByteOrder", LARGE, [](QByteArray& b) { b[0x1C] = 0; }, EOutcome::NotOpened},
        SDamageCase{"SectorSize", LARGE, [](QByteArray& b) { b[0x1E] = 10; }, EOutcome::NotOpened},
        SDamageCase{"MiniSectorSize", LARGE, [](QByteArray& b) { b[0x20] = 7; }, EOutcome::NotOpened},
        SDamageCase{"TableSectorPastTheFile", LARGE, [](QByteArray& b) { SetU32(b, 0x4C, 1000000); },
                    EOutcome::NotOpened},
        SDamageCase{"MoreTableSectorsThanTheFile", LARGE, [](QByteArray& b) { SetU32(b, 0x2C, 0x7FFFFFFF); },
                    EOutcome::NotOpened},
        SDamageCase{"DirectoryPastTheTable", LARGE, [](QByteArray& b) { SetU32(b, 0x30, 5000000); },
                    EOutcome::NotOpened},
        SDamageCase{"DirectoryChainLoops", LARGE,
                    [](QByteArray& b) {
                        const uint32_t dir = U32(b, 0x30);
                        SetU32(b, FatEntry(b, dir), dir);
                    },
                    EOutcome::NotOpened},
        SDamageCase{"RootIsNoRoot", LARGE, [](QByteArray& b) { b[Entry(b, 0) + 0x42] = 1; },
                    EOutcome::NotOpened},
        SDamageCase{"CutInTheTable", LARGE, [](QByteArray& b) { b.chop(300); }, EOutcome::NotOpened},
        // The stream's own chain: a loop, a sector beyond the table, an end too soon, a size the
        // chain cannot hold, sectors past the end of the file.
        SDamageCase{"StreamChainLoops", LARGE,
                    [](QByteArray& b) {
                        const uint32_t start = U32(b, Entry(b, 1) + 0x74);
                        SetU32(b, FatEntry(b, start + 5), start + 2);
                    },
                    EOutcome::StreamRefused},
        SDamageCase{"StreamChainLeavesTheTable", LARGE,
                    [](QByteArray& b) {
                        const uint32_t start = U32(b, Entry(b, 1) + 0x74);
                        SetU32(b, FatEntry(b, start + 3), 0x00FFFFFF);
                    },
                    EOutcome::StreamRefused},
        SDamageCase{"StreamChainEndsEarly", LARGE,
                    [](QByteArray& b) {
                        const uint32_t start = U32(b, Entry(b, 1) + 0x74);
                        SetU32(b, FatEntry(b, start + 3), END_OF_CHAIN);
                    },
                    EOutcome::StreamRefused},
        SDamageCase{"StreamLongerThanTheTable", LARGE,
                    [](QByteArray& b) { SetU32(b, Entry(b, 1) + 0x78, 0xF0000000); },
                    EOutcome::StreamRefused},
        SDamageCase{"StreamSectorsPastTheFile", LARGE,
                    [](QByteArray& b) {
                        // The chain goes on into table entries whose sectors the file lacks.
                        const uint32_t start = U32(b, Entry(b, 1) + 0x74);
                        const uint32_t last = start + 20000 / 512;
                        SetU32(b, FatEntry(b, last), 120);
                        SetU32(b, FatEntry(b, 120), END_OF_CHAIN);
                        SetU32(b, Entry(b, 1) + 0x78, 20000 + 512);
                    },
                    EOutcome::StreamRefused},
        SDamageCase{"TreeLoopsOnItself", LARGE,
                    [](QByteArray& b) {
                        // The stream's entry names itself as its sibling: it is still found once.
                        SetU32(b, Entry(b, 1) + 0x44, 1);
                        SetU32(b, Entry(b, 1) + 0x48, 0);
                    },
                    EOutcome::StreamRead},
        SDamageCase{"UpperHalfOfTheSizeUndefined", LARGE,
                    [](QByteArray& b) { SetU32(b, Entry(b, 1) + 0x7C, 0xDEAD); }, EOutcome::StreamRead},
        // Version 4 counts sizes in 64 bits: one so large that its count of sectors wraps.
        SDamageCase{"SizeWhoseSectorCountWraps", LARGE,
                    [](QByteArray& b) {
                        b[0x1A] = 4;
                        SetU32(b, Entry(b, 1) + 0x78, 0xFFFFFFFF);
                        SetU32(b, Entry(b, 1) + 0x7C, 0xFFFFFFFF);
                    },
                    EOutcome::StreamRefused},
        // A small stream whose mini stream (the root entry's chain) is damaged: the document
        // opens, the small stream cannot be read.
        SDamageCase{"MiniStreamChainLeavesTheTable", SMALL,
                    [](QByteArray& b) { SetU32(b, Entry(b, 0) + 0x74, 0x00FFFFFF); },
                    EOutcome::StreamRefused},
        SDamageCase{"MiniChainLoops", SMALL,
                    [](QByteArray& b) {
                        const uint32_t miniFat = U32(b, 0x3C);
                        SetU32(b, Sector(miniFat) + 4 * 3, 1);
                    },
                    EOutcome::StreamRefused},
        SDamageCase{"MiniStreamShorterThanTheStream", SMALL,
                    [](QByteArray& b) { SetU32(b, Entry(b, 0) + 0x78, 512); }, EOutcome::StreamRefused},
        // A mini stream cut short by the end of the file: a small stream in the part cut off is
        // refused, one before the cut still reads.
        SDamageCase{"MiniStreamCutOffInTheStream", SMALL, CutTheMiniStream, EOutcome::StreamRefused},
        SDamageCase{"MiniStreamCutOffAfterTheStream", SMALL_THEN_MORE, CutTheMiniStream,
                    EOutcome::StreamRead}),
    [](const ::testing::TestParamInfo<SDamageCase>& param) { return std::string(param.param.name); });

// A document of 4,096-byte sectors (version 4), as other writers make them, built by hand: the
// header's sector, the table, the directory and a stream of two sectors.
TEST(Compound, DocumentOfLargeSectorsReads) {
    const Bytes stream = Pattern(6000, 0);
    QByteArray doc(4096 * 5, '\0');
    auto set16 = [&](qsizetype at, uint16_t v) {
        doc[at] = static_cast<char>(v);
        doc[at + 1] = static_cast<char>(v >> 8);
    };
    const uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    for (int i = 0; i < 8; ++i)
        doc[i] = static_cast<char>(signature[i]);
    set16(0x18, 0x3E);
    set16(0x1A, 4);
    set16(0x1C, 0xFFFE);
    set16(0x1E, 12);
    set16(0x20, 6);
    SetU32(doc, 0x2C, 1);            // one table sector
    SetU32(doc, 0x30, 1);            // directory in sector 1
    SetU32(doc, 0x38, 4096);         // mini stream cutoff
    SetU32(doc, 0x3C, END_OF_CHAIN); // no mini table
    SetU32(doc, 0x44, END_OF_CHAIN); // no table list sectors
    SetU32(doc, 0x4C, 0);            // the table is sector 0
    for (int i = 1; i < 109; ++i)
        SetU32(doc, 0x4C + 4 * i, 0xFFFFFFFF);
    const qsizetype fat = 4096;
    for (int i = 0; i < 1024; ++i)
        SetU32(doc, fat + 4 * i, 0xFFFFFFFF);
    SetU32(doc, fat, 0xFFFFFFFD); // sector 0: the table
    SetU32(doc, fat + 4, END_OF_CHAIN);
    SetU32(doc, fat + 8, 3); // the stream: sectors 2 and 3
    SetU32(doc, fat + 12, END_OF_CHAIN);
    auto entry = [&](int id, const char16_t* name, uint8_t type, uint32_t child, uint32_t start,
                     uint32_t size) {
        const qsizetype e = 2 * 4096 + 128 * id;
        int n = 0;
        for (; name[n]; ++n)
            set16(e + 2 * n, name[n]);
        set16(e + 0x40, static_cast<uint16_t>(2 * (n + 1)));
        doc[e + 0x42] = static_cast<char>(type);
        doc[e + 0x43] = 1;
        SetU32(doc, e + 0x44, 0xFFFFFFFF);
        SetU32(doc, e + 0x48, 0xFFFFFFFF);
        SetU32(doc, e + 0x4C, child);
        SetU32(doc, e + 0x74, start);
        SetU32(doc, e + 0x78, size);
    };
    entry(0, u"Root Entry", 5, 1, END_OF_CHAIN, 0);
    entry(1, u"Workbook", 2, 0xFFFFFFFF, 2, static_cast<uint32_t>(stream.size()));
    for (size_t i = 0; i < stream.size(); ++i)
        doc[3 * 4096 + static_cast<qsizetype>(i)] = static_cast<char>(stream[i]);
    // The last sector may end early: only the bytes the stream needs must be there.
    doc.chop(4096 - (static_cast<qsizetype>(stream.size()) - 4096));
    TempFolder dir;
    PutFileBytes(dir.File("v4.ole"), doc);
    EXPECT_EQ(ReadWorkbookStream(dir.File("v4.ole")), stream);
}

} // namespace
