#include "CoreTestFiles.h"
#include "lumora/core/HighResElapsedTimer.h"
#include "lumora/core/RunLog.h"

#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using coretest::ReadAll;

namespace {

const QRegularExpression kLine(QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2} \\d{3},(.*)$"));

TEST(LogFiles, LinesCarryTheStampAndCodePageText) {
    QTemporaryDir dir;
    {
        CLogFiles log(dir.path(), QStringLiteral("a.txt"));
        ASSERT_TRUE(log.IsOpen());
        log.WriteLine(QString::fromUtf8("启动软件"));
        log.WriteLine(QStringLiteral("second"));
    }
    {
        CLogFiles again(dir.path() + QStringLiteral("/"), QStringLiteral("a.txt"));
        again.WriteLine(QStringLiteral("appended"));
    }
    const QByteArray bytes = ReadAll(dir.filePath(QStringLiteral("a.txt")));
    ASSERT_TRUE(bytes.startsWith("\r\n"));
    const QList<QByteArray> lines = bytes.mid(2).split('\n');
    ASSERT_EQ(lines.size(), 5); // two lines, the reopening's "\r\n", one line, nothing after the last "\n"
    EXPECT_TRUE(lines[0].endsWith(QByteArray::fromHex("c6f4b6afc8edbcfe") + "\r"));
    const QRegularExpressionMatch first = kLine.match(QString::fromLatin1(lines[0]));
    EXPECT_TRUE(first.hasMatch()) << lines[0].toStdString();
    EXPECT_EQ(lines[1].left(4), lines[0].left(4));
    EXPECT_TRUE(lines[1].endsWith(",second\r"));
    EXPECT_EQ(lines[2], QByteArray("\r"));
    EXPECT_TRUE(lines[3].endsWith(",appended\r"));
    EXPECT_TRUE(lines[4].isEmpty());
}

TEST(LogFiles, AFileThatCannotBeOpenedLosesLinesQuietly) {
    CLogFiles log(QStringLiteral("/nonexistent-folder/x"), QStringLiteral("a.txt"));
    EXPECT_FALSE(log.IsOpen());
    log.WriteLine(QStringLiteral("lost"));
    EXPECT_EQ(log.GetLength(), 0);
}

TEST(LogFiles, ALineTheDiskCannotTakeIsNotReportedWritten) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), dir.filePath(QStringLiteral("full.txt"))));
    CLogFiles full(dir.path(), QStringLiteral("full.txt"));
    ASSERT_TRUE(full.IsOpen());
    EXPECT_FALSE(full.WriteLine(QStringLiteral("lost")));
    EXPECT_FALSE(full.WriteLine(QStringLiteral("lost again")));

    CLogFiles log(dir.path(), QStringLiteral("a.txt"));
    EXPECT_TRUE(log.WriteLine(QStringLiteral("kept")));
}

class RunLogFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_preferences.SaveLog = 1;
        m_preferences.LogPath = m_dir.path() + QStringLiteral("/logs/sub/");
        m_preferences.LogFileName = QStringLiteral("QX_Log_first.txt");
    }
    QString FirstPath() const { return m_preferences.LogPath + QStringLiteral("QX_Log_first.txt"); }
    QTemporaryDir m_dir;
    MainPreferences m_preferences;
};

TEST_F(RunLogFixture, OpensOnlyWhenSaveLogIsSet) {
    m_preferences.SaveLog = 0;
    CRunLog log(m_preferences);
    log.OpenLogFile();
    EXPECT_FALSE(log.HasLog());
    log.WriteLogLine(QStringLiteral("x"));
    EXPECT_FALSE(QFile::exists(FirstPath()));
    m_preferences.SaveLog = 1;
    log.OpenLogFile();
    ASSERT_TRUE(log.HasLog());
    EXPECT_EQ(log.GetLogFilePath(), FirstPath());
}

