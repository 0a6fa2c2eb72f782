#pragma once

#include "instruments/simulator/TcpServer.h"

namespace benchsim {

// The VXI-11 abort channel, minimal: device_abort is acknowledged and does nothing else (the
// simulated instruments answer at once, so there is never an operation in progress to abort).
class CVxi11AbortServer : public CTcpServer {
public:
    ~CVxi11AbortServer() override;

protected:
    void Serve(CServerConnection& connection) override;
};

} // namespace benchsim
