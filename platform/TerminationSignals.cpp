#include "platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

// Written by the signal handler, read on the user-interface thread: a handler may only write.
int g_signalPipe[2] = {-1, -1};

extern "C" void WriteSignal(int number) {
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
