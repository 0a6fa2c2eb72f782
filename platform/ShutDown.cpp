#include "ShutDown.h"

#include "MessageBox.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <atomic>

namespace platform {
namespace {

std::atomic<bool> g_shuttingDown{false};
// How often a dialog that opened despite the shut-down is looked for.
constexpr int kCloserPeriodMs = 50;

} // namespace

void BeginShutDown() {
    const bool already = g_shuttingDown.exchange(true, std::memory_order_acq_rel);
    CloseOpenDialogs();
    QCoreApplication* app = QCoreApplication::instance();
    if (already || app == nullptr)
        return;
    // A dialog opened by code that does not ask first (a window's own dialog) is closed as it shows.
    auto* closer = new QTimer(app);
    QObject::connect(closer, &QTimer::timeout, closer, [] { CloseOpenDialogs(); });
    closer->start(kCloserPeriodMs);
}

bool IsShuttingDown() {
    return g_shuttingDown.load(std::memory_order_acquire);
}

int UnansweredBoxResult(unsigned flags) {
    switch (flags & 0x0F) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
        return IDCANCEL;
    case MB_YESNO:
        return IDNO;
    default:
        return IDOK;
    }
}

void CloseOpenDialogs() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    // Closing one may end the loop of another and destroy it: each is held by a guarded pointer.
    QList<QPointer<QDialog>> open;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog != nullptr && dialog->isVisible())
            open.append(dialog);
    for (const QPointer<QDialog>& dialog : open)
        if (dialog != nullptr && dialog->isVisible())
            dialog->reject();
}

} // namespace platform
