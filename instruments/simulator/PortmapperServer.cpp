#include "instruments/simulator/PortmapperServer.h"

#include "instruments/drvcore/Vxi11Protocol.h"
#include "instruments/drvcore/XdrReader.h"
#include "instruments/drvcore/XdrWriter.h"
#include "instruments/simulator/RpcServerLink.h"

namespace benchsim {

CPortmapperServer::~CPortmapperServer() {
    Stop();
}

bool CPortmapperServer::StartPreferringDefault(const std::string& address, int fallbackPort) {
    return Start(address, kDefaultPort) || Start(address, fallbackPort);
}

void CPortmapperServer::Register(uint32_t program, uint32_t version, int port) {
    std::lock_guard lock(m_mutex);
    m_ports[{program, version}] = port;
}

void CPortmapperServer::Serve(CServerConnection& connection) {
    CRpcServerLink link(connection, 64 * 1024);
    SRpcCall call;
    while (link.ReadCall(call)) {
        if (call.program != drvcore::kPortmapperProgram) {
            link.SendAcceptError(call.xid, drvcore::kRpcProgUnavailable);
            continue;
        }
        if (call.version != drvcore::kPortmapperVersion) {
            link.SendAcceptError(call.xid, drvcore::kRpcProgMismatch, drvcore::kPortmapperVersion,
                                 drvcore::kPortmapperVersion);
            continue;
        }
        if (call.procedure == 0) {
            link.SendSuccess(call.xid, {});
            continue;
        }
        if (call.procedure != drvcore::kPortmapperGetPort) {
            link.SendAcceptError(call.xid, drvcore::kRpcProcUnavailable);
            continue;
        }
        drvcore::CXdrReader args(call.arguments);
        uint32_t program = 0, version = 0, protocol = 0, ignored = 0;
        if (!args.GetU32(program) || !args.GetU32(version) || !args.GetU32(protocol) ||
            !args.GetU32(ignored)) {
            link.SendAcceptError(call.xid, drvcore::kRpcGarbageArgs);
            continue;
        }
        int port = 0;
        if (protocol == drvcore::kIpProtoTcp) {
            std::lock_guard lock(m_mutex);
            if (auto it = m_ports.find({program, version}); it != m_ports.end())
                port = it->second;
        }
        drvcore::CXdrWriter results;
        results.PutU32(static_cast<uint32_t>(port));
        link.SendSuccess(call.xid, results.Data());
    }
}

} // namespace benchsim
