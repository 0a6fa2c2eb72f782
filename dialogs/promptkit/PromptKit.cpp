#include "PromptKit.h"

#include "DlgExeFinish.h"

#include <QApplication>
#include <QThread>

namespace {

int RunExeFinished(QWidget* parent, const QString& text) {
    promptkit::CDlgExeFinish dialog(parent, text);
    return dialog.exec() == QDialog::Accepted ? 1 : 0;
}

} // namespace

extern "C" int DlgExeFinished(QWidget* parent, int, const QString& text) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr)
        return 0;
    if (QThread::currentThread() == app->thread())
        return RunExeFinished(parent, text);
    // Widgets live on the user-interface thread: a worker waits there for the answer.
    int result = 0;
    QMetaObject::invokeMethod(
        app, [&] { result = RunExeFinished(parent, text); }, Qt::BlockingQueuedConnection);
    return result;
}
