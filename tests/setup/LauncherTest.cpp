// The launcher run as a user's lab PC runs it: a copy of the program in a folder with its launcher
// file, started as a process. Only an existing regular file inside that folder may start.
#include "setup/InstanceChecker.h"
#include "tests/support/ForeignLink.h"
#include "tests/support/WaitFor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kGoodId = "{6A1D2C3B-0F4E-4D5A-9B8C-7E6F5A4B3C2D}";

class LauncherTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_root.isValid());
        m_media = m_root.path() + QStringLiteral("/media");
        m_runtime = m_root.path() + QStringLiteral("/runtime");
        m_programFiles = m_root.path() + QStringLiteral("/opt");
        ASSERT_TRUE(QDir().mkpath(m_media));
        ASSERT_TRUE(QDir().mkpath(m_runtime));
        QFile::setPermissions(m_runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_TRUE(QDir().mkpath(m_programFiles));
        m_program = m_media + QStringLiteral("/setup");
        ASSERT_TRUE(QFile::copy(QStringLiteral(LUMORA_SETUP_PROGRAM), m_program));
        m_marker = m_root.path() + QStringLiteral("/started");
        m_environment.insert(QStringLiteral("LD_LIBRARY_PATH"),
                             QFileInfo(QStringLiteral(LUMORA_SETUP_PROGRAM)).absolutePath());
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
        m_environment.insert(QStringLiteral("PROGRAMFILES"), m_programFiles);
    }

    // A script that leaves the marker file when it runs.
    void WriteScript(const QString& path) const {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("#!/bin/sh\necho \"$0\" > '%1'\n").arg(m_marker).toUtf8());
        file.close();
        file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
    }

    void WriteLauncherFile(const QString& root, const QString& installElement) const {
        QFile file(m_media + QStringLiteral("/TORVANE.AutoRun.xml"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\" standalone=\"yes\" ?>\n"
                                  "<%1>\n  <Product NameCN=\"x\" NameEN=\"Lumora\" />\n  %2\n"
                                  "  <Documents Name=\"Manual\" Value=\"doc\" />\n</%1>\n")
                       .arg(root, installElement)
                       .toUtf8());
    }

    struct SRun {
        int exitCode = -1;
        QString errors;
    };

    SRun Run(const QStringList& arguments = {}, const QString& pathFirst = QString()) const {
        QProcess process;
        QProcessEnvironment environment = m_environment;
        if (!pathFirst.isEmpty())
            environment.insert(QStringLiteral("PATH"),
                               pathFirst + u':' + environment.value(QStringLiteral("PATH")));
        process.setProcessEnvironment(environment);
        process.start(m_program, arguments);
        EXPECT_TRUE(process.waitForFinished(static_cast<int>(testsupport::kLongWait.count())));
        return SRun{process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
    }

    // The started target runs detached: wait for its marker.
    bool MarkerAppears() const {
        return testsupport::WaitUntil([&] { return QFile::exists(m_marker); });
    }
    // No target was started: the launchers have ended and no marker came for a while. A target started
    // wrongly but slower than that would go unseen (a pass that should have failed); launchers that
    // start nothing can never fail here, however slow the machine.
    bool NoMarkerAppears(unsigned long ms = 300) const {
        QThread::msleep(ms);
        return !QFile::exists(m_marker);
    }

    // The processes that run the copy of the launcher, by whatever name.
    std::vector<pid_t> Launchers() const {
        std::vector<pid_t> found;
        struct stat program {};
        if (::stat(QFile::encodeName(m_program).constData(), &program) != 0)
            return found;
        for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            bool number = false;
            const pid_t pid = static_cast<pid_t>(entry.toInt(&number));
            struct stat running {};
            if (number &&
                ::stat(QStringLiteral("/proc/%1/exe").arg(pid).toLatin1().constData(), &running) == 0 &&
                running.st_dev == program.st_dev && running.st_ino == program.st_ino)
                found.push_back(pid);
        }
        return found;
    }

    QTemporaryDir m_root;
    QString m_media, m_runtime, m_programFiles, m_program, m_marker;
    QProcessEnvironment m_environment = QProcessEnvironment::systemEnvironment();
};

TEST_F(LauncherTest, InstallerInsideItsFolderStarts) {
    ASSERT_TRUE(QDir().mkpath(m_media + QStringLiteral("/linux")));
    WriteScript(m_media + QStringLiteral("/linux/install.sh"));
    // Launcher files written on Windows name the installer with backslashes.
    WriteLauncherFile(QStringLiteral("Project"),
                      QStringLiteral("<Install Name=\"Setup\" Value=\"linux\\install.sh\" />"));
    const SRun run = Run();
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(MarkerAppears());
}

