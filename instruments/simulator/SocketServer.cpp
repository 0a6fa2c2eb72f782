#include "instruments/simulator/SocketServer.h"

#include "instruments/simulator/GarbageReply.h"

#include <vector>

namespace benchsim {

namespace {
// Output made before it is sent: a message of many queries is answered as the client reads.
constexpr size_t kOutputChunk = 64 * 1024;
constexpr int kWaitSliceMs = 2;
} // namespace

CSocketServer::CSocketServer(CInstrumentHost& host, char termination)
    : m_host(host), m_termination(termination) {}

CSocketServer::~CSocketServer() {
    Stop();
}

bool CSocketServer::SendPart(CServerConnection& connection, const std::string& part, bool terminate,
                             bool first) {
    CFaultSwitches& faults = m_host.Faults();
    if (faults.Is(CFaultSwitches::eStall)) {
        connection.HoldUntilClosed();
        return false;
    }
    if (faults.Is(CFaultSwitches::eDropMidReply)) {
        connection.SendAll(part.data(), (part.size() + 1) / 2);
        connection.Drop();
        return false;
    }
    if (faults.Is(CFaultSwitches::eGarbage)) {
        if (!first)
            return true;
        const std::string garbage = GarbageReply() + "\n";
        return connection.SendAll(garbage.data(), garbage.size());
    }
    char newline = '\n';
    iovec parts[2] = {{const_cast<char*>(part.data()), part.size()}, {&newline, terminate ? 1u : 0u}};
    return connection.SendAllV(parts, 2);
}

bool CSocketServer::Answer(CServerConnection& connection, SProgramMessage& message, std::string& output) {
    bool first = true;
    for (;;) {
        output.clear();
        const IInstrumentModel::eStep step = m_host.Run(message, output, kOutputChunk);
        if (step == IInstrumentModel::eStep::Waiting) {
            if (!connection.Pause(kWaitSliceMs))
                return false;
            continue;
        }
        const bool end = step == IInstrumentModel::eStep::Finished;
        if (!output.empty() || (end && message.answered)) {
            if (!SendPart(connection, output, end && message.answered, first))
                return false;
            first = false;
        }
        if (end)
            return true;
    }
}

void CSocketServer::Serve(CServerConnection& connection) {
    std::vector<char> chunk(64 * 1024);
    std::string pending;
    std::string output;
    SProgramMessage message;
    // A line longer than the input buffer is dropped up to its termination.
    bool overrun = false;
    for (;;) {
        const long long got = connection.ReadSome(chunk.data(), chunk.size());
        if (got < 0)
            return;
        pending.append(chunk.data(), static_cast<size_t>(got));
        size_t start = 0;
        for (size_t end; (end = pending.find(m_termination, start)) != std::string::npos; start = end + 1) {
            if (overrun) {
                overrun = false;
                continue;
            }
            size_t length = end - start;
            if (length > 0 && pending[end - 1] == '\r')
                --length;
            if (length == 0)
                continue;
            connection.CommandReceived();
            m_host.Begin(message, pending.substr(start, length));
            if (!Answer(connection, message, output))
                return;
        }
        pending.erase(0, start);
        if (pending.size() > CInstrumentHost::kInputLimit) {
            if (!overrun)
                m_host.ReportError(-363);
            overrun = true;
            pending.clear();
        }
    }
}

} // namespace benchsim
