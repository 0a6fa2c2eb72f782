#pragma once

#include "instruments/simulator/bench/SimulatedBench.h"

#include <QString>
#include <algorithm>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <mutex>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace frametest {

// The simulated bench in this process, sped up, with the views the frame's tests need.
class CBench {
public:
    explicit CBench(double timeScale = 100.0) : m_bench(benchsim::CSimulatedBench::TestOptions(timeScale)) {
        std::string error;
        m_started = m_bench.Start(error);
        EXPECT_TRUE(m_started) << error;
    }
    ~CBench() { m_bench.Stop(); }

    QString SupplyResource() { return QString::fromStdString(m_bench.SupplyInstrument().Vxi11Resource()); }
    QString MeterResource() { return QString::fromStdString(m_bench.MeterInstrument().Vxi11Resource()); }

    // Nothing listens there: the connection is refused at once.
    static QString UnreachableResource() { return QStringLiteral("TCPIP0::127.0.0.1::1::SOCKET"); }

    void ClearCommandLogs() {
        m_bench.SupplyHost().Log().Clear();
        m_bench.MeterHost().Log().Clear();
    }
    bool SupplyReceived(const std::string& command) { return Received(m_bench.SupplyHost(), command); }
    // The command lines an instrument received since the logs were cleared, in order.
    std::vector<std::string> SupplyCommands() { return m_bench.SupplyHost().Log().Lines(); }
    std::vector<std::string> MeterCommands() { return m_bench.MeterHost().Log().Lines(); }
    bool MeterReceived(const std::string& command) { return Received(m_bench.MeterHost(), command); }
    // The errors the supply holds in its queue.
    std::size_t SupplyErrorCount() { return m_bench.Supply().ErrorCount(); }
    // The supply's next reply breaks off and its connection closes.
    void DropSupplyLink() {
        m_bench.SupplyHost().Faults().Set(benchsim::CFaultSwitches::eDropMidReply, true);
    }
    void RestoreSupplyLink() { m_bench.SupplyHost().Faults().ClearAll(); }

    // The multimeter's next reply breaks off and its connection closes.
    void DropMeterLink() { m_bench.MeterHost().Faults().Set(benchsim::CFaultSwitches::eDropMidReply, true); }
    // The supply's output as the instrument has it.
    bool SupplyOutputOn() { return m_bench.Supply().IsOutputOn(); }
    // Started measurements never complete (until switched off again).
    void HoldMeasurements(bool hold) {
        m_bench.Supply().SetHoldMeasurement(hold);
        m_bench.Meter().SetHoldMeasurement(hold);
    }
    // The supply's reading stream.
    std::uint16_t StreamPort() { return m_bench.Stream().Port(); }
    void DropStreamMidFrame() { m_bench.Stream().SetDropMidFrame(true); }
    // The stream stops in the middle of a frame and the link stays open; true once the program's end
    // of the link has taken the half frame.
    void HoldStreamMidFrame() { m_bench.Stream().SetHoldMidFrame(true); }
    bool StreamHeldMidFrame() { return m_bench.Stream().HeldMidFrame() > 0; }
    void RefuseStreamStart() { m_bench.Stream().SetRefuseStart(true); }
    std::uint64_t StreamFramesSent() { return m_bench.Stream().FramesSent(); }
    // Both instruments see a steady load of 'amperes' with a little noise.
    void SetSteadyLoad(double amperes) {
        benchsim::CDeviceUnderTest::SProfile steady;
        steady.sleepCurrent = steady.burstCurrent = amperes;
        steady.sleepNoise = steady.burstNoise = amperes * 1e-3;
        m_bench.Meter().SetDeviceUnderTest(benchsim::CDeviceUnderTest(steady));
        m_bench.Supply().SetDeviceUnderTest(benchsim::CDeviceUnderTest(steady));
    }

private:
    static bool Received(benchsim::CInstrumentHost& host, const std::string& command) {
        const auto lines = host.Log().Lines();
        return std::find(lines.begin(), lines.end(), command) != lines.end();
    }

    benchsim::CSimulatedBench m_bench;
    bool m_started = false;
};

// An instrument's address that takes every link and never reads or answers a byte, as a device that
// hangs (or is no instrument at all) may.
class CSilentPeer {
public:
    CSilentPeer() {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof where;
        EXPECT_EQ(::bind(m_listener, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
        EXPECT_EQ(::listen(m_listener, 16), 0);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&where), &length);
        m_port = ntohs(where.sin_port);
        m_acceptor = std::thread([this] {
            for (int fd; (fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
                std::lock_guard lock(m_mutex);
                m_links.push_back(fd);
            }
        });
    }
    ~CSilentPeer() {
        ::shutdown(m_listener, SHUT_RDWR);
        m_acceptor.join();
        ::close(m_listener);
        for (int fd : m_links)
            ::close(fd);
    }
    CSilentPeer(const CSilentPeer&) = delete;
    CSilentPeer& operator=(const CSilentPeer&) = delete;

    QString Resource() const { return QStringLiteral("TCPIP0::127.0.0.1::%1::SOCKET").arg(m_port); }

private:
    int m_listener = -1;
    int m_port = 0;
    std::thread m_acceptor;
    std::mutex m_mutex;
    std::vector<int> m_links;
};

} // namespace frametest
