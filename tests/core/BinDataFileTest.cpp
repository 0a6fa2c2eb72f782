#include "lumora/core/BinDataFile.h"
#include "CoreTestFiles.h"
#include "platform/MessageBox.h"
#include "tests/support/FileSizeLimit.h"

#include <QDir>
#include <QProcess>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using coretest::ReadAll;
using coretest::WriteAll;

namespace {

template <typename T> void Put(QByteArray& bytes, int offset, T value) {
    std::memcpy(bytes.data() + offset, &value, sizeof(T));
}

// A header as another writer could have made it: n samples and the four presence flags.
QByteArray Header(std::uint32_t n, std::uint32_t c1, std::uint32_t c2, std::uint32_t c3, std::uint32_t c4) {
    QByteArray bytes(CBinDataFile::kDataOffset, '\0');
    Put<std::uint16_t>(bytes, 0, 0x0F0F);
    Put(bytes, 47, n);
    Put(bytes, 75, c1);
    Put(bytes, 79, c2);
    Put(bytes, 83, c3);
    Put(bytes, 87, c4);
    return bytes;
}

QByteArray Doubles(std::initializer_list<double> values) {
    QByteArray bytes;
    for (double v : values)
        bytes.append(reinterpret_cast<const char*>(&v), sizeof v);
    return bytes;
}

class BinDataFile : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = platform::SetMessageBoxSink([this](const QString& text, const QString&, unsigned) {
            m_messages.append(text);
            return platform::IDOK;
        });
    }
    void TearDown() override { platform::SetMessageBoxSink(m_previous); }
    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
    QStringList m_messages;
    platform::MessageBoxSink m_previous;
};

TEST_F(BinDataFile, WrittenLayoutIsExact) {
    const double t[] = {0.0, 0.0002, 0.0004};
    const double v[] = {1e-6, -2.5e-3, 7.0};
    CBinDataFile file;
    ASSERT_EQ(file.Write(t, v, 3, Path("a.bin")), 1);
    const QByteArray bytes = ReadAll(Path("a.bin"));
    ASSERT_EQ(bytes.size(), 176 + 16 * 3);
    QByteArray expected = Header(3, 0, 1, 0, 0);
    std::memcpy(expected.data() + 2, "QXT#20151108#001", 16);
    std::memcpy(expected.data() + 22, "TORVANE TECHNOLOGIES", 20);
    expected += Doubles({0.0, 0.0002, 0.0004, 1e-6, -2.5e-3, 7.0});
    EXPECT_EQ(bytes.toHex().toStdString(), expected.toHex().toStdString());
}

TEST_F(BinDataFile, AnOutsideReaderSeesTheHeaderAndData) {
    const double t[] = {0.5, 1.5};
    const double v[] = {3.25, -4.0};
    ASSERT_EQ(CBinDataFile().Write(t, v, 2, Path("p.bin")), 1);
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import struct,sys\n"
                                 "b=open(sys.argv[1],'rb').read()\n"
                                 "m,ident,maker,n=struct.unpack_from('<H20s25sI',b,0)\n"
                                 "flags=struct.unpack_from('<4I',b,75)\n"
                                 "d=struct.unpack_from('<%dd'%(2*n),b,176)\n"
                                 "print(hex(m),ident.rstrip(b'\\0').decode(),maker.rstrip(b'\\0').decode(),n,"
                                 "flags,d,b[171:176]==bytes(5))"),
                  Path("p.bin")});
    ASSERT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(QString::fromLatin1(python.readAllStandardOutput()).trimmed().toStdString(),
              "0xf0f QXT#20151108#001 TORVANE TECHNOLOGIES 2 (0, 1, 0, 0) (0.5, 1.5, 3.25, -4.0) True");
}

TEST_F(BinDataFile, MillionSamplesReadBackBitExact) {
    constexpr unsigned n = 1000000;
    std::vector<double> t(n), v(n);
    for (unsigned i = 0; i < n; ++i) {
        t[i] = i * 0.0002;
        v[i] = 1e-6 * std::sin(i * 0.001) + (i % 7 == 0 ? 1e-3 : 0.0);
    }
    v[5] = -0.0;
    v[6] = std::numeric_limits<double>::denorm_min();
    ASSERT_EQ(CBinDataFile().Write(t.data(), v.data(), n, Path("big.bin")), 1);
    EXPECT_EQ(QFileInfo(Path("big.bin")).size(), 176 + 16LL * n);
    CBinDataFile file;
    ASSERT_EQ(file.Read(Path("big.bin")), 1);
    EXPECT_EQ(file.GetHeader().SampleCount, n);
    EXPECT_TRUE(file.IsColumnPresent(2));
    EXPECT_FALSE(file.IsColumnPresent(1));
    ASSERT_EQ(file.GetTimes().size(), n);
    ASSERT_EQ(file.GetColumn(2).size(), n);
    EXPECT_EQ(std::memcmp(file.GetTimes().data(), t.data(), n * sizeof(double)), 0);
    EXPECT_EQ(std::memcmp(file.GetColumn(2).data(), v.data(), n * sizeof(double)), 0);
    EXPECT_TRUE(file.GetColumn(1).empty());
    file.Clear();
    EXPECT_TRUE(file.GetTimes().empty());
}

