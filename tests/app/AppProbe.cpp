// The program as lumora's main runs it, with a program folder, profile and instance key of the
// test's own, reporting on standard output what a test cannot see from outside: "ready" once the
// main window is up, "activated N" when a later start woke it, "splash-shown N" at the end, and
// "message <text>" for each message box (answered with OK, its lines joined by " | "). With "quit"
// after the key it closes its window once it is ready, as a user would.
#include "lumora/core/MainFrame.h"
#include "lumora/shell/LumoraApp.h"
#include "platform/MessageBox.h"
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

// app_probe <program folder> <instance key> [quit]
int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 3)
        return 2;
    platform::SetMessageBoxSink([](const QString& text, const QString&, unsigned) {
        QString line = text;
        line.replace(QStringLiteral("\r\n"), QStringLiteral(" | ")).replace(u'\n', QStringLiteral(" | "));
        Say(QStringLiteral("message ") + line);
        return platform::IDOK;
    });
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
    if (arguments.size() > 3 && arguments[3] == QStringLiteral("quit"))
        QTimer::singleShot(0, app.MainFrame(), [&app] { app.MainFrame()->close(); });
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
