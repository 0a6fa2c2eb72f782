#include "MessageTarget.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace platform {
namespace {

// Calls of other threads that this thread is running while they wait, innermost last.
thread_local int t_servingDepth = 0;

struct SServing {
    SServing() { ++t_servingDepth; }
    ~SServing() { --t_servingDepth; }
    SServing(const SServing&) = delete;
    SServing& operator=(const SServing&) = delete;
};

const QEvent::Type kCallsQueued = static_cast<QEvent::Type>(QEvent::registerEventType());

// The target's messages from other threads wait in a queue of its own; Qt's posted event only wakes
// the target's thread. Everything handed over passes through the queue's mutex, which orders the
// sender's writes before the handler (and lets race detectors see it). The wake event is a copy Qt
// makes of a prototype, so an application event filter that reads it reads nothing the sender wrote
// outside Qt's own queue.
class CMessageContext : public QObject {
public:
    void Queue(std::function<void()> call) {
        {
            std::lock_guard lock(m_mutex);
            m_calls.push_back(std::move(call));
        }
        QCoreApplication::postEvent(this, m_wake.clone());
    }

protected:
    void customEvent(QEvent*) override {
        for (;;) {
            std::function<void()> call;
            {
                std::lock_guard lock(m_mutex);
                if (m_calls.empty())
                    return;
                call = std::move(m_calls.front());
                m_calls.pop_front();
            }
            call();
        }
    }

private:
    const QEvent m_wake{kCallsQueued};
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_calls;
};

CMessageContext* ContextOf(CMessageTarget* target) {
    return static_cast<CMessageContext*>(target->Context());
}

// One sent message: the sender waits until the handler's result is in, or the call was dropped.
struct SSentCall {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    LRESULT result = 0;

    void Finish(LRESULT value) {
        {
            std::lock_guard lock(mutex);
            if (finished)
                return;
            result = value;
            finished = true;
        }
        done.notify_all();
    }
};

// Releases the sender also when the queued call is destroyed unrun, with its target.
struct SSentCallGuard {
    std::shared_ptr<SSentCall> call;
    ~SSentCallGuard() { call->Finish(0); }
};

// Runs the handler on the context's thread and waits for its result, as a sent message does.
LRESULT QueueAndWait(CMessageContext& context, std::function<LRESULT()> handler) {
    auto call = std::make_shared<SSentCall>();
    std::shared_ptr<SSentCallGuard> guard(new SSentCallGuard{call});
    context.Queue([guard, handler = std::move(handler)] {
        const SServing serving;
        guard->call->Finish(handler());
    });
    guard.reset();
    std::unique_lock lock(call->mutex);
    call->done.wait(lock, [&] { return call->finished; });
    return call->result;
}

// The queue of the main thread, the application's, for workers' calls. Made as the library loads, on
// that thread and before any worker exists, so that no worker ever sees it half made; kept to the end.
CMessageContext* const g_applicationContext = new CMessageContext;

} // namespace

CMessageTarget::CMessageTarget() : m_context(std::make_unique<CMessageContext>()) {}

CMessageTarget::~CMessageTarget() = default;

QThread* CMessageTarget::TargetThread() const {
    return m_context->thread();
}

LRESULT SendMessage(CMessageTarget* target, UINT message, WPARAM wParam, LPARAM lParam) {
    if (target == nullptr)
        return 0;
    if (QThread::currentThread() == target->TargetThread())
        return target->OnMessage(message, wParam, lParam);
    return QueueAndWait(*ContextOf(target), [target, message, wParam, lParam] {
        return target->OnMessage(message, wParam, lParam);
    });
}

void CallOnUserInterfaceThread(const std::function<void()>& call) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr || QThread::currentThread() == application->thread()) {
        call();
        return;
    }
    if (g_applicationContext->thread() != application->thread()) {
        // An application made on another thread than the one that loaded this library: Qt's own queue.
        QMetaObject::invokeMethod(
            application,
            [&call] {
                const SServing serving;
                call();
            },
            Qt::BlockingQueuedConnection);
        return;
    }
    QueueAndWait(*g_applicationContext, [&call] {
        call();
        return LRESULT{0};
    });
}

bool ServingWaitingThread() {
    return t_servingDepth > 0;
}

bool PostMessage(CMessageTarget* target, UINT message, WPARAM wParam, LPARAM lParam) {
    if (target == nullptr)
        return false;
    // The queue dies with the target: a message still queued then is dropped.
    ContextOf(target)->Queue(
        [target, message, wParam, lParam] { target->OnMessage(message, wParam, lParam); });
    return true;
}

} // namespace platform
