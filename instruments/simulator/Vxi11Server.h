#pragma once

#include "instruments/simulator/InstrumentHost.h"
#include "instruments/simulator/TcpServer.h"
#include "instruments/simulator/Vxi11AbortServer.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace benchsim {

class CRpcServerLink;
struct SRpcCall;

// The VXI-11 core channel of one instrument: create_link, device_write, device_read (END on the
// reply's last byte, the termination character when the client asks for it), device_clear (to the
// model), device_local/remote/lock/unlock (acknowledged) and destroy_link. Start also starts the
// abort channel on a free port of the same address. Register Port() with a CPortmapperServer.
class CVxi11Server : public CTcpServer {
public:
    // The largest device_write that the server takes (create_link's maxRecvSize).
    static constexpr uint32_t kMaxRecvSize = 1024 * 1024;

    explicit CVxi11Server(CInstrumentHost& host);
    ~CVxi11Server() override;

    bool Start(const std::string& address, int port) override;
    void Stop() override;
    int AbortPort() const { return m_abort.Port(); }

protected:
    void Serve(CServerConnection& connection) override;

private:
    struct SLinkState;

    bool Dispatch(CRpcServerLink& link, const SRpcCall& call, SLinkState& state);
    bool DeviceRead(CRpcServerLink& link, const SRpcCall& call, SLinkState& state);
    // Takes a device_write: data gather until END, then the message joins the input buffer.
    void Write(SLinkState& state, std::string_view data, bool end);
    // Executes buffered messages until at least 'limit' bytes of response wait or the parser must wait.
    // Runs the link's messages until 'limit' bytes are unsent; stops early when 'reader' has hung up.
    void Produce(SLinkState& state, size_t limit, CServerConnection* reader = nullptr);

    CInstrumentHost& m_host;
    CVxi11AbortServer m_abort;
    std::atomic<int32_t> m_nextLink{1};
};

} // namespace benchsim
