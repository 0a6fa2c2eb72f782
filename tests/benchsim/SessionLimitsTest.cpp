// Sessions of the simulated bench as an instrument has them: a fixed number per port, the data
// stream's included, and a session that only waits for its client gives its place to a new client
// once it has waited the idle time, so that idle connections cannot lock every client out.
#include "instruments/simulator/InstrumentHost.h"
#include "instruments/simulator/SocketServer.h"
#include "instruments/simulator/models/DataStreamServer.h"
#include "instruments/simulator/models/Sim2280S.h"
#include "tests/drivertest/StreamClient.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
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

} // namespace
