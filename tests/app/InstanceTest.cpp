// Starts of the program as processes: the second wakes the first and ends with 0; a lock and socket
// left by a start that was killed do not block the next one; the lock lives in the user's private
// runtime folder, where no other user can plant one, and one that is not the user's own is not
// trusted; a running start that does not answer is said, not passed over in silence.
#include "lumora/shell/InstanceGuard.h"
#include "lumora/shell/LumoraApp.h"
#include "tests/app/ProbeProcess.h"
#include "tests/support/ForeignLink.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QUuid>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using apptest::CProbe;
using apptest::Probe;

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
    const QString socket = shell::CInstanceGuard::PrivateFolder() + shell::CInstanceGuard::UserName(m_key);
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

// A private runtime folder of the test's own, as the session gives each user one.
class PrivateRuntime : public InstanceTest {
protected:
    void SetUp() override {
        InstanceTest::SetUp();
        ASSERT_TRUE(m_runtime.isValid());
        ASSERT_TRUE(
            QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        ASSERT_TRUE(m_home.isValid());
        m_environment.insert(QStringLiteral("HOME"), m_home.path());
    }
    QString Lock() const {
        return m_runtime.path() + u'/' + shell::CInstanceGuard::UserName(m_key) + QStringLiteral(".lock");
    }
    // The folder a start takes in the home when the session gives it none.
    QString HomeFolder() const {
        return m_home.path() + QStringLiteral("/.cache/lumora-") + QSysInfo::machineHostName();
    }
    QTemporaryDir m_runtime;
    QTemporaryDir m_home;
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
};

// The lock and the socket are in the private folder, the lock readable by the user alone.
TEST_F(PrivateRuntime, TheLockIsTheUsersAloneInThePrivateFolder) {
    CProbe first(m_folder.path(), m_key, {}, m_environment);
    ASSERT_EQ(first.WaitForLine(QStringLiteral("ready")), QStringLiteral("ready"));
    QFileInfo lock(Lock());
    ASSERT_TRUE(lock.isFile());
    EXPECT_EQ(lock.permissions() & ~(QFile::ReadUser | QFile::WriteUser),
              QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(lock.ownerId(), ::geteuid());
    EXPECT_TRUE(QFileInfo::exists(m_runtime.path() + u'/' + shell::CInstanceGuard::UserName(m_key)));
}

// Lock files another user could leave where the lock once lived (the shared temporary folder), or
// that are not this user's in the private folder, keep no start from opening its window.
TEST_F(PrivateRuntime, ALockFileThatIsNotTheUsersOwnBlocksNothing) {
    const QString shared =
        QDir::temp().filePath(shell::CInstanceGuard::UserName(m_key) + QStringLiteral(".lock"));
    const QString elsewhere = m_folder.path() + QStringLiteral("/precious.txt");
    struct SCase {
        const char* name;
        QString path;
        std::function<bool(const QString&)> plant;
    };
    const auto garbage = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write("not a lock\n") > 0;
    };
    const auto otherUser = [garbage](const QString& path) {
        return garbage(path) && ::chown(QFile::encodeName(path).constData(), 4242, 4242) == 0;
    };
    const bool root = ::geteuid() == 0;
    std::vector<SCase> cases = {
        {"a directory", Lock(),
         [](const QString& path) { return QDir().mkpath(path + QStringLiteral("/x")); }},
        {"a link to another file", Lock(),
         [elsewhere, garbage](const QString& path) {
             return garbage(elsewhere) && QFile::link(elsewhere, path);
         }},
    };
    if (root) {
        // Only the super-user can give a file to another user; the case runs where the tests run as it.
        cases.push_back({"another user's file in the shared folder", shared, otherUser});
        cases.push_back({"another user's file in the private folder", Lock(), otherUser});
    }
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.plant(c.path));
        {
            CProbe start(m_folder.path(), m_key, {QStringLiteral("quit")}, m_environment);
            EXPECT_EQ(start.WaitForLine(QStringLiteral("ready")), QStringLiteral("ready"));
            start.LinesUntilExit();
            EXPECT_EQ(start.m_process.exitCode(), 0);
            EXPECT_TRUE(start.Messages().isEmpty()) << start.Messages().join(u'\n').toStdString();
        }
        QFile::remove(shared);
        QDir(Lock()).removeRecursively();
        QFile::remove(Lock());
    }
    QFile kept(elsewhere);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("not a lock\n"));
}

// A start that holds the lock but does not answer (stopped here, as a hung one would be) is named
// in a message; the later start ends with 1 and opens no window.
TEST_F(PrivateRuntime, ARunningStartThatDoesNotAnswerIsSaid) {
    CProbe first(m_folder.path(), m_key, {}, m_environment);
    ASSERT_EQ(first.WaitForLine(QStringLiteral("ready")), QStringLiteral("ready"));
    const qint64 pid = first.m_process.processId();
    ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGSTOP), 0);
    CProbe second(m_folder.path(), m_key, {}, m_environment);
    const QStringList lines = second.LinesUntilExit();
    ::kill(static_cast<pid_t>(pid), SIGCONT);
    EXPECT_EQ(second.m_process.exitCode(), 1);
    EXPECT_FALSE(lines.contains(QStringLiteral("ready")));
    ASSERT_EQ(second.Messages().size(), 1) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(second.Messages()[0].contains(QStringLiteral("（进程 %1）").arg(pid)))
        << second.Messages()[0].toStdString();
    EXPECT_TRUE(second.Messages()[0].contains(QStringLiteral("没有响应")))
        << second.Messages()[0].toStdString();
    EXPECT_EQ(first.m_process.state(), QProcess::Running);
}

