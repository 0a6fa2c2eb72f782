#include "setup/LaunchTarget.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <sys/stat.h>

namespace setup {

namespace {

// The canonical form of 'path' when it names an existing regular file inside 'folder'.
QString RegularFileInside(const QString& folder, const QString& path, QString& error) {
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    const QFileInfo file(path);
    const QString canonical = file.canonicalFilePath();
    if (canonical.isEmpty()) {
        error = QStringLiteral("%1 does not exist").arg(path);
        return {};
    }
    if (canonicalFolder.isEmpty() || !canonical.startsWith(canonicalFolder + u'/')) {
        error = QStringLiteral("%1 lies outside %2").arg(path, folder);
        return {};
    }
    if (!QFileInfo(canonical).isFile()) {
        error = QStringLiteral("%1 is not a regular file").arg(path);
        return {};
    }
    return canonical;
}

// Whether the file is the running program's own executable, reached by whatever name or link.
bool IsThisProgram(const QString& path) {
    struct stat file {};
    struct stat self {};
    return ::stat(QFile::encodeName(path).constData(), &file) == 0 && ::stat("/proc/self/exe", &self) == 0 &&
           file.st_dev == self.st_dev && file.st_ino == self.st_ino;
}

SLaunchTarget Failure(const QString& error) {
    return SLaunchTarget{{}, {}, error};
}

} // namespace

SLaunchTarget ResolveInstallTarget(const QString& ownFolder, const QString& installValue) {
    QString value = installValue.trimmed();
    value.replace(u'\\', u'/');
    if (value.isEmpty())
        return Failure(QStringLiteral("the launcher file names no installer"));
    if (value.startsWith(u'/'))
        return Failure(
            QStringLiteral("the installer %1 is not a path inside the launcher's folder").arg(value));
    QString error;
    const QString path = RegularFileInside(ownFolder, QDir(ownFolder).filePath(value), error);
    if (path.isEmpty())
        return Failure(QStringLiteral("the installer cannot be started: %1").arg(error));
    // The launcher never starts itself (under any name): each start would start it again.
    if (IsThisProgram(path))
        return Failure(QStringLiteral("the installer %1 is this launcher itself").arg(path));
    if (QFileInfo(path).isExecutable())
        return SLaunchTarget{path, {}, {}};
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return Failure(
            QStringLiteral("%1 is not executable and no xdg-open is installed to open it").arg(path));
    return SLaunchTarget{opener, path, {}};
}

SLaunchTarget ResolveFolderTarget(const QString& ownFolder) {
    const QFileInfo folder(ownFolder);
    if (!folder.isDir())
        return Failure(QStringLiteral("the launcher's folder %1 does not exist").arg(ownFolder));
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return Failure(QStringLiteral("no xdg-open is installed to open the folder %1").arg(ownFolder));
    return SLaunchTarget{opener, folder.canonicalFilePath(), {}};
}

QString ProgramFilesFolder() {
    const QString folder = qEnvironmentVariable("PROGRAMFILES");
    return folder.isEmpty() ? QStringLiteral("/opt") : folder;
}

bool IsInstallationId(const QString& id) {
    static const QRegularExpression shape(QStringLiteral(
        "^\\{[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\\}$"));
    return shape.match(id).hasMatch();
}

SLaunchTarget ResolveUninstallTarget(const QString& programFilesFolder, const QString& id) {
    if (!IsInstallationId(id))
        return Failure(QStringLiteral("\"%1\" is not an installation id").arg(id));
    if (programFilesFolder.isEmpty())
        return Failure(QStringLiteral("there is no folder of installed programs"));
    const QString folder = programFilesFolder + QStringLiteral("/installation-information/") + id;
    QString error;
    const QString path = RegularFileInside(folder, folder + QStringLiteral("/uninstall"), error);
    if (path.isEmpty())
        return Failure(QStringLiteral("the uninstaller cannot be started: %1").arg(error));
    if (!QFileInfo(path).isExecutable())
        return Failure(QStringLiteral("the uninstaller %1 is not executable").arg(path));
    return SLaunchTarget{path, {}, {}};
}

bool StartTarget(const SLaunchTarget& target, QString& error) {
    if (target.program.isEmpty()) {
        error = target.error;
        return false;
    }
    QStringList arguments;
    if (!target.argument.isEmpty())
        arguments << target.argument;
    QProcess process;
    process.setProgram(target.program);
    process.setArguments(arguments);
    // The target keeps none of the launcher's standard streams: a caller that reads the launcher's
    // output to its end (as "$(setup)" does) is not held for as long as the installer runs.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (process.startDetached())
        return true;
    error = QStringLiteral("%1 could not be started: %2").arg(target.program, process.errorString());
    return false;
}

} // namespace setup