TEST_F(LauncherTest, RefusedInstallTargetsStartNothingAndFail) {
    WriteScript(m_root.path() + QStringLiteral("/outside.sh"));
    ASSERT_TRUE(QDir().mkpath(m_media + QStringLiteral("/folder.sh")));
    ASSERT_TRUE(
        QFile::link(m_root.path() + QStringLiteral("/outside.sh"), m_media + QStringLiteral("/link.sh")));
    struct Row {
        const char* name;
        QString root;
        QString install;
        const char* reason;
    };
    const QString outside = m_root.path() + QStringLiteral("/outside.sh");
    const Row rows[] = {
        {"traversal", QStringLiteral("Project"), QStringLiteral("<Install Value=\"../outside.sh\" />"),
         "outside"},
        {"backslash traversal", QStringLiteral("Project"),
         QStringLiteral("<Install Value=\"..\\outside.sh\" />"), "outside"},
        {"absolute path", QStringLiteral("Project"), QStringLiteral("<Install Value=\"%1\" />").arg(outside),
         "not a path inside"},
        {"link leading out", QStringLiteral("Project"), QStringLiteral("<Install Value=\"link.sh\" />"),
         "outside"},
        {"missing file", QStringLiteral("Project"), QStringLiteral("<Install Value=\"missing.sh\" />"),
         "does not exist"},
        {"a folder", QStringLiteral("Project"), QStringLiteral("<Install Value=\"folder.sh\" />"),
         "not a regular file"},
        {"the own folder", QStringLiteral("Project"), QStringLiteral("<Install Value=\".\" />"), "outside"},
        {"root in lower case", QStringLiteral("project"), QStringLiteral("<Install Value=\"linux.sh\" />"),
         "names no installer"},
    };
    WriteScript(m_media + QStringLiteral("/linux.sh"));
    QFile::remove(m_marker);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WriteLauncherFile(row.root, row.install);
        const SRun run = Run();
        EXPECT_NE(run.exitCode, 0);
        EXPECT_TRUE(run.errors.contains(QString::fromLatin1(row.reason))) << run.errors.toStdString();
    }
    EXPECT_TRUE(NoMarkerAppears());
}

// An Install element that names no installer opens the launcher's own folder with the desktop's
// opener (a stand-in here, that notes what it was given).
TEST_F(LauncherTest, AnInstallWithoutValueOpensTheLaunchersFolder) {
    const QString opener = m_root.path() + QStringLiteral("/opener");
    ASSERT_TRUE(QDir().mkpath(opener));
    {
        QFile file(opener + QStringLiteral("/xdg-open"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            QStringLiteral("#!/bin/sh\necho \"$1\" > '%1.part'\nmv '%1.part' '%1'\n").arg(m_marker).toUtf8());
        file.close();
        file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
    }
    const struct {
        const char* name;
        QString install;
    } rows[] = {
        {"no value", QStringLiteral("<Install Name=\"Setup\" />")},
        {"empty value", QStringLiteral("<Install Name=\"Setup\" Value=\"\" />")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(m_marker);
        WriteLauncherFile(QStringLiteral("Project"), row.install);
        const SRun run = Run({}, opener);
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        ASSERT_TRUE(MarkerAppears());
        QFile opened(m_marker);
        ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(opened.readAll()).trimmed(), QFileInfo(m_media).canonicalFilePath());
    }
}

TEST_F(LauncherTest, NoLauncherFileStartsNothing) {
    const SRun run = Run();
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("names no installer")));
}

// A launcher file the parser must not see (40,000 nested elements once overflowed its stack) or
// cannot read ends the launcher like a file without an installer, saying why, and is left as it was.
TEST_F(LauncherTest, AHostileLauncherFileEndsTheLauncherWithItsReason) {
    const QByteArray install = "<Install Value=\"linux.sh\" />";
    const struct {
        const char* name;
        QByteArray bytes;
        const char* reason;
    } rows[] = {
        {"deep",
         "<Project>" + QByteArray("<a>").repeated(40000) + install + QByteArray("</a>").repeated(40000) +
             "</Project>",
         "nested deeper than"},
        {"markup", "<Project>" + QByteArray("<a/>").repeated(5000) + install + "</Project>", "more than"},
        {"truncated", "<Project>" + install + "<Documents Name=\"", "not well-formed XML (line 1"},
        {"utf-16", QByteArray::fromHex("fffe3c00500072006f006a00"), "UTF-16"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = m_media + QStringLiteral("/TORVANE.AutoRun.xml");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(row.bytes);
        file.close();
        const SRun run = Run();
        EXPECT_EQ(run.exitCode, 1);
        const QString& errors = run.errors;
        EXPECT_TRUE(errors.contains(QStringLiteral("TORVANE.AutoRun.xml was not read")))
            << errors.toStdString();
        EXPECT_TRUE(errors.contains(QString::fromLatin1(row.reason))) << errors.toStdString();
        EXPECT_TRUE(errors.contains(QStringLiteral("names no installer"))) << errors.toStdString();
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), row.bytes);
        file.close();
    }
}

