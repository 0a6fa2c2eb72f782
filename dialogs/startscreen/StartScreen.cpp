#include "dialogs/startscreen/StartScreen.h"

#include "dialogs/startscreen/SplashWnd.h"

#include <QApplication>
#include <QThread>

namespace {

// The one splash of the process; null while none is shown.
startscreen::CSplashWnd* g_splash = nullptr;

bool OnUiThread() {
    return qApp != nullptr && QThread::currentThread() == qApp->thread();
}

} // namespace

// Widgets live on the user-interface thread, so the splash does too: it is painted at once, and the
// start-up keeps it painted by serving events between its long steps.
extern "C" void StartSplash(const char16_t* text) {
    if (!OnUiThread() || g_splash != nullptr)
        return;
    g_splash = new startscreen::CSplashWnd(text != nullptr ? QString::fromUtf16(text) : QString());
    g_splash->show();
    g_splash->raise();
    g_splash->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// Nothing is waited for: the window is closed and deleted on the calling thread.
extern "C" void EndSplash(QWidget* focus) {
    if (!OnUiThread() || g_splash == nullptr)
        return;
    if (focus != nullptr) {
        focus->activateWindow();
        focus->raise();
        focus->setFocus();
    }
    startscreen::CSplashWnd* splash = g_splash;
    g_splash = nullptr;
    splash->hide();
    delete splash;
}
