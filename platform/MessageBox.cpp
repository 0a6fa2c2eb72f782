#include "MessageBox.h"

#include "MessageTarget.h"
#include "ShutDown.h"
#include "StringTable.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <mutex>

namespace platform {
namespace {

std::mutex g_mutex;
MessageBoxSink g_sink;
QString g_caption;

int ShowQtMessageBox(const QString& text, const QString& caption, unsigned flags) {
    QMessageBox box;
    box.setText(text);
    box.setWindowTitle(caption.isEmpty() ? QApplication::applicationName() : caption);
    switch (flags & 0xF0) {
    case MB_ICONSTOP:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONWARNING:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    switch (flags & 0x0F) {
    case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MB_YESNOCANCEL:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    const int pressed = box.exec();
    // Closed on the way out: nobody chose a button.
    if (IsShuttingDown())
        return UnansweredBoxResult(flags);
    switch (pressed) {
    case QMessageBox::Cancel:
        return IDCANCEL;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        return IDOK;
    }
}

int DefaultSink(const QString& text, const QString& caption, unsigned flags) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr) {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
        return IDOK;
    }
    // Widgets live on the user-interface thread: a worker waits there for the answer.
    int result = IDOK;
    CallOnUserInterfaceThread([&] { result = ShowQtMessageBox(text, caption, flags); });
    return result;
}

} // namespace

int MessageBox(const QString& text, unsigned flags, const QString& caption) {
    // On the way out the text is kept where a terminal or the session's journal sees it.
    if (IsShuttingDown()) {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
        return UnansweredBoxResult(flags);
    }
    MessageBoxSink sink;
    QString shown = caption;
    {
        std::lock_guard lock(g_mutex);
        sink = g_sink;
        if (shown.isEmpty())
            shown = g_caption;
    }
    return sink ? sink(text, shown, flags) : DefaultSink(text, shown, flags);
}

int StopBox(const QString& text) {
    return MessageBox(text, MB_ICONSTOP);
}

int StopBox(int stringId) {
    return StopBox(LoadString(stringId));
}

void SetMessageBoxCaption(const QString& caption) {
    std::lock_guard lock(g_mutex);
    g_caption = caption;
}

MessageBoxSink SetMessageBoxSink(MessageBoxSink sink) {
    std::lock_guard lock(g_mutex);
    MessageBoxSink previous = std::move(g_sink);
    g_sink = std::move(sink);
    return previous;
}

} // namespace platform
