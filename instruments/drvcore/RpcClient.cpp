#include "instruments/drvcore/RpcClient.h"

#include "instruments/drvcore/Vxi11Protocol.h"
#include "instruments/drvcore/XdrReader.h"
#include "instruments/drvcore/XdrWriter.h"

#include <algorithm>
#include <random>

namespace drvcore {

namespace {
constexpr size_t kSmallResultLimit = 64 * 1024;
constexpr uint32_t kAuthBodyLimit = 400;
} // namespace

CRpcClient::CRpcClient(CTcpConnection& connection, uint32_t program, uint32_t version)
    : m_connection(connection), m_program(program), m_version(version),
      m_xid(static_cast<uint32_t>(std::random_device{}())) {}

bool CRpcClient::Fail(const std::string& why) {
    m_error = why;
    return false;
}

bool CRpcClient::FailIo(CTcpConnection::eResult result) {
    return Fail(CTcpConnection::Describe(result));
}

bool CRpcClient::SendCall(uint32_t procedure, const std::string& arguments, int timeoutMs) {
    CXdrWriter header;
    header.PutU32(0); // record mark, filled below
    header.PutU32(++m_xid);
    header.PutU32(kRpcCall);
    header.PutU32(kRpcVersion);
    header.PutU32(m_program);
    header.PutU32(m_version);
    header.PutU32(procedure);
    for (int i = 0; i < 4; ++i)
        header.PutU32(0); // null credentials and verifier
    const size_t length = header.Data().size() - 4 + arguments.size();
    CXdrWriter mark;
    mark.PutU32(kRpcLastFragment | static_cast<uint32_t>(length));
    header.Data().replace(0, 4, mark.Data());
    iovec parts[2] = {{header.Data().data(), header.Data().size()},
                      {const_cast<char*>(arguments.data()), arguments.size()}};
    if (auto r = m_connection.SendAllV(parts, 2, timeoutMs); r != CTcpConnection::eOk)
        return FailIo(r);
    m_fragmentLeft = 0;
    m_lastFragment = false;
    return true;
}

bool CRpcClient::NextFragment(int timeoutMs) {
    if (m_lastFragment)
        return Fail("RPC reply shorter than its contents");
    char raw[4];
    if (auto r = m_connection.ReceiveExact(raw, 4, timeoutMs); r != CTcpConnection::eOk)
        return FailIo(r);
    uint32_t mark = 0;
    CXdrReader(raw, 4).GetU32(mark);
    m_lastFragment = (mark & kRpcLastFragment) != 0;
    m_fragmentLeft = mark & ~kRpcLastFragment;
    return true;
}

bool CRpcClient::ReadBytes(char* data, size_t size, int timeoutMs) {
    while (size > 0) {
        if (m_fragmentLeft == 0 && !NextFragment(timeoutMs))
            return false;
        const size_t part = std::min(size, m_fragmentLeft);
        if (part == 0)
            continue;
        if (auto r = m_connection.ReceiveExact(data, part, timeoutMs); r != CTcpConnection::eOk)
            return FailIo(r);
        data += part;
        size -= part;
        m_fragmentLeft -= part;
    }
    return true;
}

bool CRpcClient::SkipBytes(size_t size, int timeoutMs) {
    char scrap[4096];
    while (size > 0) {
        const size_t part = std::min(size, sizeof scrap);
        if (!ReadBytes(scrap, part, timeoutMs))
            return false;
        size -= part;
    }
    return true;
}

bool CRpcClient::ReadU32(uint32_t& value, int timeoutMs) {
    char raw[4];
    if (!ReadBytes(raw, 4, timeoutMs))
        return false;
    CXdrReader(raw, 4).GetU32(value);
    return true;
}

bool CRpcClient::BeginReply(int timeoutMs) {
    uint32_t xid = 0, type = 0, status = 0;
    if (!ReadU32(xid, timeoutMs) || !ReadU32(type, timeoutMs) || !ReadU32(status, timeoutMs))
        return false;
    if (xid != m_xid || type != kRpcReply)
        return Fail("not a reply to the last RPC call");
    if (status != kRpcMsgAccepted)
        return Fail("RPC call denied");
    uint32_t flavor = 0, length = 0, accept = 0;
    if (!ReadU32(flavor, timeoutMs) || !ReadU32(length, timeoutMs))
        return false;
    if (length > kAuthBodyLimit)
        return Fail("malformed RPC reply");
    if (!SkipBytes(length + CXdrWriter::Padding(length), timeoutMs) || !ReadU32(accept, timeoutMs))
        return false;
    if (accept != kRpcSuccess)
        return Fail("RPC call not accepted (status " + std::to_string(accept) + ")");
    return true;
}

bool CRpcClient::EndReply(int timeoutMs) {
    if (m_fragmentLeft != 0 || !m_lastFragment)
        return Fail("RPC reply longer than its contents");
    return true;
}

bool CRpcClient::Call(uint32_t procedure, const std::string& arguments, std::string& results, int timeoutMs) {
    if (!SendCall(procedure, arguments, timeoutMs) || !BeginReply(timeoutMs))
        return false;
    results.clear();
    for (;;) {
        if (m_fragmentLeft > 0) {
            if (results.size() + m_fragmentLeft > kSmallResultLimit)
                return Fail("RPC reply too long");
            const size_t at = results.size();
            results.resize(at + m_fragmentLeft);
            if (!ReadBytes(results.data() + at, results.size() - at, timeoutMs))
                return false;
        }
        if (m_lastFragment)
            return true;
        if (!NextFragment(timeoutMs))
            return false;
    }
}

} // namespace drvcore
