#pragma once

#include <cstdint>
#include <functional>
#include <memory>

class QObject;
class QThread;

// Window messages between windows and threads.
namespace platform {

using UINT = unsigned int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// Anything that receives window messages. Its messages are handled on the thread that created it.
class CMessageTarget {
public:
    CMessageTarget();
    virtual ~CMessageTarget();
    CMessageTarget(const CMessageTarget&) = delete;
    CMessageTarget& operator=(const CMessageTarget&) = delete;

    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

    QThread* TargetThread() const;
    QObject* Context() const { return m_context.get(); }

private:
    std::unique_ptr<QObject> m_context;
};

// Runs the handler at once on the target's own thread; from another thread, blocks until the
// target's thread has run it (its event loop must be running). A null target gives 0.
LRESULT SendMessage(CMessageTarget* target, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the call on the application's (the user-interface) thread and waits until it has run, as a
// sent message does; at once on that thread, or without an application. That thread must serve its
// events meanwhile.
void CallOnUserInterfaceThread(const std::function<void()>& call);

// True while this thread runs a call that another thread waits for (a sent message, a worker's
// message box): waiting here for that other thread would wait for ever, as it cannot go on before
// the call has returned.
bool ServingWaitingThread();

// Queues the message for the target's thread; false for a null target. A message still queued
// when the target is destroyed is dropped.
bool PostMessage(CMessageTarget* target, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace platform