TEST_F(BinDataFile, ZeroSamples) {
    ASSERT_EQ(CBinDataFile().Write(nullptr, nullptr, 0, Path("zero.bin")), 1);
    EXPECT_EQ(QFileInfo(Path("zero.bin")).size(), 176);
    CBinDataFile file;
    EXPECT_EQ(file.Read(Path("zero.bin")), 1);
    EXPECT_TRUE(file.GetTimes().empty());
}

TEST_F(BinDataFile, ColumnsFollowThePresenceFlags) {
    QByteArray bytes = Header(2, 1, 1, 0, 0) + Doubles({1, 2, 10, 20, 100, 200});
    std::memcpy(bytes.data() + 2, "OTHER-ID", 8); // neither magic nor identifier is checked
    Put<std::uint16_t>(bytes, 0, 0x1234);
    ASSERT_TRUE(WriteAll(Path("cols.bin"), bytes + "trailing"));
    CBinDataFile file;
    ASSERT_EQ(file.Read(Path("cols.bin")), 1);
    EXPECT_EQ(file.GetTimes(), (CImportColumn{1, 2}));
    EXPECT_EQ(file.GetColumn(1), (CImportColumn{10, 20}));
    EXPECT_EQ(file.GetColumn(2), (CImportColumn{100, 200}));
    EXPECT_EQ(file.GetHeader().Magic, 0x1234);
}

TEST_F(BinDataFile, ShortAndLyingFilesAreRefused) {
    struct SCase {
        const char* name;
        QByteArray bytes;
    };
    const SCase cases[] = {
        {"175 bytes", QByteArray(175, '\0')},
        {"176 bytes declaring one sample", Header(1, 0, 1, 0, 0)},
        {"two columns need 48 bytes", Header(2, 1, 1, 0, 0) + QByteArray(47, '\0')},
        {"largest count", Header(0xFFFFFFFFu, 1, 1, 1, 1) + Doubles({1, 2, 3})},
        {"count beyond the file", Header(100000000, 0, 1, 0, 0) + QByteArray(1600, '\0')},
        {"empty", QByteArray()},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteAll(Path("bad.bin"), c.bytes));
        CBinDataFile file;
        EXPECT_EQ(file.Read(Path("bad.bin")), 0) << c.name;
        EXPECT_TRUE(file.GetTimes().empty()) << c.name;
    }
    CBinDataFile file;
    EXPECT_EQ(file.Read(Path("missing.bin")), 0);
    EXPECT_EQ(file.Read(m_dir.path()), 0);
    EXPECT_EQ(file.Write(nullptr, nullptr, 0, Path("no/folder/x.bin")), 0);
    EXPECT_TRUE(m_messages.isEmpty()) << m_messages.join(u'\n').toStdString();
}

// A save that fails part way (a disk that fills up, a crash) must leave the file that was there whole:
// the run's auto-save rewrites one file again and again, and its last good copy is all a user has then.
TEST_F(BinDataFile, AFailedRewriteLeavesTheLastGoodFileWhole) {
    const double t[] = {0.0, 0.5};
    const double v[] = {1e-6, 2e-6};
    ASSERT_EQ(CBinDataFile().Write(t, v, 2, Path("auto.bin")), 1);
    const QByteArray good = ReadAll(Path("auto.bin"));
    ASSERT_EQ(good.size(), 176 + 2 * 16);

    std::vector<double> times(4096, 1.0), values(4096, 3e-6);
    {
        testsupport::CFileSizeLimit disk(4096);
        ASSERT_TRUE(disk.IsSet());
        EXPECT_EQ(CBinDataFile().Write(times.data(), values.data(), 4096, Path("auto.bin")), 0);
    }
    EXPECT_EQ(ReadAll(Path("auto.bin")), good);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("auto.bin")});
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages[0].contains(QStringLiteral("auto.bin"))) << m_messages[0].toStdString();
}

} // namespace
