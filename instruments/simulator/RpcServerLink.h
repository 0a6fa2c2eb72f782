#pragma once

#include "instruments/simulator/ServerConnection.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace benchsim {

// One call read from a client: its header and its arguments (a view into the link's record).
struct SRpcCall {
    uint32_t xid = 0;
    uint32_t program = 0;
    uint32_t version = 0;
    uint32_t procedure = 0;
    std::string_view arguments;
};

// The server side of ONC RPC over one TCP connection with record marking.
class CRpcServerLink {
public:
    CRpcServerLink(CServerConnection& connection, size_t recordLimit);

    // Reads the next call; false when the connection ends or sends what is no RPC call.
    bool ReadCall(SRpcCall& call);
    // A successful reply: 'results', then 'bulk' and 'tail' bytes (sent from the caller's memory),
    // then 'padding' zero bytes. 'sendLimit' cuts the record short (a fault: the caller drops the link).
    bool SendSuccess(uint32_t xid, const std::string& results, std::string_view bulk = {},
                     std::string_view tail = {}, size_t padding = 0, size_t sendLimit = SIZE_MAX);
    bool SendAcceptError(uint32_t xid, uint32_t status, uint32_t low = 0, uint32_t high = 0);
    bool SendRaw(const std::string& bytes) { return m_connection.SendAll(bytes.data(), bytes.size()); }

    CServerConnection& Connection() { return m_connection; }

private:
    bool ReadRecord();

    CServerConnection& m_connection;
    size_t m_recordLimit;
    std::string m_record;
};

} // namespace benchsim