TEST_F(LauncherTest, UninstallStartsOnlyAnInstallationsOwnUninstaller) {
    const QString folder =
        m_programFiles + QStringLiteral("/installation-information/") + QString::fromLatin1(kGoodId);
    ASSERT_TRUE(QDir().mkpath(folder));
    WriteScript(folder + QStringLiteral("/uninstall"));
    WriteScript(m_programFiles + QStringLiteral("/evil"));
    struct Row {
        const char* name;
        QStringList arguments;
        const char* reason;
    };
    const Row refused[] = {
        {"keyword alone", {QStringLiteral("UNINSTALL")}, "names nothing"},
        {"keyword in lower case", {QStringLiteral("uninstall;%1").arg(kGoodId)}, "names nothing"},
        {"id with traversal", {QStringLiteral("UNINSTALL;../../evil")}, "not an installation id"},
        {"id without braces",
         {QStringLiteral("UNINSTALL;6A1D2C3B-0F4E-4D5A-9B8C-7E6F5A4B3C2D")},
         "not an installation id"},
        {"unknown installation",
         {QStringLiteral("UNINSTALL;{00000000-0000-0000-0000-000000000000}")},
         "does not exist"},
        {"other command line", {QStringLiteral("/S")}, "names nothing"},
    };
    for (const Row& row : refused) {
        SCOPED_TRACE(row.name);
        const SRun run = Run(row.arguments);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_TRUE(run.errors.contains(QString::fromLatin1(row.reason))) << run.errors.toStdString();
    }
    EXPECT_TRUE(NoMarkerAppears());

    const SRun run = Run({QStringLiteral("UNINSTALL;%1").arg(kGoodId)});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    ASSERT_TRUE(MarkerAppears());
    QFile marker(m_marker);
    ASSERT_TRUE(marker.open(QIODevice::ReadOnly));
    EXPECT_TRUE(marker.readAll().trimmed().endsWith("/uninstall"));
}

TEST_F(LauncherTest, SecondLauncherEndsWithoutStarting) {
    WriteScript(m_media + QStringLiteral("/install.sh"));
    WriteLauncherFile(QStringLiteral("Project"), QStringLiteral("<Install Value=\"install.sh\" />"));
    qputenv("XDG_RUNTIME_DIR", m_runtime.toUtf8());
    QLockFile first(CInstanceChecker::LockPath(QStringLiteral("setup")));
    ASSERT_TRUE(first.tryLock(0));
    const SRun refused = Run();
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(refused.errors.contains(QStringLiteral("running")));
    EXPECT_TRUE(NoMarkerAppears(5000));

    first.unlock();
    EXPECT_EQ(Run().exitCode, 0);
    EXPECT_TRUE(MarkerAppears());
}

TEST_F(LauncherTest, LockLeftByACrashedLauncherIsTakenOver) {
    WriteScript(m_media + QStringLiteral("/install.sh"));
    WriteLauncherFile(QStringLiteral("Project"), QStringLiteral("<Install Value=\"install.sh\" />"));
    qputenv("XDG_RUNTIME_DIR", m_runtime.toUtf8());
    // The lock file a launcher leaves when it is killed: this machine's lock text with the process
    // id of a process that has ended.
    const QString lockPath = CInstanceChecker::LockPath(QStringLiteral("setup"));
    QByteArray text;
    {
        QLockFile probe(lockPath);
        ASSERT_TRUE(probe.tryLock(0));
        QFile held(lockPath);
        ASSERT_TRUE(held.open(QIODevice::ReadOnly));
        text = held.readAll();
    }
    QProcess gone;
    gone.start(QStringLiteral("/bin/true"));
    ASSERT_TRUE(gone.waitForStarted());
    const qint64 pid = gone.processId();
    ASSERT_TRUE(gone.waitForFinished());
    text = QByteArray::number(pid) + text.mid(text.indexOf('\n'));
    QFile lock(lockPath);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    ASSERT_EQ(lock.write(text), text.size());
    lock.close();
    const SRun run = Run();
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(MarkerAppears());
}

