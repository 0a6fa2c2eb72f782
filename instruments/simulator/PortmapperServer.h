#pragma once

#include "instruments/simulator/TcpServer.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <tuple>

namespace benchsim {

// A minimal portmapper (program 100000 version 2 over TCP): NULL and GETPORT, for the programs
// registered here. It listens on port 111 when it can; tests give their own port.
class CPortmapperServer : public CTcpServer {
public:
    static constexpr int kDefaultPort = 111;

    ~CPortmapperServer() override;
    // Listens on port 111 of 'address', or on 'fallbackPort' (0: any free port) when 111 is taken.
    bool StartPreferringDefault(const std::string& address, int fallbackPort);
    void Register(uint32_t program, uint32_t version, int port);

protected:
    void Serve(CServerConnection& connection) override;

private:
    std::mutex m_mutex;
    std::map<std::tuple<uint32_t, uint32_t>, int> m_ports;
};

} // namespace benchsim
