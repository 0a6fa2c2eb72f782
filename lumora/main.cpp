// A plain start of Lumora: the application, the main frame and the view that owns the measurement pages.
#include "lumora/core/MainFrame.h"
#include "lumora/shell/LumoraView.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("TORVANE TECHNOLOGIES"));
    QApplication::setApplicationName(QStringLiteral("Lumora"));

    CMainFrame frame;
    if (frame.OnCreate() < 0)
        return 1;
    if (CLumoraView::CreateInFrame(frame) == nullptr)
        return 1;
    frame.setWindowTitle(QStringLiteral("Lumora"));
    frame.showMaximized();
    return QApplication::exec();
}