// A runtime folder others may enter is no private folder: the lock goes to one of the user's own, in
// the home, made closed to others.
TEST_F(PrivateRuntime, ARuntimeFolderOpenToOthersIsNotUsed) {
    ASSERT_TRUE(QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                            QFile::ExeOwner | QFile::ReadOther |
                                                            QFile::WriteOther | QFile::ExeOther));
    CProbe first(m_folder.path(), m_key, {QStringLiteral("quit")}, m_environment);
    EXPECT_EQ(first.WaitForLine(QStringLiteral("ready")), QStringLiteral("ready"));
    EXPECT_FALSE(QFileInfo::exists(Lock()));
    EXPECT_TRUE(QFileInfo::exists(HomeFolder() + u'/' + shell::CInstanceGuard::UserName(m_key) +
                                  QStringLiteral(".lock")));
    EXPECT_EQ(QFileInfo(HomeFolder()).permissions() &
                  (QFile::ReadOther | QFile::WriteOther | QFile::ExeOther | QFile::ReadGroup |
                   QFile::WriteGroup | QFile::ExeGroup),
              QFile::Permissions());
    first.LinesUntilExit();
    EXPECT_TRUE(first.Messages().isEmpty()) << first.Messages().join(u'\n').toStdString();
}

// Without a runtime folder from the session, another user can make the folder a start once fell back
// to ("lumora-<uid>" in the shared temporary folder) before the user does, and so switch the guard
// off: the start never uses a folder there, and a second start still wakes the first.
TEST_F(PrivateRuntime, AFolderAnotherUserMadeInTheTemporaryFolderKeepsTheGuard) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a folder to another user";
    QTemporaryDir shared;
    ASSERT_TRUE(shared.isValid());
    const QByteArray taken = QFile::encodeName(shared.path() + QStringLiteral("/lumora-%1").arg(::geteuid()));
    ASSERT_EQ(::mkdir(taken.constData(), 0700), 0);
    ASSERT_EQ(::chown(taken.constData(), testsupport::OTHER_USER, testsupport::OTHER_USER), 0);
    m_environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    m_environment.insert(QStringLiteral("TMPDIR"), shared.path());
    CProbe first(m_folder.path(), m_key, {}, m_environment);
    ASSERT_EQ(first.WaitForLine(QStringLiteral("ready")), QStringLiteral("ready"));
    EXPECT_TRUE(first.Messages().isEmpty()) << first.Messages().join(u'\n').toStdString();
    CProbe second(m_folder.path(), m_key, {}, m_environment);
    const QStringList lines = second.LinesUntilExit();
    EXPECT_EQ(second.m_process.exitCode(), 0);
    EXPECT_FALSE(lines.contains(QStringLiteral("ready"))) << lines.join(u'\n').toStdString();
    EXPECT_EQ(first.WaitForLine(QStringLiteral("activated")), QStringLiteral("activated 1 active 1"));
}

// With no private folder to be had (no runtime folder from the session, a home others may write in),
// the program still opens its window, and says that a second start would open a second one.
TEST_F(PrivateRuntime, WithoutAPrivateFolderTheUserIsTold) {
    m_environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    ASSERT_TRUE(QFile::setPermissions(m_home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                         QFile::ReadOther | QFile::WriteOther |
                                                         QFile::ExeOther));
    CProbe start(m_folder.path(), m_key, {QStringLiteral("quit")}, m_environment);
    EXPECT_EQ(start.WaitForLine(QStringLiteral("ready")), QStringLiteral("ready"));
    start.LinesUntilExit();
    EXPECT_EQ(start.m_process.exitCode(), 0);
    ASSERT_EQ(start.Messages().size(), 1) << start.Messages().join(u'\n').toStdString();
    EXPECT_TRUE(start.Messages()[0].contains(QStringLiteral("无法防止同时运行多个 Lumora")))
        << start.Messages()[0].toStdString();
    EXPECT_TRUE(start.Messages()[0].contains(m_home.path())) << start.Messages()[0].toStdString();
}

// scripts/run.sh starts no bench of its own and leaves the instrument files alone while a Lumora
// runs: it asks scripts/lumora-running.sh, which must see the program's own lock.
TEST_F(PrivateRuntime, TheRunScriptSeesARunningLumora) {
    const auto running = [this] {
        QProcess script;
        script.setProcessEnvironment(m_environment);
        script.start(QStringLiteral("bash"),
                     {QStringLiteral(LUMORA_SOURCE_DIR "/scripts/lumora-running.sh")});
        EXPECT_TRUE(script.waitForFinished(30000));
        return script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0;
    };
    EXPECT_FALSE(running());
    CProbe lumora(m_folder.path(), QString::fromLatin1(CLumoraApp::kInstanceKey), {}, m_environment);
    ASSERT_EQ(lumora.WaitForLine(QStringLiteral("ready")), QStringLiteral("ready"));
    EXPECT_TRUE(running());
    lumora.m_process.kill();
    ASSERT_TRUE(lumora.m_process.waitForFinished(10000));
    // A lock left by a start that was killed is no running Lumora.
    EXPECT_TRUE(QFileInfo::exists(Lock().replace(m_key, QString::fromLatin1(CLumoraApp::kInstanceKey))));
    EXPECT_FALSE(running());
}

} // namespace
