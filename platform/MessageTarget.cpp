#include "MessageTarget.h"

#include <QObject>
#include <QPointer>
#include <QThread>

namespace platform {

CMessageTarget::CMessageTarget() : m_context(std::make_unique<QObject>()) {}

CMessageTarget::~CMessageTarget() = default;

QThread* CMessageTarget::TargetThread() const {
    return m_context->thread();
}

LRESULT SendMessage(CMessageTarget* target, UINT message, WPARAM wParam, LPARAM lParam) {
    if (target == nullptr)
        return 0;
    if (QThread::currentThread() == target->TargetThread())
        return target->OnMessage(message, wParam, lParam);
    LRESULT result = 0;
    QMetaObject::invokeMethod(
        target->Context(), [&] { result = target->OnMessage(message, wParam, lParam); },
        Qt::BlockingQueuedConnection);
    return result;
}

bool PostMessage(CMessageTarget* target, UINT message, WPARAM wParam, LPARAM lParam) {
    if (target == nullptr)
        return false;
    // The call is bound to the context, which dies with the target: Qt drops it then.
    return QMetaObject::invokeMethod(
        target->Context(), [target, message, wParam, lParam] { target->OnMessage(message, wParam, lParam); },
        Qt::QueuedConnection);
}

} // namespace platform