TEST_F(RunLogFixture, AFolderThatCannotBeMadeLeavesTheLogAsItWas) {
    QFile blocker(m_dir.path() + QStringLiteral("/blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_preferences.LogPath = m_dir.path() + QStringLiteral("/blocker/logs/");
    CRunLog log(m_preferences);
    log.OpenLogFile();
    EXPECT_FALSE(log.HasLog());
}

// The file reaches exactly the limit with the first line; only the line after that rotates.
TEST_F(RunLogFixture, RotatesAfterTheFileIsLongerThanTheLimit) {
    const QString text = QStringLiteral("line");
    const qint64 lineBytes = 24 + text.size() + 2; // stamp, text, "\r\n"
    ASSERT_TRUE(QDir().mkpath(m_preferences.LogPath));
    {
        QFile f(FirstPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(CRunLog::kRotateSize - 2 - lineBytes));
    }
    CRunLog log(m_preferences);
    log.OpenLogFile();
    log.WriteLogLine(text);
    EXPECT_EQ(QFileInfo(FirstPath()).size(), CRunLog::kRotateSize);
    EXPECT_EQ(m_preferences.LogFileName, QStringLiteral("QX_Log_first.txt"));
    log.WriteLogLine(text);
    EXPECT_EQ(QFileInfo(FirstPath()).size(), CRunLog::kRotateSize + lineBytes);
    EXPECT_NE(m_preferences.LogFileName, QStringLiteral("QX_Log_first.txt"));
    EXPECT_TRUE(m_preferences.LogFileName.startsWith(QStringLiteral("QX_Log_")));
    EXPECT_EQ(log.GetLogFilePath(), m_preferences.LogPath + m_preferences.LogFileName);
    log.WriteLogLine(QStringLiteral("after"));
    const QByteArray rotated = ReadAll(log.GetLogFilePath());
    EXPECT_TRUE(rotated.startsWith("\r\n"));
    EXPECT_TRUE(rotated.endsWith(",after\r\n"));
}

// Writers on several threads while the log rotates: every line lands whole in one of the files.
TEST_F(RunLogFixture, ConcurrentWritersAcrossARotation) {
    ASSERT_TRUE(QDir().mkpath(m_preferences.LogPath));
    {
        QFile f(FirstPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(CRunLog::kRotateSize - 2000));
    }
    CRunLog log(m_preferences);
    log.OpenLogFile();
    constexpr int kThreads = 4;
    constexpr int kLines = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&log, t] {
            for (int i = 0; i < kLines; ++i)
                log.WriteLogLine(QStringLiteral("thread %1 line %2").arg(t).arg(i));
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_NE(log.GetLogFilePath(), FirstPath());

    int whole = 0;
    for (const QString& name : QDir(m_preferences.LogPath).entryList(QDir::Files)) {
        QByteArray bytes = ReadAll(m_preferences.LogPath + name);
        if (name == QStringLiteral("QX_Log_first.txt"))
            bytes = bytes.mid(CRunLog::kRotateSize - 2000);
        for (const QByteArray& line : bytes.split('\n')) {
            if (line.isEmpty() || line == "\r")
                continue;
            ASSERT_TRUE(line.endsWith('\r')) << line.toStdString();
            const QRegularExpressionMatch m = kLine.match(QString::fromLatin1(line.chopped(1)));
            ASSERT_TRUE(m.hasMatch()) << line.toStdString();
            EXPECT_TRUE(m.captured(1).startsWith(QStringLiteral("thread "))) << line.toStdString();
            ++whole;
        }
    }
    EXPECT_EQ(whole, kThreads * kLines);
}

// The options dialog copies the record and gives it back while a writer rotates the log: the copy
// is taken whole, and giving it back never brings back a file name the log has left.
TEST_F(RunLogFixture, PreferencesCopiedAndGivenBackAcrossARotation) {
    ASSERT_TRUE(QDir().mkpath(m_preferences.LogPath));
    {
        QFile f(FirstPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(CRunLog::kRotateSize - 500));
    }
    CRunLog log(m_preferences);
    log.OpenLogFile();
    std::thread writer([&log] {
        for (int i = 0; i < 200; ++i)
            log.WriteLogLine(QStringLiteral("line %1").arg(i));
    });
    for (int i = 0; i < 200; ++i) {
        MainPreferences copy = log.CopyPreferences();
        EXPECT_TRUE(copy.LogFileName.startsWith(QStringLiteral("QX_Log_")));
        copy.Digits = 3;
        copy.LogFileName = QStringLiteral("QX_Log_first.txt");
        log.AssignPreferences(copy);
    }
    writer.join();
    MainPreferences stale = log.CopyPreferences();
    stale.LogFileName = QStringLiteral("QX_Log_first.txt");
    log.AssignPreferences(stale);
    const MainPreferences last = log.CopyPreferences();
    EXPECT_EQ(last.Digits, 3);
    EXPECT_NE(log.GetLogFilePath(), FirstPath()) << "the writer rotated";
    EXPECT_EQ(log.GetLogFilePath(), last.LogPath + last.LogFileName);
}

TEST(HighResElapsedTimer, TextIsHoursMinutesSecondsMilliseconds) {
    const std::pair<double, const char*> cases[] = {{3723.5, "01.02.03.500"},
                                                    {0.0, "00.00.00.000"},
                                                    {59.999, "00.00.59.999"},
                                                    {360000.25, "100.00.00.250"}};
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(CHighResElapsedTimer::FormatElapsed(seconds).toStdString(), text) << seconds;
    CHighResElapsedTimer timer;
    timer.Start();
    EXPECT_TRUE(timer.GetElapsedText().startsWith(QStringLiteral("00.00.")));
}

} // namespace
