#pragma once

#include <QString>

// What the launcher starts and how. Targets are resolved to existing regular files before anything
// runs, and they are started with an argument list, never through a shell.
namespace setup {

struct SLaunchTarget {
    QString program;  // the executable that is started
    QString argument; // its single argument, or empty
    QString error;    // why there is no target; empty when program is set
};

// The installer named by the launcher file's Install value, relative to the launcher's folder. It
// must resolve (links and ".." followed) to an existing regular file inside that folder, and not to
// the launcher's own program. An executable file is started itself; any other file is opened with the
// desktop's handler.
SLaunchTarget ResolveInstallTarget(const QString& ownFolder, const QString& installValue);
// The launcher's own folder, opened with the desktop's handler as a folder window.
SLaunchTarget ResolveFolderTarget(const QString& ownFolder);

// Windows keeps installations under the Program Files folder, an installation by a product id
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}". Here that folder is /opt (or $PROGRAMFILES when set), and
// an installation's uninstaller is "<folder>/installation-information/<id>/uninstall".
QString ProgramFilesFolder();
bool IsInstallationId(const QString& id);
SLaunchTarget ResolveUninstallTarget(const QString& programFilesFolder, const QString& id);

// Starts the target detached, its standard streams on the null device; false (with the reason) when
// it could not be started.
bool StartTarget(const SLaunchTarget& target, QString& error);

} // namespace setup
