#include "lumora/core/DataImport.h"
#include "lumora/shell/ProgressWnd.h"

#include "platform/Paths.h"

#include <QEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <functional>
#include <memory>
#include <thread>

namespace {

// The progress window is refreshed at this interval from the job's counters, never more often.
constexpr int kRefreshMs = 50;
// A file at least this large is long work: it is read on a worker under a progress window from the
// start, with Cancel.
constexpr qint64 kWindowBytes = 64 << 20;

qint64 FileBytes(const QString& path) {
    return QFileInfo(platform::NormalizePath(path)).size();
}

// While a job runs under no window of its own, the owner's window stays open, as it does under the
// progress window: the job writes into the caller's columns.
class COwnerCloseGuard : public QObject {
public:
    explicit COwnerCloseGuard(QWidget* owner) : m_owner(owner) {
        if (m_owner != nullptr)
            m_owner->installEventFilter(this);
    }
    ~COwnerCloseGuard() override {
        if (m_owner != nullptr)
            m_owner->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_owner && event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* m_owner;
};

// Runs the job on a worker thread while the user-interface thread keeps serving events. The progress
// window shows the job's counters from the start (windowAtOnce), or from when the job says the file's
// header named its columns; until then user input waits. Cancel (button, Escape, closing the window) or
// the end of the program asks the job to stop; the result is then kImportFailed, as for a mismatch.
int RunWithProgress(QWidget* parent, bool windowAtOnce, const std::function<int(SImportControl&)>& job) {
    SImportControl control;
    COwnerCloseGuard guard(parent != nullptr ? parent->window() : nullptr);
    std::unique_ptr<CProgressWnd> window;
    auto open = [&] {
        window = std::make_unique<CProgressWnd>(parent);
        window->SetRange(0, 1000);
    };
    if (windowAtOnce)
        open();
    QEventLoop loop;
    std::atomic<int> result{kImportFailed};
    std::atomic<bool> finished{false};
    QTimer refresh;
    refresh.setInterval(kRefreshMs);
    QObject::connect(&refresh, &QTimer::timeout, &loop, [&] {
        if (window == nullptr && control.started.load(std::memory_order_relaxed) &&
            !finished.load(std::memory_order_acquire)) {
            open();
            // The loop runs on with user input, which now goes to the modal window.
            loop.quit();
        }
        if (window != nullptr) {
            if (window->Cancelled() || window->Ending())
                control.cancel.store(true, std::memory_order_relaxed);
            const std::int64_t total = control.total.load(std::memory_order_relaxed);
            const std::int64_t done = control.done.load(std::memory_order_relaxed);
            if (total > 0)
                window->SetPos(static_cast<std::int64_t>(static_cast<long double>(done) * 1000.0L / total));
        }
        if (finished.load(std::memory_order_acquire))
            loop.quit();
    });
    std::thread worker([&] {
        result.store(job(control), std::memory_order_relaxed);
        // The refresh timer sees the flag and ends the loop; the worker posts nothing to the UI thread.
        finished.store(true, std::memory_order_release);
    });
    refresh.start();
    while (!finished.load(std::memory_order_acquire)) {
        const auto flags = window != nullptr ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents;
        // A loop that will not run (the application was told to exit) ends the job too.
        if (loop.exec(flags) < 0) {
            control.cancel.store(true, std::memory_order_relaxed);
            break;
        }
    }
    worker.join();
    refresh.stop();
    const bool cancelled = control.cancel.load(std::memory_order_relaxed) ||
                           (window != nullptr && (window->Cancelled() || window->Ending()));
    if (window != nullptr)
        window->DestroyWindow();
    return cancelled ? kImportFailed : result.load(std::memory_order_relaxed);
}

} // namespace

int RunFileJob(QWidget* parent, const QString& path, const std::function<int(SImportControl&)>& job) {
    if (FileBytes(path) >= kWindowBytes)
        return RunWithProgress(parent, true, job);
    SImportControl control;
    const int result = job(control);
    return result == kImportCancelled ? kImportFailed : result;
}

int ImportColumnsFromText(CImportColumn& x, const QString& path, QChar separator, const QString& name1,
                          const QString& name2, CImportColumn& y, QWidget* parent) {
    const int result = RunFileJob(parent, path, [&](SImportControl& control) {
        return ParseColumnsFromText(x, path, separator, name1, name2, y, control);
    });
    if (result != kImportOk) {
        x.clear();
        y.clear();
    }
    return result;
}

int ImportTextTable(QWidget* parent, const QString& path, QChar separator, const ChooseTextColumns& choose,
                    std::vector<STextColumn>& columns) {
    const int result = RunFileJob(parent, path, [&](SImportControl& control) {
        return ParseTextTable(path, separator, choose, columns, control);
    });
    if (result != kImportOk)
        columns.clear();
    return result;
}

int ImportColumnsFromXls(QWidget* parent, const QString& path, const QString& name1, CImportColumn& x,
                         const QString& name2, CImportColumn& y) {
    const int result = RunWithProgress(parent, FileBytes(path) >= kWindowBytes, [&](SImportControl& control) {
        return ParseColumnsFromXls(path, name1, x, name2, y, control);
    });
    if (result != kImportOk) {
        x.clear();
        y.clear();
    }
    return result;
}
