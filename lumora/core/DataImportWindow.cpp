#include "lumora/core/DataImport.h"
#include "lumora/shell/ProgressWnd.h"

#include <QEventLoop>
#include <QTimer>
#include <functional>
#include <thread>

namespace {

// The progress window is refreshed at this interval from the job's counters, never more often.
constexpr int kRefreshMs = 50;

// Runs the job on a worker thread while the progress window shows its counters; the user-interface
// thread keeps serving events all along. Cancel (button, Escape, closing the window) asks the job to
// stop and always gives kImportCancelled.
int RunWithProgress(QWidget* parent, const std::function<int(SImportControl&)>& job) {
    SImportControl control;
    CProgressWnd window(parent);
    window.SetRange(0, 1000);
    QEventLoop loop;
    std::atomic<int> result{kImportFailed};
    std::atomic<bool> finished{false};
    QTimer refresh;
    refresh.setInterval(kRefreshMs);
    QObject::connect(&refresh, &QTimer::timeout, &loop, [&] {
        if (window.Cancelled())
            control.cancel.store(true, std::memory_order_relaxed);
        const std::int64_t total = control.total.load(std::memory_order_relaxed);
        const std::int64_t done = control.done.load(std::memory_order_relaxed);
        if (total > 0)
            window.SetPos(static_cast<std::int64_t>(static_cast<long double>(done) * 1000.0L / total));
        if (finished.load(std::memory_order_acquire))
            loop.quit();
    });
    std::thread worker([&] {
        result.store(job(control), std::memory_order_relaxed);
        // The refresh timer sees the flag and ends the loop; the worker posts nothing to the UI thread.
        finished.store(true, std::memory_order_release);
    });
    refresh.start();
    while (!finished.load(std::memory_order_acquire))
        loop.exec();
    worker.join();
    refresh.stop();
    const bool cancelled = window.Cancelled() || control.cancel.load(std::memory_order_relaxed);
    window.DestroyWindow();
    return cancelled ? kImportCancelled : result.load(std::memory_order_relaxed);
}

} // namespace

int ImportColumnsFromText(std::vector<double>& x, const QString& path, QChar separator, const QString& name1,
                          const QString& name2, std::vector<double>& y, QWidget* parent) {
    const int result = RunWithProgress(parent, [&](SImportControl& control) {
        return ParseColumnsFromText(x, path, separator, name1, name2, y, control);
    });
    if (result != kImportOk) {
        x.clear();
        y.clear();
    }
    return result;
}

int ImportColumnsFromXls(QWidget* parent, const QString& path, const QString& name1, std::vector<double>& x,
                         const QString& name2, std::vector<double>& y) {
    const int result = RunWithProgress(parent, [&](SImportControl& control) {
        return ParseColumnsFromXls(path, name1, x, name2, y, control);
    });
    if (result != kImportOk) {
        x.clear();
        y.clear();
    }
    return result;
}
