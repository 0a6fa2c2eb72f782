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
constexpr int kBusySliceMs = 2;
// Output made ahead of the client's reads while a write is taken.
constexpr size_t kOutputChunk = 1024 * 1024;
} // namespace

// One connection's link. Written program messages wait in 'lines' (the instrument's input buffer) and
// are executed as far as the output allows; the response is 'output' from 'outputAt' on, then the
// terminator "\n" once every message is done. A reply is kept as the model made it (a block of many
// megabytes is never copied).
struct CVxi11Server::SLinkState {
    int32_t link = 0;
    bool linked = false;
    // A write without END so far; 'overrun' drops the rest of a message that outgrew the buffer.
    std::string input;
    bool overrun = false;
    std::string lines;
    size_t linesAt = 0;
    SProgramMessage message;
    bool executing = false;
    bool waiting = false;
    // A message of this response answered: the next answer is separated by "\n".
    bool answered = false;
    std::string output;
    size_t outputAt = 0;
    bool terminatorPending = false;

    bool HasWork() const { return executing || linesAt < lines.size(); }
    size_t Unsent() const { return output.size() - outputAt + (terminatorPending ? 1 : 0); }
    void DropOutput() {
        output.clear();
        outputAt = 0;
        terminatorPending = false;
        answered = false;
    }
    void DropWork() {
        lines.clear();
        linesAt = 0;
        message = SProgramMessage(); // with the rest of a reply it was making
        executing = false;
        waiting = false;
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

void CVxi11Server::Produce(SLinkState& state, size_t limit, CServerConnection* reader) {
    state.waiting = false;
    while (state.Unsent() < limit) {
        if (!state.executing) {
            if (state.linesAt >= state.lines.size())
                break;
            size_t end = state.lines.find('\n', state.linesAt);
            if (end == std::string::npos)
                end = state.lines.size();
            size_t length = end - state.linesAt;
            if (length > 0 && state.lines[end - 1] == '\r')
                --length;
            const size_t at = state.linesAt;
            state.linesAt = end + 1;
            if (length == 0)
                continue;
            m_host.Begin(state.message, state.lines.substr(at, length));
            state.executing = true;
        }
        // What was sent goes before more is made; what is left is less than one read.
        if (state.outputAt > 0) {
            state.output.erase(0, state.outputAt);
            state.outputAt = 0;
        }
        const size_t before = state.output.size();
        const bool answeredBefore = state.message.answered;
        // A part at a time, so that a large read lets other sessions and a device clear in between.
        const size_t target = std::min(state.outputAt + limit, state.output.size() + kOutputChunk);
        const IInstrumentModel::eStep step = m_host.Run(state.message, state.output, target);
        if (state.message.answered && !answeredBefore) {
            if (state.answered)
                state.output.insert(before, 1, '\n');
            state.answered = true;
        }
        if (step == IInstrumentModel::eStep::Waiting) {
            state.waiting = true;
            break;
        }
        if (step == IInstrumentModel::eStep::Finished)
            state.executing = false;
        // A client that gave up on a large read leaves; what was made so far is sent to nobody.
        if (reader && !reader->PeerOpen())
            break;
    }
    if (!state.HasWork()) {
        state.lines.clear();
        state.linesAt = 0;
        if (state.answered) {
            state.terminatorPending = true;
            state.answered = false;
        }
    }
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
    const size_t wanted = std::max<uint32_t>(requestSize, 1);
    const int wait = static_cast<int>(std::min<uint32_t>(ioTimeout, kMaxIoWaitMs));
    if (state.Unsent() == 0 && !state.HasWork())
        m_host.ReportError(-420); // addressed to talk with nothing to say
    for (int waited = 0;;) {
        Produce(state, wanted, &link.Connection());
        if (state.Unsent() > 0 || waited >= wait)
            break;
        // Waiting for an overlapped command, or nothing to send: wait out the client's time-out as an
        // instrument does.
        const int slice = std::min(state.waiting ? kBusySliceMs : kWaitSliceMs, wait - waited);
        if (!link.Connection().Sleep(slice))
            return false;
        waited += slice;
    }
    if (state.Unsent() == 0) {
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
        state.DropWork();
        return true;
    }
    size_t count = std::min(wanted, state.Unsent());
    uint32_t reason = 0;
    const size_t inData = std::min(count, state.output.size() - state.outputAt);
    const char* data = state.output.data() + state.outputAt;
    if ((flags & drvcore::kVxi11FlagTermCharSet) != 0) {
        const char term = static_cast<char>(termChar);
        if (const void* found = std::memchr(data, term, inData)) {
            count = static_cast<size_t>(static_cast<const char*>(found) - data) + 1;
            reason |= drvcore::kVxi11ReasonChar;
        } else if (term == '\n' && count > inData) {
            reason |= drvcore::kVxi11ReasonChar; // the response terminator itself
        }
    }
    const size_t fromData = std::min(count, inData);
    const bool last = !state.HasWork() && count == state.Unsent();
    if (last)
        reason |= drvcore::kVxi11ReasonEnd;
    else if (count == requestSize)
        reason |= drvcore::kVxi11ReasonRequestCount;
    results.PutI32(drvcore::kVxi11NoError);
    results.PutU32(reason);
    results.PutOpaqueLength(count);
    const std::string_view bulk(data, fromData);
    const std::string_view tail = fromData < count ? std::string_view("\n", 1) : std::string_view();
    if (faults.Is(CFaultSwitches::eDropMidReply)) {
        link.SendSuccess(call.xid, results.Data(), bulk, tail, CXdrWriter::Padding(count), 32 + count / 2);
        return false;
    }
    const bool sent = link.SendSuccess(call.xid, results.Data(), bulk, tail, CXdrWriter::Padding(count));
    state.outputAt += fromData;
    if (fromData < count)
        state.terminatorPending = false;
    if (state.outputAt == state.output.size()) {
        state.output.clear();
        state.outputAt = 0;
    }
    return sent;
}

void CVxi11Server::Write(SLinkState& state, std::string_view data, bool end) {
    if (!state.overrun && state.input.size() + data.size() > CInstrumentHost::kInputLimit) {
        m_host.ReportError(-363);
        state.overrun = true;
        state.input.clear();
    }
    if (!state.overrun)
        state.input.append(data);
    if (!end)
        return;
    if (state.overrun) {
        state.overrun = false;
        return;
    }
    // A new message while a response is unread: the response, and what of its message is still to
    // run, is lost. A message held by *WAI without output waits in the buffer before the new one.
    if (state.Unsent() > 0) {
        m_host.ReportError(-410);
        state.DropOutput();
        state.DropWork();
    }
    if (state.lines.size() - state.linesAt + state.input.size() > CInstrumentHost::kInputLimit) {
        m_host.ReportError(-363);
    } else {
        state.lines.erase(0, state.linesAt);
        state.linesAt = 0;
        if (!state.lines.empty())
            state.lines += '\n';
        state.lines += state.input;
    }
    state.input.clear();
    Produce(state, kOutputChunk);
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
        Write(state, data, (flags & drvcore::kVxi11FlagEnd) != 0);
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
            state.overrun = false;
            state.DropOutput();
            state.DropWork();
            m_host.DeviceClear();
        } else if (call.procedure == drvcore::kVxi11DeviceLocal) {
            m_host.GoToLocal();
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
