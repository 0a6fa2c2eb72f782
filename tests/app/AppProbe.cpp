// The program as lumora's main runs it, with a program folder, profile and instance key of the
// test's own, reporting on standard output what a test cannot see from outside: "ready" once the
// main window is up, "activated N" when a later start woke it, "splash-shown N" at the end.
#include "lumora/core/MainFrame.h"
#include "lumora/shell/LumoraApp.h"
#include "platform/Profile.h"
#include "platform/ProgramFolder.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

class CSplashCounter : public QObject {
public:
    int m_shown = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->windowTitle() == QStringLiteral("TORVANE TECHNOLOGIES SPLASH"))
            ++m_shown;
        return false;
    }
};

void Say(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

// app_probe <program folder> <instance key>
int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 3)
        return 2;
    platform::SetProgramFolderOverride(arguments[1]);
    platform::SetProfileFileOverride(arguments[1] + QStringLiteral("/profile.ini"));
    CSplashCounter counter;
    application.installEventFilter(&counter);

    CLumoraApp app;
    app.SetInstanceKey(arguments[2]);
    if (!app.InitInstance({arguments[0]})) {
        Say(QStringLiteral("splash-shown %1").arg(counter.m_shown));
        return app.ExitInstance(app.ExitCode());
    }
    Say(QStringLiteral("ready"));
    int reported = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (app.ActivationCount() != reported) {
            reported = app.ActivationCount();
            Say(QStringLiteral("activated %1 active %2")
                    .arg(reported)
                    .arg(app.MainFrame()->isActiveWindow() ? 1 : 0));
        }
    });
    poll.start(20);
    return app.ExitInstance(QApplication::exec());
}