// Without a runtime folder from the session, another user can plant a lock held by a live process in
// the shared temporary folder, and a runtime folder under this user's name there so that it is not
// this user's: neither stops a start. The lock lives where Lumora keeps its own, in a folder of the
// user's own home made 0700 when missing.
TEST_F(LauncherTest, ALockAnotherUserPlantedInTheTemporaryFolderStopsNothing) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    WriteScript(m_media + QStringLiteral("/install.sh"));
    WriteLauncherFile(QStringLiteral("Project"), QStringLiteral("<Install Value=\"install.sh\" />"));
    const QString shared = m_root.path() + QStringLiteral("/tmp");
    const QString home = m_root.path() + QStringLiteral("/home");
    ASSERT_TRUE(QDir().mkpath(shared));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    ASSERT_TRUE(QDir().mkpath(home));
    m_environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    m_environment.insert(QStringLiteral("TMPDIR"), shared);
    m_environment.insert(QStringLiteral("HOME"), home);
    const QByteArray theirRuntime = QFile::encodeName(
        shared + QStringLiteral("/runtime-") + QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name));
    ASSERT_EQ(::mkdir(theirRuntime.constData(), 0700), 0);
    ASSERT_EQ(::chown(theirRuntime.constData(), testsupport::OTHER_USER, testsupport::OTHER_USER), 0);
    const QString planted = shared + QStringLiteral("/CInstanceChecker_MMF_setup.lock");
    QLockFile held(planted);
    ASSERT_TRUE(held.tryLock(0));
    ASSERT_EQ(
        ::chown(QFile::encodeName(planted).constData(), testsupport::OTHER_USER, testsupport::OTHER_USER), 0);

    const SRun run = Run();
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(MarkerAppears());
    const QFileInfo own(home + QStringLiteral("/.cache/lumora-") + QSysInfo::machineHostName());
    ASSERT_TRUE(own.isDir());
    EXPECT_EQ(own.ownerId(), ::geteuid());
    EXPECT_EQ(own.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                                   QFile::WriteOther | QFile::ExeOther),
              QFile::Permissions());
}

// A launcher file that names the launcher itself, by its name, a path or a link, starts nothing: each
// start would start it again, without end.
TEST_F(LauncherTest, ALauncherFileNamingTheLauncherItselfStartsNothing) {
    ASSERT_TRUE(QFile::link(m_program, m_media + QStringLiteral("/link")));
    ASSERT_EQ(::link(QFile::encodeName(m_program).constData(),
                     QFile::encodeName(m_media + QStringLiteral("/hardlink")).constData()),
              0);
    for (const char* value : {"setup", "./setup", "link", "hardlink"}) {
        SCOPED_TRACE(value);
        WriteLauncherFile(QStringLiteral("Project"),
                          QStringLiteral("<Install Value=\"%1\" />").arg(QString::fromLatin1(value)));
        const SRun run = Run();
        EXPECT_NE(run.exitCode, 0);
        EXPECT_TRUE(run.errors.contains(QStringLiteral("itself"))) << run.errors.toStdString();
        // A launcher that started itself would still be starting itself by now.
        QThread::msleep(300);
        const std::vector<pid_t> running = Launchers();
        EXPECT_TRUE(running.empty()) << running.size() << " launchers run";
        for (int round = 0; round < 100 && !Launchers().empty(); ++round)
            for (pid_t pid : Launchers())
                ::kill(pid, SIGKILL);
    }
}

// The installer keeps none of the launcher's standard streams: a script that reads the launcher's
// output to its end ("$(setup)") is not held for as long as the installer runs.
TEST_F(LauncherTest, TheInstallerDoesNotHoldTheLaunchersOutput) {
    QFile script(m_media + QStringLiteral("/install.sh"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\necho $$ > '%1'\nexec sleep 600\n").arg(m_marker).toUtf8());
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner | QFile::ExeUser);
    WriteLauncherFile(QStringLiteral("Project"), QStringLiteral("<Install Value=\"install.sh\" />"));
    QProcess caller;
    caller.setProcessEnvironment(m_environment);
    caller.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), QStringLiteral("out=$(\"$0\"); echo done"), m_program});
    const bool finished = caller.waitForFinished(static_cast<int>(testsupport::kLongWait.count()));
    ASSERT_TRUE(MarkerAppears());
    QFile marker(m_marker);
    ASSERT_TRUE(marker.open(QIODevice::ReadOnly));
    const pid_t installer = static_cast<pid_t>(marker.readAll().trimmed().toInt());
    // The installer still runs: the caller came back while it did.
    EXPECT_EQ(::kill(installer, 0), 0);
    EXPECT_TRUE(finished);
    EXPECT_EQ(caller.readAllStandardOutput().trimmed(), QByteArray("done"));
    if (installer > 0)
        ::kill(installer, SIGKILL);
}

} // namespace
