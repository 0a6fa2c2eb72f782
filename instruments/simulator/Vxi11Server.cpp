#include "instruments/simulator/Vxi11Server.h"

#include "instruments/drvcore/Vxi11Protocol.h"
#include "instruments/drvcore/XdrReader.h"
#include "instruments/drvcore/XdrWriter.h"
#include "instruments/simulator/GarbageReply.h"
#include "instruments/simulator/RpcServerLink.h"

#include <algorithm>
#include <cstring>

namespace benchsim {

using drvcore::CXdrReader;
using drvcore::CXdrWriter;

namespace {
constexpr int kMaxIoWaitMs = 60000;
constexpr int kWaitSliceMs = 20;
} // namespace

// One connection's link. The pending response is 'output' followed by its terminator "\n"; the
// reply is kept as the model made it (a block of many megabytes is never copied).
struct CVxi11Server::SLinkState {
    int32_t link = 0;
    bool linked = false;
    std::string input;
    std::string output;
    // The previous response's memory, reused for the next reply (no fresh pages for big blocks).
    std::string scratch;
    bool hasOutput = false;
    size_t outputAt = 0;

    size_t ResponseSize() const { return hasOutput ? output.size() + 1 : 0; }
    void DropOutput() {
        output.clear();
        hasOutput = false;
        outputAt = 0;
    }
};

CVxi11Server::CVxi11Server(CInstrumentHost& host) : m_host(host) {}

CVxi11Server::~CVxi11Server() {
    Stop();
}

bool CVxi11Server::Start(const std::string& address, int port) {
    if (!m_abort.Start(address, 0))
        return false;
    if (!CTcpServer::Start(address, port)) {
        m_abort.Stop();
        return false;
    }
    return true;
}

void CVxi11Server::Stop() {
    CTcpServer::Stop();
    m_abort.Stop();
}

void CVxi11Server::Serve(CServerConnection& connection) {
    CRpcServerLink link(connection, kMaxRecvSize + 4096);
    SLinkState state;
    SRpcCall call;
    while (link.ReadCall(call)) {
        if (call.program != drvcore::kVxi11CoreProgram) {
            link.SendAcceptError(call.xid, drvcore::kRpcProgUnavailable);
            continue;
        }
        if (call.version != drvcore::kVxi11CoreVersion) {
            link.SendAcceptError(call.xid, drvcore::kRpcProgMismatch, 1, 1);
            continue;
        }
        if (!Dispatch(link, call, state))
            return;
    }
}

void CVxi11Server::ExecuteMessage(SLinkState& state) {
    // A new message discards output that was never read, as an instrument does.
    state.DropOutput();
    std::string& reply = state.scratch;
    size_t start = 0;
    while (start < state.input.size()) {
        size_t end = state.input.find('\n', start);
        if (end == std::string::npos)
            end = state.input.size();
        std::string line = state.input.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        start = end + 1;
        if (line.empty() || !m_host.Execute(line, reply))
            continue;
        if (!state.hasOutput) {
            state.output.swap(reply);
            state.hasOutput = true;
        } else {
            state.output += '\n';
            state.output += reply;
        }
    }
    state.input.clear();
}

bool CVxi11Server::DeviceRead(CRpcServerLink& link, const SRpcCall& call, SLinkState& state) {
    CXdrReader args(call.arguments);
    int32_t lid = 0;
    uint32_t requestSize = 0, ioTimeout = 0, lockTimeout = 0, flags = 0, termChar = 0;
    if (!args.GetI32(lid) || !args.GetU32(requestSize) || !args.GetU32(ioTimeout) ||
        !args.GetU32(lockTimeout) || !args.GetU32(flags) || !args.GetU32(termChar))
        return link.SendAcceptError(call.xid, drvcore::kRpcGarbageArgs);
    CXdrWriter results;
    if (!state.linked || lid != state.link) {
        results.PutI32(drvcore::kVxi11InvalidLink);
        results.PutU32(0);
        results.PutU32(0);
        return link.SendSuccess(call.xid, results.Data());
    }
    if (state.outputAt >= state.ResponseSize()) {
        // Nothing to send: wait out the client's time-out as an instrument does.
        const int wait = static_cast<int>(std::min<uint32_t>(ioTimeout, kMaxIoWaitMs));
        for (int waited = 0; waited < wait; waited += kWaitSliceMs)
            if (!link.Connection().Sleep(std::min(kWaitSliceMs, wait - waited)))
                return false;
        results.PutI32(drvcore::kVxi11IoTimeout);
        results.PutU32(0);
        results.PutU32(0);
        return link.SendSuccess(call.xid, results.Data());
    }
    CFaultSwitches& faults = m_host.Faults();
    if (faults.Is(CFaultSwitches::eStall)) {
        link.Connection().HoldUntilClosed();
        return false;
    }
    if (faults.Is(CFaultSwitches::eGarbage)) {
        const std::string garbage = GarbageReply();
        CXdrWriter record;
        record.PutU32(drvcore::kRpcLastFragment | static_cast<uint32_t>(garbage.size()));
        record.Data() += garbage;
        link.SendRaw(record.Data());
        state.DropOutput();
        return true;
    }
    size_t count =
        std::min<size_t>(std::max<uint32_t>(requestSize, 1), state.ResponseSize() - state.outputAt);
    uint32_t reason = 0;
    const size_t dataSize = state.output.size();
    const char* data = state.output.data() + std::min(state.outputAt, dataSize);
    if ((flags & drvcore::kVxi11FlagTermCharSet) != 0) {
        const char term = static_cast<char>(termChar);
        const size_t inData = state.outputAt < dataSize ? std::min(count, dataSize - state.outputAt) : 0;
        if (const void* found = std::memchr(data, term, inData)) {
            count = static_cast<size_t>(static_cast<const char*>(found) - data) + 1;
            reason |= drvcore::kVxi11ReasonChar;
        } else if (term == '\n' && count > inData) {
            reason |= drvcore::kVxi11ReasonChar; // the response terminator itself
        }
    }
    const bool last = state.outputAt + count == state.ResponseSize();
    if (last)
        reason |= drvcore::kVxi11ReasonEnd;
    else if (count == requestSize)
        reason |= drvcore::kVxi11ReasonRequestCount;
    results.PutI32(drvcore::kVxi11NoError);
    results.PutU32(reason);
    results.PutOpaqueLength(count);
    const size_t fromData = state.outputAt < dataSize ? std::min(count, dataSize - state.outputAt) : 0;
    const std::string_view bulk(data, fromData);
    const std::string_view tail = fromData < count ? std::string_view("\n", 1) : std::string_view();
    if (faults.Is(CFaultSwitches::eDropMidReply)) {
        link.SendSuccess(call.xid, results.Data(), bulk, tail, CXdrWriter::Padding(count), 32 + count / 2);
        return false;
    }
    const bool sent = link.SendSuccess(call.xid, results.Data(), bulk, tail, CXdrWriter::Padding(count));
    state.outputAt += count;
    if (last)
        state.DropOutput();
    return sent;
}

bool CVxi11Server::Dispatch(CRpcServerLink& link, const SRpcCall& call, SLinkState& state) {
    CXdrReader args(call.arguments);
    CXdrWriter results;
    int32_t lid = 0;
    switch (call.procedure) {
    case 0:
        return link.SendSuccess(call.xid, {});
    case drvcore::kVxi11CreateLink: {
        int32_t clientId = 0;
        uint32_t lockDevice = 0, lockTimeout = 0;
        std::string_view device;
        if (!args.GetI32(clientId) || !args.GetU32(lockDevice) || !args.GetU32(lockTimeout) ||
            !args.GetOpaque(device, 256))
            return link.SendAcceptError(call.xid, drvcore::kRpcGarbageArgs);
        std::string name(device);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (name.compare(0, 4, "inst") != 0) {
            results.PutI32(drvcore::kVxi11DeviceNotAccessible);
            results.PutU32(0);
            results.PutU32(0);
            results.PutU32(0);
            return link.SendSuccess(call.xid, results.Data());
        }
        state.link = m_nextLink.fetch_add(1);
        state.linked = true;
        results.PutI32(drvcore::kVxi11NoError);
        results.PutI32(state.link);
        results.PutU32(static_cast<uint32_t>(m_abort.Port()));
        results.PutU32(kMaxRecvSize);
        return link.SendSuccess(call.xid, results.Data());
    }
    case drvcore::kVxi11DeviceWrite: {
        uint32_t ioTimeout = 0, lockTimeout = 0, flags = 0;
        std::string_view data;
        if (!args.GetI32(lid) || !args.GetU32(ioTimeout) || !args.GetU32(lockTimeout) ||
            !args.GetU32(flags) || !args.GetOpaque(data, kMaxRecvSize))
            return link.SendAcceptError(call.xid, drvcore::kRpcGarbageArgs);
        if (!state.linked || lid != state.link) {
            results.PutI32(drvcore::kVxi11InvalidLink);
            results.PutU32(0);
            return link.SendSuccess(call.xid, results.Data());
        }
        state.input.append(data);
        if ((flags & drvcore::kVxi11FlagEnd) != 0)
            ExecuteMessage(state);
        results.PutI32(drvcore::kVxi11NoError);
        results.PutU32(static_cast<uint32_t>(data.size()));
        return link.SendSuccess(call.xid, results.Data());
    }
    case drvcore::kVxi11DeviceRead:
        return DeviceRead(link, call, state);
    case drvcore::kVxi11DeviceClear:
    case drvcore::kVxi11DeviceLocal:
    case drvcore::kVxi11DeviceRemote:
    case drvcore::kVxi11DeviceLock:
    case drvcore::kVxi11DeviceUnlock:
    case drvcore::kVxi11DestroyLink: {
        if (!args.GetI32(lid))
            return link.SendAcceptError(call.xid, drvcore::kRpcGarbageArgs);
        if (!state.linked || lid != state.link) {
            results.PutI32(drvcore::kVxi11InvalidLink);
            return link.SendSuccess(call.xid, results.Data());
        }
        if (call.procedure == drvcore::kVxi11DeviceClear) {
            state.input.clear();
            state.DropOutput();
            m_host.DeviceClear();
        } else if (call.procedure == drvcore::kVxi11DestroyLink) {
            state.linked = false;
        }
        results.PutI32(drvcore::kVxi11NoError);
        return link.SendSuccess(call.xid, results.Data());
    }
    case drvcore::kVxi11DeviceReadStb:
    case drvcore::kVxi11DeviceTrigger:
        results.PutI32(drvcore::kVxi11NotSupported);
        if (call.procedure == drvcore::kVxi11DeviceReadStb)
            results.PutU32(0);
        return link.SendSuccess(call.xid, results.Data());
    default:
        return link.SendAcceptError(call.xid, drvcore::kRpcProcUnavailable);
    }
}

} // namespace benchsim
