#include "PromptKit.h"
#include "platform/MessageTarget.h"
#include "platform/ShutDown.h"
#include "platform/StringTable.h"

#include "DlgExeFinish.h"
#include "DlgFileNameField.h"
#include "DlgInput.h"
#include "DlgMsgBoxYesAll.h"
#include "DlgTestCaseInfo.h"
#include "PromptResources.h"
#include "PromptStrings.h"
#include "TaskProgressDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <functional>

namespace {

// Runs a dialog on the user-interface thread; 0 without an application, and on the way out, when
// nobody is left to answer it.
int OnUserInterfaceThread(const std::function<int()>& run) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr || platform::IsShuttingDown())
        return 0;
    promptkit::RegisterPromptStrings();
    int result = 0;
    platform::CallOnUserInterfaceThread([&] { result = platform::IsShuttingDown() ? 0 : run(); });
    return result;
}

int RunInput(QString& text, const QString& key, const QString& refused, const QString* initialText) {
    return OnUserInterfaceThread([&] {
        promptkit::CDlgInput dialog(nullptr, key, refused, initialText);
        if (dialog.exec() != QDialog::Accepted)
            return 0;
        text = dialog.Text();
        return 1;
    });
}

void PumpFor(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace

extern "C" int DlgExeFinished(QWidget* parent, int, const QString& text) {
    return OnUserInterfaceThread([&] {
        promptkit::CDlgExeFinish dialog(parent, text);
        return dialog.exec() == QDialog::Accepted ? 1 : 0;
    });
}

extern "C" int DlgTestCaseInfo(QWidget* parent, int severity, const QString& text) {
    return OnUserInterfaceThread([&] {
        promptkit::CDlgTestCaseInfo dialog(parent, severity, text);
        return dialog.exec();
    });
}

extern "C" int MessageBoxYesNoAll(QWidget* parent, const QString& caption, const QString& text) {
    return OnUserInterfaceThread([&] {
        promptkit::CDlgMsgBoxYesAll dialog(parent, caption, text);
        return dialog.exec();
    });
}

extern "C" int DlgStringInput(QString& out, const QString& key, const QString& refused) {
    out.clear();
    return RunInput(out, key, refused, nullptr);
}

extern "C" int DLL_GetInputText(int, QString& inout, const QString& key, const QString& refused) {
    const QString initial = inout;
    inout.clear();
    return RunInput(inout, key, refused, &initial);
}

extern "C" int DLL_SetFileNameField(QWidget* parent, QString& pattern) {
    return OnUserInterfaceThread([&] {
        promptkit::CDlgFileNameField dialog(parent, pattern);
        if (dialog.exec() != QDialog::Accepted)
            return 0;
        pattern = dialog.Pattern();
        return 1;
    });
}

extern "C" int DLL_DlgTaskProgress() {
    return OnUserInterfaceThread([] {
        QStringList tasks{platform::LoadString(promptkit::IDS_TASK_CONFIGURATION),
                          platform::LoadString(promptkit::IDS_TASK_INTERFACE),
                          platform::LoadString(promptkit::IDS_TASK_INSTRUMENTS),
                          platform::LoadString(promptkit::IDS_TASK_SPECTRUM_ANALYZER),
                          platform::LoadString(promptkit::IDS_TASK_MONITORING_RECEIVER)};
        for (int i = 0; i < 5; ++i)
            tasks << platform::LoadString(promptkit::IDS_TASK_LOAD_DATA);
        auto* window = new promptkit::CTaskProgressDialog(QApplication::activeWindow(), tasks);
        window->show();
        for (int position = 0; position < 100; position += 10) {
            QCoreApplication::processEvents();
            if (window->TakeCancel())
                break;
            window->SetPos(position);
            window->StepTask();
            PumpFor(500);
        }
        delete window;
        return 1;
    });
}
