// Two starts of the program as processes: the second wakes the first and ends with 0; a lock and
// socket left by a start that was killed do not block the next one.
#include "lumora/shell/InstanceGuard.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>
#include <gtest/gtest.h>

namespace {

QString Probe() {
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).path() +
           QStringLiteral("/app_probe");
}

class CProbe {
public:
    CProbe(const QString& folder, const QString& key) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start(Probe(), {folder, key});
    }
    ~CProbe() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    // Waits for a line of standard output that starts with the text; the line, or empty on time-out.
    QString WaitForLine(const QString& start, int timeoutMs = 60000) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            while (m_process.canReadLine()) {
                const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
                m_lines.append(line);
                if (line.startsWith(start))
                    return line;
            }
            if (m_process.state() == QProcess::NotRunning && !m_process.canReadLine())
                return {};
            m_process.waitForReadyRead(100);
        }
        return {};
    }
    QProcess m_process;
    QStringList m_lines;
};

class InstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(QFile::exists(Probe()));
    }
    QTemporaryDir m_folder;
    const QString m_key = QUuid::createUuid().toString();
};

TEST_F(InstanceTest, ASecondStartWakesTheFirstAndEndsWithZero) {
    CProbe first(m_folder.path(), m_key);
    ASSERT_EQ(first.WaitForLine(QStringLiteral("ready")), QStringLiteral("ready"));

    CProbe second(m_folder.path(), m_key);
    ASSERT_TRUE(second.m_process.waitForFinished(30000));
    EXPECT_EQ(second.m_process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.m_process.exitCode(), 0);
    EXPECT_EQ(second.WaitForLine(QStringLiteral("splash-shown")), QStringLiteral("splash-shown 0"));
    EXPECT_FALSE(second.m_lines.contains(QStringLiteral("ready")));

    EXPECT_EQ(first.WaitForLine(QStringLiteral("activated")), QStringLiteral("activated 1 active 1"));
    EXPECT_EQ(first.m_process.state(), QProcess::Running);
}

TEST_F(InstanceTest, AKilledStartBlocksNothing) {
    const QString socket = QDir::temp().filePath(shell::CInstanceGuard::UserName(m_key));
    {
        CProbe crashed(m_folder.path(), m_key);
        ASSERT_EQ(crashed.WaitForLine(QStringLiteral("ready")), QStringLiteral("ready"));
        crashed.m_process.kill();
        ASSERT_TRUE(crashed.m_process.waitForFinished(60000));
    }
    EXPECT_TRUE(QFile::exists(socket));
    EXPECT_TRUE(QFile::exists(socket + QStringLiteral(".lock")));

    CProbe next(m_folder.path(), m_key);
    EXPECT_EQ(next.WaitForLine(QStringLiteral("ready")), QStringLiteral("ready"));

    CProbe second(m_folder.path(), m_key);
    ASSERT_TRUE(second.m_process.waitForFinished(30000));
    EXPECT_EQ(second.m_process.exitCode(), 0);
    EXPECT_EQ(next.WaitForLine(QStringLiteral("activated")), QStringLiteral("activated 1 active 1"));
}

} // namespace
