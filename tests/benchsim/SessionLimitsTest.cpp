// Sessions of the simulated bench as an instrument has them: a fixed number per port, the data
// stream's included, and a session that only waits for its client gives its place to a new client
// once it has waited the idle time, so that idle connections cannot lock every client out.
#include "instruments/drvcore/SessionFactory.h"
#include "instruments/drvcore/Vxi11Protocol.h"
#include "instruments/drvcore/Vxi11Session.h"
#include "instruments/drvcore/XdrWriter.h"
#include "instruments/simulator/InstrumentHost.h"
#include "instruments/simulator/SocketServer.h"
#include "instruments/simulator/bench/SimulatedInstrument.h"
#include "instruments/simulator/models/DataStreamServer.h"
#include "instruments/simulator/models/Sim2280S.h"
#include "instruments/simulator/models/SimDMM7510.h"
#include "tests/drivertest/StreamClient.h"
#include "tests/support/WaitFor.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using benchsim::CDataStreamServer;
using benchsim::CInstrumentHost;
using benchsim::CSim2280S;
using benchsim::CSocketServer;
using benchsim::CTcpServer;
using drivertest::CStreamClient;

constexpr const char* kAddress = "127.0.0.41";

std::vector<unsigned char> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

// The maker's name from the answer to *IDN?; empty when the connection was closed (or stayed quiet).
std::string Identify(CStreamClient& client) {
    if (!client.Send(Bytes("*IDN?\n")))
        return {};
    std::string line;
    for (;;) {
        const std::vector<unsigned char> next = client.Read(1);
        if (next.empty() || next[0] == '\n')
            break;
        line += static_cast<char>(next[0]);
    }
    return line.substr(0, line.find(' '));
}

std::size_t ThreadsOfThisProcess() {
    std::size_t threads = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++threads;
    return threads;
}

bool Before(std::chrono::steady_clock::time_point deadline) {
    return std::chrono::steady_clock::now() < deadline;
}

class SessionLimits : public ::testing::Test {
protected:
    CSim2280S m_model;
    CInstrumentHost m_host{m_model};
};

