#include "instruments/simulator/Vxi11AbortServer.h"

#include "instruments/drvcore/Vxi11Protocol.h"
#include "instruments/drvcore/XdrWriter.h"
#include "instruments/simulator/RpcServerLink.h"

namespace benchsim {

CVxi11AbortServer::~CVxi11AbortServer() {
    Stop();
}

void CVxi11AbortServer::Serve(CServerConnection& connection) {
    CRpcServerLink link(connection, 64 * 1024);
    SRpcCall call;
    while (link.ReadCall(call)) {
        if (call.program != drvcore::kVxi11AsyncProgram)
            link.SendAcceptError(call.xid, drvcore::kRpcProgUnavailable);
        else if (call.version != drvcore::kVxi11AsyncVersion)
            link.SendAcceptError(call.xid, drvcore::kRpcProgMismatch, 1, 1);
        else if (call.procedure == 0)
            link.SendSuccess(call.xid, {});
        else if (call.procedure != drvcore::kVxi11DeviceAbort)
            link.SendAcceptError(call.xid, drvcore::kRpcProcUnavailable);
        else {
            drvcore::CXdrWriter results;
            results.PutI32(drvcore::kVxi11NoError);
            link.SendSuccess(call.xid, results.Data());
        }
    }
}

} // namespace benchsim
