// setup: starts the installation package named in TORVANE.AutoRun.xml beside it, or, started as
// "setup UNINSTALL;<id>", the uninstaller of that installation. Exit code 0 when the target started.
#include "setup/SetupApp.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("TORVANE TECHNOLOGIES"));

    // The Windows launcher took its whole command line as one text; its arguments are joined back.
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString commandLine = arguments.join(u' ');
    const QString ownFolder = QCoreApplication::applicationDirPath() + u'/';
    const QString applicationName = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();

    CSetupApp app;
    if (app.InitInstance(ownFolder, applicationName, commandLine))
        return 0;
    std::fprintf(stderr, "%s: %s\n", qPrintable(applicationName), qPrintable(app.LastError()));
    return 1;
}
