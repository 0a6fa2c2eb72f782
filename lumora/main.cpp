// Lumora: the application object brings the program up, runs it and takes it down.
#include "lumora/shell/LumoraApp.h"
#include "platform/LargeBlock.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    platform::ReturnLargeBlocksToTheSystem();
    QApplication application(argc, argv);
    CLumoraApp app;
    if (!app.InitInstance(QApplication::arguments()))
        return app.ExitInstance(app.ExitCode());
    return app.ExitInstance(QApplication::exec());
}
