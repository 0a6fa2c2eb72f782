#include "platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <atomic>
#include <csignal>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

// Written by the signal handler, read on the user-interface thread: a handler may only write.
int g_signalPipe[2] = {-1, -1};
std::atomic<int> g_signalsReceived{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler counts without a lock");

// A second signal is the sender insisting (a shut-down that does not end, Ctrl+C pressed twice): the
// process ends at once, as without a handler.
extern "C" void WriteSignal(int number) {
    if (g_signalsReceived.fetch_add(1, std::memory_order_relaxed) > 0) {
        static const char kAtOnce[] = "lumora: ended at once by a second signal\n";
        [[maybe_unused]] const ssize_t said = ::write(STDERR_FILENO, kAtOnce, sizeof(kAtOnce) - 1);
        struct sigaction standard {};
        standard.sa_handler = SIG_DFL;
        sigemptyset(&standard.sa_mask);
        ::sigaction(number, &standard, nullptr);
        ::raise(number);
        return;
    }
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[0], &byte, 1);
}

struct CSignalReader {
    std::unique_ptr<QSocketNotifier> notifier;
    std::function<void()> action;
};

CSignalReader& Reader() {
    static CSignalReader reader;
    return reader;
}

} // namespace

bool OnTerminationSignals(std::function<void()> onSignal) {
    CSignalReader& reader = Reader();
    reader.action = std::move(onSignal);
    if (reader.notifier)
        return true;
    if (QCoreApplication::instance() == nullptr ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0)
        return false;
    reader.notifier = std::make_unique<QSocketNotifier>(g_signalPipe[1], QSocketNotifier::Read);
    QObject::connect(reader.notifier.get(), &QSocketNotifier::activated, [] {
        unsigned char bytes[16];
        while (::read(g_signalPipe[1], bytes, sizeof(bytes)) > 0) {
        }
        if (Reader().action)
            Reader().action();
    });
    struct sigaction action {};
    action.sa_handler = WriteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    bool taken = true;
    for (int number : {SIGTERM, SIGHUP, SIGINT})
        taken = ::sigaction(number, &action, nullptr) == 0 && taken;
    return taken;
}

} // namespace platform
