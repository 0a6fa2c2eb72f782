#include "instruments/simulator/RpcServerLink.h"

#include "instruments/drvcore/Vxi11Protocol.h"
#include "instruments/drvcore/XdrReader.h"
#include "instruments/drvcore/XdrWriter.h"

#include <algorithm>

namespace benchsim {

using drvcore::CXdrReader;
using drvcore::CXdrWriter;

namespace {
constexpr uint32_t kAuthLimit = 400;
}

CRpcServerLink::CRpcServerLink(CServerConnection& connection, size_t recordLimit)
    : m_connection(connection), m_recordLimit(recordLimit) {}

bool CRpcServerLink::ReadRecord() {
    m_record.clear();
    for (bool last = false; !last;) {
        char raw[4];
        if (!m_connection.ReadExact(raw, 4))
            return false;
        uint32_t mark = 0;
        CXdrReader(raw, 4).GetU32(mark);
        last = (mark & drvcore::kRpcLastFragment) != 0;
        const size_t length = mark & ~drvcore::kRpcLastFragment;
        if (m_record.size() + length > m_recordLimit)
            return false;
        const size_t at = m_record.size();
        m_record.resize(at + length);
        if (!m_connection.ReadExact(m_record.data() + at, length))
            return false;
    }
    m_connection.CommandReceived();
    return true;
}

bool CRpcServerLink::ReadCall(SRpcCall& call) {
    if (!ReadRecord())
        return false;
    CXdrReader reader(m_record);
    uint32_t type = 0, rpcVersion = 0, flavor = 0;
    std::string_view body;
    if (!reader.GetU32(call.xid) || !reader.GetU32(type) || type != drvcore::kRpcCall ||
        !reader.GetU32(rpcVersion) || !reader.GetU32(call.program) || !reader.GetU32(call.version) ||
        !reader.GetU32(call.procedure) || !reader.GetU32(flavor) || !reader.GetOpaque(body, kAuthLimit) ||
        !reader.GetU32(flavor) || !reader.GetOpaque(body, kAuthLimit))
        return false;
    if (rpcVersion != drvcore::kRpcVersion) {
        CXdrWriter reply;
        reply.PutU32(0);
        reply.PutU32(call.xid);
        reply.PutU32(drvcore::kRpcReply);
        reply.PutU32(drvcore::kRpcMsgDenied);
        reply.PutU32(drvcore::kRpcMismatch);
        reply.PutU32(drvcore::kRpcVersion);
        reply.PutU32(drvcore::kRpcVersion);
        CXdrWriter mark;
        mark.PutU32(drvcore::kRpcLastFragment | static_cast<uint32_t>(reply.Data().size() - 4));
        reply.Data().replace(0, 4, mark.Data());
        SendRaw(reply.Data());
        return false;
    }
    const size_t consumed = m_record.size() - reader.Remaining();
    call.arguments = std::string_view(m_record).substr(consumed);
    return true;
}

bool CRpcServerLink::SendSuccess(uint32_t xid, const std::string& results, std::string_view bulk,
                                 std::string_view tail, size_t padding, size_t sendLimit) {
    CXdrWriter header;
    header.PutU32(0);
    header.PutU32(xid);
    header.PutU32(drvcore::kRpcReply);
    header.PutU32(drvcore::kRpcMsgAccepted);
    header.PutU32(0); // null verifier
    header.PutU32(0);
    header.PutU32(drvcore::kRpcSuccess);
    header.Data() += results;
    const size_t length = header.Data().size() - 4 + bulk.size() + tail.size() + padding;
    CXdrWriter mark;
    mark.PutU32(drvcore::kRpcLastFragment | static_cast<uint32_t>(length));
    header.Data().replace(0, 4, mark.Data());
    static const char zeros[4] = {};
    iovec parts[4] = {{header.Data().data(), header.Data().size()},
                      {const_cast<char*>(bulk.data()), bulk.size()},
                      {const_cast<char*>(tail.data()), tail.size()},
                      {const_cast<char*>(zeros), std::min<size_t>(padding, 4)}};
    if (sendLimit != SIZE_MAX) {
        // Cut the record short: only the first 'sendLimit' bytes go out.
        size_t left = sendLimit;
        for (iovec& part : parts) {
            part.iov_len = std::min(part.iov_len, left);
            left -= part.iov_len;
        }
    }
    return m_connection.SendAllV(parts, 4);
}

bool CRpcServerLink::SendAcceptError(uint32_t xid, uint32_t status, uint32_t low, uint32_t high) {
    CXdrWriter reply;
    reply.PutU32(0);
    reply.PutU32(xid);
    reply.PutU32(drvcore::kRpcReply);
    reply.PutU32(drvcore::kRpcMsgAccepted);
    reply.PutU32(0);
    reply.PutU32(0);
    reply.PutU32(status);
    if (status == drvcore::kRpcProgMismatch) {
        reply.PutU32(low);
        reply.PutU32(high);
    }
    CXdrWriter mark;
    mark.PutU32(drvcore::kRpcLastFragment | static_cast<uint32_t>(reply.Data().size() - 4));
    reply.Data().replace(0, 4, mark.Data());
    return SendRaw(reply.Data());
}

} // namespace benchsim
