#include "instruments/simulator/SocketServer.h"

#include "instruments/simulator/GarbageReply.h"

#include <vector>

namespace benchsim {

namespace {
// A line this long without a termination is no command: the connection is dropped.
constexpr size_t kLineLimit = 16 * 1024 * 1024;
} // namespace

CSocketServer::CSocketServer(CInstrumentHost& host, char termination)
    : m_host(host), m_termination(termination) {}

CSocketServer::~CSocketServer() {
    Stop();
}

bool CSocketServer::SendReply(CServerConnection& connection, const std::string& reply) {
    CFaultSwitches& faults = m_host.Faults();
    if (faults.Is(CFaultSwitches::eStall)) {
        connection.HoldUntilClosed();
        return false;
    }
    if (faults.Is(CFaultSwitches::eDropMidReply)) {
        connection.SendAll(reply.data(), (reply.size() + 1) / 2);
        connection.Drop();
        return false;
    }
    if (faults.Is(CFaultSwitches::eGarbage)) {
        const std::string garbage = GarbageReply() + "\n";
        return connection.SendAll(garbage.data(), garbage.size());
    }
    char newline = '\n';
    iovec parts[2] = {{const_cast<char*>(reply.data()), reply.size()}, {&newline, 1}};
    return connection.SendAllV(parts, 2);
}

void CSocketServer::Serve(CServerConnection& connection) {
    std::vector<char> chunk(64 * 1024);
    std::string pending;
    std::string reply;
    for (;;) {
        const long long got = connection.ReadSome(chunk.data(), chunk.size());
        if (got < 0)
            return;
        pending.append(chunk.data(), static_cast<size_t>(got));
        size_t start = 0;
        for (size_t end; (end = pending.find(m_termination, start)) != std::string::npos; start = end + 1) {
            std::string line = pending.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty() && m_host.Execute(line, reply) && !SendReply(connection, reply))
                return;
        }
        pending.erase(0, start);
        if (pending.size() > kLineLimit)
            return;
    }
}

} // namespace benchsim