// Sixteen sessions that only wait hold every place; a new client is turned away while they are
// fresh, and takes the place of the one that has waited longest once it has waited the idle time.
TEST_F(SessionLimits, IdleSessionsGiveTheirPlaceToANewClient) {
    CSocketServer server(m_host);
    server.SetIdleTime(300);
    ASSERT_TRUE(server.Start(kAddress, 0)) << server.Error();
    std::vector<std::unique_ptr<CStreamClient>> idle;
    for (std::size_t i = 0; i < CTcpServer::kMaxConnections; ++i) {
        idle.push_back(std::make_unique<CStreamClient>(kAddress, static_cast<std::uint16_t>(server.Port())));
        ASSERT_EQ(Identify(*idle.back()), "KEITHLEY") << i;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::string answer;
    while (answer.empty() && Before(deadline)) {
        CStreamClient later(kAddress, static_cast<std::uint16_t>(server.Port()));
        answer = Identify(later);
    }
    EXPECT_EQ(answer, "KEITHLEY");
    // The session that gave way is closed; the others still answer.
    std::size_t answering = 0;
    for (auto& client : idle)
        answering += Identify(*client) == "KEITHLEY" ? 1 : 0;
    EXPECT_LT(answering, CTcpServer::kMaxConnections);
    EXPECT_GT(answering, 0u);
}

// A session at work keeps its place, however long the idle ones have waited: only those waiting for
// their client give way, and a full port with none of them turns a new client away.
TEST_F(SessionLimits, WithNoSessionIdleLongEnoughANewClientIsTurnedAway) {
    CSocketServer server(m_host);
    server.SetIdleTime(60 * 60 * 1000);
    ASSERT_TRUE(server.Start(kAddress, 0)) << server.Error();
    std::vector<std::unique_ptr<CStreamClient>> clients;
    for (std::size_t i = 0; i < CTcpServer::kMaxConnections; ++i) {
        clients.push_back(
            std::make_unique<CStreamClient>(kAddress, static_cast<std::uint16_t>(server.Port())));
        ASSERT_EQ(Identify(*clients.back()), "KEITHLEY") << i;
    }
    CStreamClient refused(kAddress, static_cast<std::uint16_t>(server.Port()));
    EXPECT_EQ(Identify(refused), "");
    for (auto& client : clients)
        EXPECT_EQ(Identify(*client), "KEITHLEY");
}

// A thousand connections to the data stream once made a thousand threads: the port takes a fixed
// number of links, and closes the others as soon as it has accepted them.
TEST_F(SessionLimits, TheDataStreamTakesAFixedNumberOfLinks) {
    CDataStreamServer stream(m_model);
    stream.SetIdleTime(60 * 60 * 1000);
    std::string error;
    ASSERT_TRUE(stream.Start(kAddress, 0, error)) << error;
    const std::size_t before = ThreadsOfThisProcess();
    std::vector<std::unique_ptr<CStreamClient>> links;
    for (int i = 0; i < 60; ++i)
        links.push_back(std::make_unique<CStreamClient>(kAddress, stream.Port()));
    // Each link beyond the limit is closed: the last one made reads the end of the stream.
    links.back()->Send({0xA5, 0x5A, 0x00, 0x00});
    EXPECT_TRUE(links.back()->Read(4).empty());
    EXPECT_LE(ThreadsOfThisProcess(), before + CDataStreamServer::MAX_LINKS);
    EXPECT_LE(stream.Connections(), CDataStreamServer::MAX_LINKS);
    // The first links are served.
    links.front()->Send({0xA5, 0x5A, 0x00, 0x00});
    EXPECT_EQ(links.front()->Read(4), (std::vector<unsigned char>{0, 0, 0, 0}));
}

// Links that never send their start request are idle: a client that streams takes their place.
TEST_F(SessionLimits, IdleStreamLinksGiveWayToOneThatStreams) {
    for (const char* command : {":OUTP ON", ":SENS:CURR:NPLC 0.01", ":INIT:CONT ON"}) {
        std::string reply;
        m_model.Execute(command, reply);
    }
    m_model.SetTimeScale(20.0);
    CDataStreamServer stream(m_model);
    stream.SetIdleTime(300);
    std::string error;
    ASSERT_TRUE(stream.Start(kAddress, 0, error)) << error;
    std::vector<std::unique_ptr<CStreamClient>> idle;
    for (std::size_t i = 0; i < CDataStreamServer::MAX_LINKS; ++i)
        idle.push_back(std::make_unique<CStreamClient>(kAddress, stream.Port()));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::size_t frame = 0;
    while (frame == 0 && Before(deadline)) {
        CStreamClient client(kAddress, stream.Port());
        if (!client.Send({0xA5, 0x5A, 0x00, 0x00}) ||
            client.Read(4) != std::vector<unsigned char>{0, 0, 0, 0})
            continue;
        client.Send({0x2E, 0xB1, 0x00, 0x00});
        frame = client.Read(CDataStreamServer::FRAME_SIZE).size();
    }
    EXPECT_EQ(frame, CDataStreamServer::FRAME_SIZE);
}

// A client that holds a place and makes no progress: it sends a byte now and then, or more than it
// ever reads. Its receive buffer is small, so that what it does not read soon fills what lies between.
class CStallingClient {
public:
    CStallingClient(const std::string& address, int port) {
        m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int small = 4096;
        ::setsockopt(m_socket, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(static_cast<std::uint16_t>(port));
        ::inet_pton(AF_INET, address.c_str(), &sa.sin_addr);
        m_connected = ::connect(m_socket, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0;
    }
    ~CStallingClient() { ::close(m_socket); }
    CStallingClient(const CStallingClient&) = delete;
    CStallingClient& operator=(const CStallingClient&) = delete;

    bool Connected() const { return m_connected; }
    // Sends up to 'most' bytes of 'pattern' repeated without end, from where the last call stopped, as
    // far as the connection takes them now: never waiting, and never cutting a message short.
    void Feed(const std::string& pattern, std::size_t most) {
        while (most > 0) {
            const std::size_t at = m_fed % pattern.size();
            const std::size_t n = std::min(most, pattern.size() - at);
            const ssize_t sent = ::send(m_socket, pattern.data() + at, n, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent <= 0)
                return;
            m_fed += static_cast<std::size_t>(sent);
            most -= static_cast<std::size_t>(sent);
        }
    }

    // What has come in, up to 'size' bytes, waiting up to a minute for some; 0 when the server closed.
    ssize_t Receive(char* data, std::size_t size) {
        pollfd ready{m_socket, POLLIN, 0};
        if (::poll(&ready, 1, 60000) != 1)
            return -1;
        return ::recv(m_socket, data, size, 0);
    }

private:
    int m_socket = -1;
    bool m_connected = false;
    std::size_t m_fed = 0;
};

// A client that reads a large block slowly but steadily is at work, not stalled: while it reads, new
// clients that find every place taken are served, each kept, until every other place has been given
// away (its first sessions' and their successors'); the reader's never is, and its block comes whole.
// The reader keeps its slow pace until the places have turned over, however long that takes, and then
// takes the rest at once, so that the block outlasts the turnover on any machine.
TEST(SessionLimitsOfTheMeter, AClientReadingALargeBlockSlowlyKeepsItsPlace) {
    benchsim::CSimDMM7510 meter;
    CInstrumentHost host{meter};
    constexpr std::size_t kReadings = 1000000;
    std::string reply;
    for (const char* command :
         {":SENS:COUN 1000000", ":TRAC:POIN 1000000", ":FORM:DATA REAL", ":MEAS:CURR:DC?"})
        host.Execute(command, reply);
    ASSERT_TRUE(host.Execute(":TRAC:ACT?", reply));
    ASSERT_EQ(reply, "1000000");
    CSocketServer server(host);
    server.SetIdleTime(2000);
    ASSERT_TRUE(server.Start(kAddress, 0)) << server.Error();
    // "#8" and the length, each reading with its time, the newline: 16 MB, at the slow pace below
    // longer than the minute the test waits for the turnover.
    constexpr std::size_t kBlock = 2 + 8 + 16 * kReadings + 1;
    const char* const kQuery = ":TRAC:DATA? 1, 1000000, 'defbuffer1', READ, REL\n";
    CStallingClient reader(kAddress, server.Port());
    ASSERT_TRUE(reader.Connected());
    reader.Feed(kQuery, std::strlen(kQuery));
    // A few kilobytes every 20 ms: much less than the port could carry, but always some, well within
    // the idle time.
    std::atomic<std::size_t> received{0};
    std::atomic<bool> closed{false};
    std::atomic<bool> hurry{false};
    std::thread reading([&] {
        std::vector<char> part(4096);
        while (received < kBlock) {
            const ssize_t got = reader.Receive(part.data(), part.size());
            if (got <= 0) {
                closed = true;
                return;
            }
            received += static_cast<std::size_t>(got);
            if (!hurry)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    // The other places taken by sessions that wait for their clients from now on.
    EXPECT_TRUE(testsupport::WaitUntil([&] { return received > 0 || closed; }));
    std::vector<std::unique_ptr<CStreamClient>> idle;
    for (std::size_t i = 1; i < CTcpServer::kMaxConnections; ++i) {
        idle.push_back(std::make_unique<CStreamClient>(kAddress, static_cast<std::uint16_t>(server.Port())));
        EXPECT_EQ(Identify(*idle.back()), "KEITHLEY") << i;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::vector<std::unique_ptr<CStreamClient>> served;
    while (served.size() < CTcpServer::kMaxConnections && !closed && received < kBlock && Before(deadline)) {
        auto fresh = std::make_unique<CStreamClient>(kAddress, static_cast<std::uint16_t>(server.Port()));
        if (Identify(*fresh) == "KEITHLEY")
            served.push_back(std::move(fresh));
    }
    const std::size_t readWhileTurningOver = received;
    hurry = true;
    reading.join();
    EXPECT_EQ(served.size(), CTcpServer::kMaxConnections) << "after " << readWhileTurningOver << " bytes";
    EXPECT_FALSE(closed) << "the reader's session was given away after " << received << " bytes";
    EXPECT_EQ(received, kBlock);
}

// The raw socket's one-line query, many times over.
std::string ManyQueries() {
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += "*IDN?\n";
    return text;
}

// VXI-11 calls of the core channel's null procedure, each answered by an empty reply.
std::string ManyNullCalls() {
    std::string text;
    for (std::uint32_t xid = 1; xid <= 100000; ++xid) {
        drvcore::CXdrWriter call;
        call.PutU32(drvcore::kRpcLastFragment | 40);
        call.PutU32(xid);
        call.PutU32(drvcore::kRpcCall);
        call.PutU32(drvcore::kRpcVersion);
        call.PutU32(drvcore::kVxi11CoreProgram);
        call.PutU32(drvcore::kVxi11CoreVersion);
        call.PutU32(0);
        for (int auth = 0; auth < 4; ++auth)
            call.PutU32(0);
        text += call.Data();
    }
    return text;
}

// The maker's name from *IDN? over a VXI-11 link of the instrument; empty when no link could be made.
std::string IdentifyOverVxi11(const std::string& resource) {
    drvcore::SSessionOptions options;
    options.timeoutMs = 5000;
    std::string error;
    auto session = drvcore::CreateSession(resource, options, error);
    if (!session || !session->Open() || !session->Write("*IDN?\n"))
        return {};
    std::string reply;
    char part[256];
    for (bool end = false; !end && reply.find('\n') == std::string::npos;) {
        const long long got = session->Read(part, sizeof part, end);
        if (got <= 0)
            break;
        reply.append(part, static_cast<std::size_t>(got));
    }
    return reply.substr(0, reply.find(' '));
}

enum class eChannel { eSocket, eVxi11, eStream };

// How a stalling client sends its bytes: one at a time, all it can again and again, or all once.
enum class eSending { eTrickle, eFlood, eOnce };

struct SStall {
    const char* name;
    eChannel channel;
    std::function<std::string()> bytes;
    eSending sending;
};

void PrintTo(const SStall& stall, std::ostream* os) {
    *os << stall.name;
}

class StalledSessions : public SessionLimits, public ::testing::WithParamInterface<SStall> {};

// Every place taken by clients that make no progress (a byte now and then but never a whole command,
// or commands whose answers they never read, or a stream they never read) keeps no fresh client out
// for longer than the idle time: the one that has waited longest for its client gives its place away.
TEST_P(StalledSessions, GiveTheirPlaceToAFreshClient) {
    const SStall& stall = GetParam();
    for (const char* command : {":OUTP ON", ":SENS:CURR:NPLC 0.01", ":INIT:CONT ON"}) {
        std::string reply;
        m_model.Execute(command, reply);
    }
    m_model.SetTimeScale(100.0);
    benchsim::CSimulatedInstrument instrument(m_model);
    CDataStreamServer stream(m_model);
    std::string error;
    ASSERT_TRUE(instrument.Start(kAddress, 0, 0, 0, error)) << error;
    instrument.SetIdleTime(1000);
    stream.SetIdleTime(1000);
    ASSERT_TRUE(stream.Start(kAddress, 0, error)) << error;
    drvcore::CVxi11Session::SetPortmapperPort(instrument.PortmapperPort());
    int port = 0;
    std::size_t places = CTcpServer::kMaxConnections;
    switch (stall.channel) {
    case eChannel::eSocket:
        port = instrument.SocketPort();
        break;
    case eChannel::eVxi11:
        port = instrument.Vxi11Port();
        break;
    case eChannel::eStream:
        port = stream.Port();
        places = CDataStreamServer::MAX_LINKS;
        break;
    }
    const std::string bytes = stall.bytes();
    const auto feed = [&](CStallingClient& client, bool first) {
        if (stall.sending == eSending::eTrickle)
            client.Feed(bytes, 1);
        else if (stall.sending == eSending::eFlood)
            client.Feed(bytes, SIZE_MAX);
        else if (first)
            client.Feed(bytes, bytes.size());
    };
    // Each client sends at once, so that none waits idle for the idle time before it stalls.
    std::vector<std::unique_ptr<CStallingClient>> stalling;
    for (std::size_t i = 0; i < places; ++i) {
        stalling.push_back(std::make_unique<CStallingClient>(kAddress, port));
        ASSERT_TRUE(stalling.back()->Connected()) << i;
        feed(*stalling.back(), true);
    }
    // Then again every 50 ms (well within the idle time) until the test ends: one byte at a time, or
    // as much as the connections take.
    std::atomic<bool> done{false};
    std::thread sender([&] {
        while (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            for (auto& client : stalling)
                feed(*client, false);
        }
    });
    const auto answered = [&]() -> bool {
        switch (stall.channel) {
        case eChannel::eSocket: {
            CStreamClient fresh(kAddress, static_cast<std::uint16_t>(port));
            return Identify(fresh) == "KEITHLEY";
        }
        case eChannel::eVxi11:
            return IdentifyOverVxi11(instrument.Vxi11Resource()) == "KEITHLEY";
        case eChannel::eStream: {
            CStreamClient fresh(kAddress, stream.Port());
            if (!fresh.Send({0xA5, 0x5A, 0x00, 0x00}) ||
                fresh.Read(4) != std::vector<unsigned char>{0, 0, 0, 0})
                return false;
            fresh.Send({0x2E, 0xB1, 0x00, 0x00});
            return fresh.Read(CDataStreamServer::FRAME_SIZE).size() == CDataStreamServer::FRAME_SIZE;
        }
        }
        return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool served = false;
    while (!served && Before(deadline))
        served = answered();
    done = true;
    sender.join();
    EXPECT_TRUE(served);
    drvcore::CVxi11Session::SetPortmapperPort(0);
}

const std::string kStreamStart("\xA5\x5A\x00\x00\x2E\xB1\x00\x00", 8);

INSTANTIATE_TEST_SUITE_P(
    Stalls, StalledSessions,
    ::testing::Values(
        SStall{"SocketTrickle", eChannel::eSocket, [] { return std::string("*IDN?"); }, eSending::eTrickle},
        SStall{"SocketUnreadReplies", eChannel::eSocket, ManyQueries, eSending::eFlood},
        SStall{"Vxi11Trickle", eChannel::eVxi11, ManyNullCalls, eSending::eTrickle},
        SStall{"Vxi11UnreadReplies", eChannel::eVxi11, ManyNullCalls, eSending::eFlood},
        SStall{"StreamUnread", eChannel::eStream, [] { return kStreamStart; }, eSending::eOnce}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
