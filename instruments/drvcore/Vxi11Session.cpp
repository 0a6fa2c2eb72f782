#include "instruments/drvcore/Vxi11Session.h"

#include "instruments/drvcore/Vxi11Protocol.h"
#include "instruments/drvcore/XdrReader.h"
#include "instruments/drvcore/XdrWriter.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <unistd.h>

namespace drvcore {

namespace {
std::atomic<int> g_portmapperPort{0};
// A reply of only empty, unfinished reads is a peer gone wrong, not progress.
constexpr int kEmptyReadLimit = 16;
constexpr int kCloseTimeoutMs = 1000;
constexpr uint32_t kRequestLimit = 0x7FFFFFFF;
} // namespace

CVxi11Session::CVxi11Session(const CVisaResource& resource, const SSessionOptions& options)
    : CSession(options), m_host(resource.Host()), m_device(resource.Device()),
      m_rpc(m_connection, kVxi11CoreProgram, kVxi11CoreVersion) {}

CVxi11Session::~CVxi11Session() {
    Close();
}

void CVxi11Session::SetPortmapperPort(int port) {
    g_portmapperPort = port;
}

int CVxi11Session::PortmapperPort() {
    if (int port = g_portmapperPort.load(); port > 0)
        return port;
    if (const char* text = std::getenv("LUMORA_VXI11_PORTMAPPER_PORT")) {
        const int port = std::atoi(text);
        if (port > 0 && port < 65536)
            return port;
    }
    return static_cast<int>(kPortmapperPort);
}

bool CVxi11Session::FailRpc() {
    m_error = m_rpc.Error();
    // The connection is out of step (or gone): drop it without a destroy_link that would wait again.
    m_open = false;
    Close();
    return false;
}

bool CVxi11Session::QueryCorePort(int& port) {
    CTcpConnection mapper;
    const int mapperPort = PortmapperPort();
    if (!mapper.Connect(m_host, mapperPort, m_options.timeoutMs, m_error)) {
        m_error = "portmapper: " + m_error;
        return false;
    }
    CRpcClient rpc(mapper, kPortmapperProgram, kPortmapperVersion);
    CXdrWriter args;
    args.PutU32(kVxi11CoreProgram);
    args.PutU32(kVxi11CoreVersion);
    args.PutU32(kIpProtoTcp);
    args.PutU32(0);
    std::string results;
    uint32_t value = 0;
    if (!rpc.Call(kPortmapperGetPort, args.Data(), results, m_options.timeoutMs))
        return Fail("portmapper: " + rpc.Error());
    CXdrReader reader(results);
    if (!reader.GetU32(value) || value == 0 || value > 65535)
        return Fail("portmapper on " + m_host + " knows no VXI-11 core channel");
    port = static_cast<int>(value);
    return true;
}

bool CVxi11Session::Open() {
    Close();
    int port = 0;
    if (!QueryCorePort(port))
        return false;
    if (!m_connection.Connect(m_host, port, m_options.timeoutMs, m_error))
        return false;
    CXdrWriter args;
    args.PutI32(static_cast<int32_t>(::getpid()));
    args.PutU32(0); // no lock
    args.PutU32(0);
    args.PutOpaque(m_device);
    std::string results;
    if (!m_rpc.Call(kVxi11CreateLink, args.Data(), results, m_options.timeoutMs))
        return FailRpc();
    CXdrReader reader(results);
    int32_t error = 0;
    uint32_t link = 0, abortPort = 0, maxRecvSize = 0;
    if (!reader.GetI32(error) || !reader.GetU32(link) || !reader.GetU32(abortPort) ||
        !reader.GetU32(maxRecvSize)) {
        m_connection.Close();
        return Fail("malformed create_link reply");
    }
    if (error != kVxi11NoError) {
        m_connection.Close();
        return Fail("create_link of \"" + m_device + "\" refused (error " + std::to_string(error) + ")");
    }
    m_link = static_cast<int32_t>(link);
    m_maxRecvSize = std::max<uint32_t>(maxRecvSize, 1024);
    m_dataLeft = 0;
    m_open = true;
    return true;
}

void CVxi11Session::Close() {
    DropUnread();
    if (m_open && m_dataLeft == 0) {
        CXdrWriter args;
        args.PutI32(m_link);
        std::string results;
        m_rpc.Call(kVxi11DestroyLink, args.Data(), results, std::min(m_options.timeoutMs, kCloseTimeoutMs));
    }
    m_open = false;
    m_dataLeft = 0;
    m_connection.Close();
}

bool CVxi11Session::CheckDeviceError(int32_t error, const char* what) {
    if (error == kVxi11NoError)
        return true;
    m_error = std::string(what) + (error == kVxi11IoTimeout ? ": time-out" : ": device error ") +
              (error == kVxi11IoTimeout ? "" : std::to_string(error));
    return false;
}

bool CVxi11Session::Write(std::string_view message) {
    if (!m_open)
        return Fail("not connected");
    size_t at = 0;
    do {
        const size_t part = std::min<size_t>(message.size() - at, m_maxRecvSize);
        const bool last = at + part == message.size();
        CXdrWriter args;
        args.PutI32(m_link);
        args.PutU32(static_cast<uint32_t>(m_options.timeoutMs));
        args.PutU32(0);
        args.PutU32(last ? kVxi11FlagEnd : 0);
        args.PutOpaque(message.substr(at, part));
        std::string results;
        if (!m_rpc.Call(kVxi11DeviceWrite, args.Data(), results, m_options.timeoutMs))
            return FailRpc();
        CXdrReader reader(results);
        int32_t error = 0;
        uint32_t written = 0;
        if (!reader.GetI32(error) || !reader.GetU32(written))
            return Fail("malformed device_write reply");
        if (!CheckDeviceError(error, "device_write"))
            return false;
        if (written == 0 || written > part)
            return Fail("device_write took " + std::to_string(written) + " of " + std::to_string(part) +
                        " bytes");
        at += written;
    } while (at < message.size());
    return true;
}

bool CVxi11Session::FinishReadReply() {
    if (!m_rpc.SkipBytes(m_paddingLeft, m_options.timeoutMs) || !m_rpc.EndReply(m_options.timeoutMs))
        return FailRpc();
    return true;
}

long long CVxi11Session::ReadRaw(char* data, size_t size, bool& end) {
    if (!m_open) {
        Fail("not connected");
        return -1;
    }
    for (int empty = 0; m_dataLeft == 0; ++empty) {
        if (empty == kEmptyReadLimit) {
            Fail("device_read returns no data");
            return -1;
        }
        CXdrWriter args;
        args.PutI32(m_link);
        args.PutU32(static_cast<uint32_t>(std::min<size_t>(size, kRequestLimit)));
        args.PutU32(static_cast<uint32_t>(m_options.timeoutMs));
        args.PutU32(0);
        args.PutU32(0); // no termination character: binary blocks may hold it; END ends the reply
        args.PutU32(0);
        if (!m_rpc.SendCall(kVxi11DeviceRead, args.Data(), m_options.timeoutMs) ||
            !m_rpc.BeginReply(m_options.timeoutMs)) {
            FailRpc();
            return -1;
        }
        uint32_t error = 0, reason = 0, length = 0;
        if (!m_rpc.ReadU32(error, m_options.timeoutMs) || !m_rpc.ReadU32(reason, m_options.timeoutMs) ||
            !m_rpc.ReadU32(length, m_options.timeoutMs)) {
            FailRpc();
            return -1;
        }
        if (static_cast<int32_t>(error) != kVxi11NoError) {
            // The device reported the failure in a well-formed reply: the link stays usable.
            if (!m_rpc.SkipBytes(length + CXdrWriter::Padding(length), m_options.timeoutMs) ||
                !m_rpc.EndReply(m_options.timeoutMs)) {
                FailRpc();
                return -1;
            }
            {
                CheckDeviceError(static_cast<int32_t>(error), "device_read");
                return -1;
            }
        }
        if (length > size) {
            m_error = "device_read returned more than asked";
            Close();
            return -1;
        }
        m_endAfterData = (reason & kVxi11ReasonEnd) != 0;
        m_dataLeft = length;
        m_paddingLeft = CXdrWriter::Padding(length);
        if (length == 0) {
            if (!m_rpc.EndReply(m_options.timeoutMs)) {
                FailRpc();
                return -1;
            }
            if (m_endAfterData) {
                end = true;
                return 0;
            }
        }
    }
    const size_t part = std::min(size, m_dataLeft);
    if (!m_rpc.ReadBytes(data, part, m_options.timeoutMs)) {
        FailRpc();
        return -1;
    }
    m_dataLeft -= part;
    if (m_dataLeft == 0) {
        if (!FinishReadReply())
            return -1;
        end = m_endAfterData;
    }
    return static_cast<long long>(part);
}

bool CVxi11Session::GenericCall(uint32_t procedure, const char* what) {
    if (!m_open)
        return Fail("not connected");
    CXdrWriter args;
    args.PutI32(m_link);
    args.PutU32(0);
    args.PutU32(0);
    args.PutU32(static_cast<uint32_t>(m_options.timeoutMs));
    std::string results;
    if (!m_rpc.Call(procedure, args.Data(), results, m_options.timeoutMs))
        return FailRpc();
    CXdrReader reader(results);
    int32_t error = 0;
    if (!reader.GetI32(error))
        return Fail(std::string("malformed ") + what + " reply");
    return CheckDeviceError(error, what);
}

bool CVxi11Session::Clear() {
    if (m_dataLeft > 0) {
        // Finish the reply in flight so the next record starts cleanly.
        if (!m_rpc.SkipBytes(m_dataLeft, m_options.timeoutMs))
            return FailRpc();
        m_dataLeft = 0;
        if (!FinishReadReply())
            return false;
    }
    DropUnread();
    return GenericCall(kVxi11DeviceClear, "device_clear");
}

bool CVxi11Session::GoToLocal() {
    return GenericCall(kVxi11DeviceLocal, "device_local");
}

} // namespace drvcore
