// A plain start of Lumora: the application, the main frame and a view that hosts the current test page.
#include "lumora/core/MainFrame.h"
#include "lumora/core/QXAppDialogMeasCurrent.h"

#include <QApplication>
#include <QVBoxLayout>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("TORVANE TECHNOLOGIES"));
    QApplication::setApplicationName(QStringLiteral("Lumora"));

    CMainFrame frame;
    if (frame.OnCreate() < 0)
        return 1;
    auto* view = new QWidget(&frame);
    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* page = new CQXAppDialogMeasCurrent(view);
    layout->addWidget(page);
    frame.setCentralWidget(view);
    if (!page->OnInitDialog())
        return 1;
    frame.SetCurrentPage(page);
    frame.setWindowTitle(QStringLiteral("Lumora"));
    frame.showMaximized();
    return QApplication::exec();
}
