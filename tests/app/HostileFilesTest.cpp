// Starts of the program, as processes of their own, over settings files that are damaged or made to
// harm it: each start opens its window with the defaults, says once which files it did not read, and
// leaves them as they were.
#include "tests/app/ProbeProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUuid>
#include <gtest/gtest.h>

namespace {

using apptest::CProbe;

QByteArray Nested(const QByteArray& root, int levels) {
    QByteArray text = "<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n<" + root + ">";
    text += QByteArray("<a>").repeated(levels);
    text += QByteArray("</a>").repeated(levels);
    return text + "</" + root + ">";
}

class HostileFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(QFile::exists(apptest::Probe()));
    }
    QString Path(const QString& name) const { return m_folder.path() + u'/' + name; }
    void Write(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(Path(name)).path());
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }
    QByteArray Read(const QString& name) const {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }
    // Starts the program, lets it close its window once it is up, and gives its message boxes.
    QStringList StartAndClose() {
        CProbe probe(m_folder.path(), QUuid::createUuid().toString(), {QStringLiteral("quit")});
        EXPECT_EQ(probe.WaitForLine(QStringLiteral("ready")), QStringLiteral("ready"))
            << probe.m_process.readAllStandardError().toStdString();
        probe.LinesUntilExit();
        EXPECT_EQ(probe.m_process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(probe.m_process.exitCode(), 0);
        return probe.Messages();
    }
    QTemporaryDir m_folder;
};

struct SKind {
    const char* file;
    const char* root;
};

class DeepNesting : public HostileFiles, public ::testing::WithParamInterface<SKind> {};

// 40,000 nested elements (280 KB) once overflowed the parser's stack at every start.
TEST_P(DeepNesting, StartsWithTheDefaultsAndSaysWhichFileWasNotRead) {
    const QString name = QString::fromLatin1(GetParam().file);
    const QByteArray deep = Nested(GetParam().root, 40000);
    Write(name, deep);
    const QStringList messages = StartAndClose();
    ASSERT_EQ(messages.size(), 1) << messages.join(u'\n').toStdString();
    EXPECT_TRUE(messages[0].contains(QDir::toNativeSeparators(QFileInfo(Path(name)).absoluteFilePath())))
        << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("元素嵌套深于任何设置文件")))
        << messages[0].toStdString();
    EXPECT_EQ(Read(name), deep);
}

INSTANTIATE_TEST_SUITE_P(
    EachKind, DeepNesting,
    ::testing::Values(SKind{"Config/MainApp.xml", "LumoraSuite"},
                      SKind{"Instruments/DC Power Supply/DC Power Supply.xml", "QXInstrument"},
                      SKind{"Instruments/Digit Multimeter/Digit Multimeter.xml", "QXInstrument"},
                      SKind{"Config/Waveform.xml", "LumoraSuite"},
                      SKind{"Config/WaveformCurrent.xml", "LumoraSuite"},
                      SKind{"Config/WaveformCCDF.xml", "LumoraSuite"},
                      SKind{"Config/WaveformCombo.xml", "LumoraSuite"}));

// Files that cannot be read are no longer passed over in silence: one message names each with its
// reason, the configuration file's own message first, and every file stays as it was.
TEST_F(HostileFiles, UnreadableSettingsFilesAreNamedOnceAndKept) {
    const struct {
        const char* file;
        QByteArray bytes;
        const char* reason;
    } files[] = {
        {"Config/MainApp.xml", "", "文件为空"},
        {"Instruments/DC Power Supply/DC Power Supply.xml", "\x01\x02 garbage \xff", "不是格式正确的 XML"},
        {"Instruments/Digit Multimeter/Digit Multimeter.xml", "<QXInstrument><Instrument><VISA Resource=\"TC",
         "不是格式正确的 XML（第 1 行"},
        {"Config/Waveform.xml", "<Other><ParametersWaveform/></Other>", "缺少该文件的根元素"},
        {"Config/WaveformCCDF.xml", QByteArray::fromHex("fffe3c004c0075006d006f0072006100"), "UTF-16"},
    };
    for (const auto& file : files)
        Write(QString::fromLatin1(file.file), file.bytes);
    const QStringList messages = StartAndClose();
    ASSERT_EQ(messages.size(), 1) << messages.join(u'\n').toStdString();
    const QStringList lines = messages[0].split(QStringLiteral(" | "));
    ASSERT_EQ(lines.size(), 2 + std::size(files)) << messages[0].toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("错误：软件参数配置文件解析错误，请重试！"));
    EXPECT_EQ(lines[1], QStringLiteral("以下设置文件未能读取，已使用默认设置，文件保持原样："));
    for (const auto& file : files) {
        const QString path =
            QDir::toNativeSeparators(QFileInfo(Path(QString::fromLatin1(file.file))).absoluteFilePath());
        const auto line = std::find_if(lines.begin(), lines.end(), [&](const QString& l) {
            return l.startsWith(path + QStringLiteral("："));
        });
        ASSERT_NE(line, lines.end()) << file.file;
        EXPECT_TRUE(line->contains(QString::fromUtf8(file.reason))) << line->toStdString();
        EXPECT_EQ(Read(QString::fromLatin1(file.file)), file.bytes) << file.file;
    }
}

// Saves killed half way leave temporaries in the program's own folders: a start removes them, and
// leaves files that are not its own temporaries.
TEST_F(HostileFiles, AStartRemovesTheTemporariesOfKilledSaves) {
    const QStringList stale{QStringLiteral("Config/MainApp.xml.3fa9c2d1.tmp"),
                            QStringLiteral("Instruments/DC Power Supply/DC Power Supply.xml.7.tmp"),
                            QStringLiteral("Data/Data Logging/QX_2024.bin.a1b2c3d4.tmp")};
    for (const QString& name : stale)
        Write(name, QByteArray(4096, 'x'));
    Write(QStringLiteral("Data/Data Logging/notes.tmp"), "mine");
    EXPECT_TRUE(StartAndClose().isEmpty());
    for (const QString& name : stale)
        EXPECT_FALSE(QFile::exists(Path(name))) << name.toStdString();
    EXPECT_EQ(Read(QStringLiteral("Data/Data Logging/notes.tmp")), QByteArray("mine"));
}

// Good files, missing files: nothing to say.
TEST_F(HostileFiles, AStartWithoutSettingsFilesSaysNothing) {
    EXPECT_TRUE(StartAndClose().isEmpty());
}

} // namespace
