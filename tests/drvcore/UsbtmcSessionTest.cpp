#include "instruments/drvcore/EntityInstrument.h"
#include "tests/drvcore/FakeUsbTree.h"
#include "tests/drvcore/TestModel.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using drvcoretest::CTestModel;

class CTestInstrument : public CEntityInstrument {
public:
    using CEntityInstrument::WriteAndReadHelper;
};

// A pseudo-terminal in raw mode stands in for /dev/usbtmcN: the test model answers on its master.
class CFakeUsbDevice {
public:
    CFakeUsbDevice() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(m_master);
        ::unlockpt(m_master);
        m_slavePath = ::ptsname(m_master);
        // Held open so the master never sees a hang-up between the session's opens.
        m_slave = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY);
        termios raw{};
        ::tcgetattr(m_slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_slave, TCSANOW, &raw);
        m_thread = std::thread([this] { Run(); });
    }
    ~CFakeUsbDevice() {
        m_stop = true;
        m_thread.join();
        ::close(m_slave);
        ::close(m_master);
    }
    const std::string& Node() const { return m_slavePath; }
    std::vector<std::string> Commands() const {
        std::lock_guard lock(m_mutex);
        return m_commands;
    }

private:
    void Run() {
        std::string pending;
        char chunk[4096];
        while (!m_stop) {
            pollfd p{m_master, POLLIN, 0};
            if (::poll(&p, 1, 20) != 1 || (p.revents & POLLIN) == 0)
                continue;
            const ssize_t got = ::read(m_master, chunk, sizeof chunk);
            if (got <= 0)
                continue;
            pending.append(chunk, static_cast<size_t>(got));
            for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
                const std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                {
                    std::lock_guard lock(m_mutex);
                    m_commands.push_back(line);
                }
                std::string reply;
                if (m_model.Execute(line, reply)) {
                    reply += '\n';
                    for (size_t at = 0; at < reply.size();) {
                        const ssize_t put = ::write(m_master, reply.data() + at, reply.size() - at);
                        if (put > 0)
                            at += static_cast<size_t>(put);
                    }
                }
            }
        }
    }

    CTestModel m_model;
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_commands;
};

TEST(UsbtmcSessionTest, FindsTheDeviceBySerialAndRunsQueries) {
    drvcoretest::CFakeUsbTree tree;
    CFakeUsbDevice device;
    tree.AddDevice(0, "05e6", "7510", "OTHER1");
    tree.AddDevice(1, "05e6", "2280", "4471234", device.Node());

    CTestInstrument instrument;
    CParameterInstru record;
    record.Resource = "USB0::0x05E6::0x2280::4471234::INSTR";
    record.Timeout = testsupport::kLongTimeoutMs;
    instrument.SetParameterInstru(record);
    ASSERT_EQ(instrument.SetInstrumentControl(), 1);
    ASSERT_EQ(instrument.WriteAndReadHelper("*IDN?"), 1);
    EXPECT_EQ(instrument.GetDataString(), QString(CTestModel::kIdentity));
    ASSERT_EQ(instrument.WriteAndReadHelper("BLOCK? 20000"), 1);
    EXPECT_EQ(instrument.GetDataSize(), 20000u + 7u);
    EXPECT_EQ(device.Commands(), (std::vector<std::string>{"*IDN?", "BLOCK? 20000"}));
}

TEST(UsbtmcSessionTest, AbsentDeviceFailsToConnect) {
    drvcoretest::CFakeUsbTree tree;
    tree.AddDevice(0, "05e6", "2280", "4471234");
    CTestInstrument instrument;
    CParameterInstru record;
    for (const char* resource :
         {"USB0::0x05E6::0x2280::9999999::INSTR", "USB0::0x05E6::0x2280::4471234::INSTR"}) {
        // The second names a device whose character file does not exist.
        record.Resource = resource;
        instrument.SetParameterInstru(record);
        EXPECT_EQ(instrument.SetInstrumentControl(), 0) << resource;
        EXPECT_EQ(instrument.IsInstruConnected(), 0) << resource;
    }
}

} // namespace
