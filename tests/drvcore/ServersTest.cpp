#include "instruments/drvcore/EntityInstrument.h"
#include "tests/drvcore/TestBench.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <thread>

namespace {

using drvcoretest::CTestBench;
using drvcoretest::CTestModel;

class CTestInstrument : public CEntityInstrument {
public:
    using CEntityInstrument::ClearHelper;
    using CEntityInstrument::WriteAndReadHelper;
    using CEntityInstrument::WriteCommandHelper;
};

void Point(CTestInstrument& instrument, const std::string& resource,
           const char* timeout = testsupport::kLongTimeoutMs) {
    CParameterInstru record;
    record.Resource = QString::fromStdString(resource);
    record.Timeout = timeout;
    instrument.SetParameterInstru(record);
}

TEST(ServersTest, TheCommandLogIsWrittenToItsFileInOrder) {
    CTestBench bench;
    ASSERT_TRUE(bench.Ok());
    const std::string path = ::testing::TempDir() + "/lumora-command-log.txt";
    std::remove(path.c_str());
    ASSERT_TRUE(bench.Host().Log().WriteTo(path));
    CTestInstrument overVxi11, overSocket;
    Point(overVxi11, bench.Vxi11Resource());
    Point(overSocket, bench.SocketResource());
    ASSERT_EQ(overVxi11.WriteCommandHelper("A1;B2"), 1);
    ASSERT_EQ(overSocket.WriteAndReadHelper("*IDN?"), 1);
    ASSERT_EQ(overVxi11.WriteAndReadHelper("*IDN?"), 1);
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"A1;B2", "*IDN?", "*IDN?"}));
    EXPECT_EQ(bench.Host().Log().Lines(), lines);
}

TEST(ServersTest, ServersStopWhileClientsHoldConnections) {
    auto bench = std::make_unique<CTestBench>();
    ASSERT_TRUE(bench->Ok());
    CTestInstrument stalled, idle;
    // The stalled call fails whether the closing link or its time-out ends it.
    Point(stalled, bench->SocketResource(), "5000");
    Point(idle, bench->Vxi11Resource());
    ASSERT_EQ(idle.SetInstrumentControl(), 1);
    bench->Host().Faults().Set(benchsim::CFaultSwitches::eStall, true);
    std::thread caller([&] { EXPECT_EQ(stalled.WriteAndReadHelper("*IDN?"), 0); });
    while (bench->Host().Log().Size() == 0)
        std::this_thread::yield();
    bench.reset(); // joins every server thread; the stalled caller sees the link close
    caller.join();
    EXPECT_EQ(idle.WriteAndReadHelper("*IDN?"), 0);
}

// A terabyte block asked for and never read: the instrument makes it only as it is read, so other
// sessions are served meanwhile, and a device clear drops it.
TEST(ServersTest, AnUnreadReplyHoldsNeitherOtherSessionsNorADeviceClear) {
    CTestBench bench;
    ASSERT_TRUE(bench.Ok());
    const QString huge = QStringLiteral("INDEF? %1").arg(1ULL << 40);
    struct SCase {
        const char* name;
        std::string resource;
    };
    for (const SCase& c : {SCase{"vxi11", bench.Vxi11Resource()}, SCase{"socket", bench.SocketResource()}}) {
        CTestInstrument greedy, other;
        Point(greedy, c.resource, "60000");
        Point(other, c.resource, "60000");
        ASSERT_EQ(greedy.WriteCommandHelper(huge), 1) << c.name;
        ASSERT_EQ(other.WriteAndReadHelper("*IDN?"), 1) << c.name;
        EXPECT_EQ(other.GetDataString(), QString(CTestModel::kIdentity)) << c.name;
        if (c.resource == bench.Vxi11Resource()) {
            ASSERT_EQ(greedy.ClearHelper(), 1);
            ASSERT_EQ(greedy.WriteAndReadHelper("*IDN?"), 1);
            EXPECT_EQ(greedy.GetDataString(), QString(CTestModel::kIdentity));
        }
    }
}

TEST(ServersTest, Vxi11RefusalsFailCleanly) {
    CTestBench bench;
    ASSERT_TRUE(bench.Ok());
    CTestInstrument instrument;
    // A device name the instrument does not have.
    Point(instrument, "TCPIP0::127.0.0.1::gpib0,5::INSTR");
    EXPECT_EQ(instrument.SetInstrumentControl(), 0);
    // A portmapper that knows no VXI-11 server.
    bench.Portmapper().Register(drvcore::kVxi11CoreProgram, drvcore::kVxi11CoreVersion, 0);
    Point(instrument, bench.Vxi11Resource());
    EXPECT_EQ(instrument.SetInstrumentControl(), 0);
    EXPECT_EQ(bench.Host().Log().Size(), 0u);
}

TEST(ServersTest, ATakenPortOrAnAddressOffLoopbackIsRefused) {
    benchsim::CPortmapperServer first, second;
    ASSERT_TRUE(first.Start("127.0.0.1", 0));
    ASSERT_FALSE(second.Start("127.0.0.1", first.Port()));
    ASSERT_TRUE(second.Start("127.0.0.1", 0));
    EXPECT_NE(second.Port(), first.Port());
    EXPECT_FALSE(second.Start("10.1.2.3", 0)) << "only loopback addresses are served";
}

} // namespace
