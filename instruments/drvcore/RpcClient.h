#pragma once

#include "instruments/drvcore/TcpConnection.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace drvcore {

// ONC RPC calls over one TCP connection with record marking. A reply's results are read piece by
// piece straight from the connection, so bulk data lands in the caller's buffer without a copy.
class CRpcClient {
public:
    CRpcClient(CTcpConnection& connection, uint32_t program, uint32_t version);

    bool SendCall(uint32_t procedure, const std::string& arguments, int timeoutMs);
    // Reads and checks the reply header of the last call.
    bool BeginReply(int timeoutMs);
    bool ReadU32(uint32_t& value, int timeoutMs);
    bool ReadBytes(char* data, size_t size, int timeoutMs);
    bool SkipBytes(size_t size, int timeoutMs);
    // The reply must end here.
    bool EndReply(int timeoutMs);
    // A whole call whose results are small: sends, checks the header and returns the results.
    bool Call(uint32_t procedure, const std::string& arguments, std::string& results, int timeoutMs);

    const std::string& Error() const { return m_error; }

private:
    bool NextFragment(int timeoutMs);
    bool Fail(const std::string& why);
    bool FailIo(CTcpConnection::eResult result);

    CTcpConnection& m_connection;
    uint32_t m_program;
    uint32_t m_version;
    uint32_t m_xid;
    size_t m_fragmentLeft = 0;
    bool m_lastFragment = true;
    std::string m_error;
};

} // namespace drvcore
