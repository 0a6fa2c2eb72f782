#include "instruments/simulator/models/DataStreamServer.h"
#include "tests/drivertest/StreamClient.h"
#include "tests/support/WaitFor.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

using benchsim::CDataStreamServer;
using benchsim::CSim2280S;

class CClient : public drivertest::CStreamClient {
public:
    explicit CClient(std::uint16_t port) : CStreamClient("127.0.0.1", port) {}
    void Send(const std::vector<unsigned char>& bytes) { ASSERT_TRUE(CStreamClient::Send(bytes)); }
};

using drivertest::Word;

class DataStreamServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_model.SetTimeScale(20.0);
        std::string error;
        ASSERT_TRUE(m_server.Start("127.0.0.1", 0, error)) << error;
        for (const char* command : {":OUTP ON", ":SENS:CURR:NPLC 0.01", ":INIT:CONT ON"}) {
            std::string reply;
            m_model.Execute(command, reply);
        }
    }
    CSim2280S m_model;
    CDataStreamServer m_server{m_model};
};

TEST_F(DataStreamServerTest, AcceptedStartStreamsFramesOfTheContinuousMeasurement) {
    CClient client(m_server.Port());
    ASSERT_TRUE(client.Connected());
    client.Send({0xA5, 0x5A, 0x00, 0x00});
    EXPECT_EQ(client.Read(4), (std::vector<unsigned char>{0, 0, 0, 0}));
    client.Send({0x2E, 0xB1, 0x00, 0x00});
    const auto frames = client.Read(200 * CDataStreamServer::FRAME_SIZE);
    ASSERT_EQ(frames.size(), 200 * CDataStreamServer::FRAME_SIZE);
    double previous = -1.0;
    for (std::size_t i = 0; i < 200; ++i) {
        const unsigned char* frame = frames.data() + i * CDataStreamServer::FRAME_SIZE;
        ASSERT_EQ(frame[0], 'V');
        ASSERT_EQ(frame[1], 'A');
        float value = 0;
        const std::uint32_t bits = Word(frame + 8);
        std::memcpy(&value, &bits, 4);
        EXPECT_GT(value, 0.0f);
        EXPECT_LT(value, 0.1f);
        const double time = Word(frame + 12) + Word(frame + 16) * 1e-4;
        if (previous >= 0) {
            EXPECT_NEAR(time - previous, 0.0002, 1.1e-4);
        }
        previous = time;
    }
}

TEST_F(DataStreamServerTest, RefusedStartAnswersNonZeroAndCloses) {
    m_server.SetRefuseStart(true);
    CClient client(m_server.Port());
    ASSERT_TRUE(client.Connected());
    client.Send({0xA5, 0x5A, 0x00, 0x00});
    EXPECT_EQ(client.Read(4), (std::vector<unsigned char>{0, 0, 0, 1}));
    EXPECT_TRUE(client.Read(1).empty());
}

// A stream held in the middle of a frame sends half a frame, counted held once the client's end has
// taken it.
TEST_F(DataStreamServerTest, AStreamHeldMidFrameSendsHalfAFrame) {
    m_server.SetHoldMidFrame(true);
    CClient client(m_server.Port());
    ASSERT_TRUE(client.Connected());
    client.Send({0xA5, 0x5A, 0x00, 0x00});
    EXPECT_EQ(client.Read(4), (std::vector<unsigned char>{0, 0, 0, 0}));
    client.Send({0x2E, 0xB1, 0x00, 0x00});
    ASSERT_TRUE(testsupport::WaitUntil([&] { return m_server.HeldMidFrame() == 1; }));
    EXPECT_EQ(m_server.FramesSent(), 0u);
    const auto half = client.Read(CDataStreamServer::FRAME_SIZE / 2);
    ASSERT_EQ(half.size(), CDataStreamServer::FRAME_SIZE / 2);
    EXPECT_EQ(half[0], 'V');
    EXPECT_EQ(half[1], 'A');
}

TEST_F(DataStreamServerTest, EachNewLinkIsServedAfterEarlierOnesClosed) {
    for (int run = 0; run < 3; ++run) {
        CClient client(m_server.Port());
        ASSERT_TRUE(client.Connected());
        client.Send({0xA5, 0x5A, 0x00, 0x00});
        EXPECT_EQ(client.Read(4), (std::vector<unsigned char>{0, 0, 0, 0})) << run;
        client.Send({0x2E, 0xB1, 0x00, 0x00});
        EXPECT_EQ(client.Read(CDataStreamServer::FRAME_SIZE).size(), CDataStreamServer::FRAME_SIZE) << run;
    }
    EXPECT_EQ(m_server.Connections(), 3u);
}

TEST(DataStreamServer, BindsLoopbackOnly) {
    CSim2280S model;
    CDataStreamServer server(model);
    std::string error;
    EXPECT_FALSE(server.Start("0.0.0.0", 0, error));
    EXPECT_FALSE(server.Start("192.168.1.10", 0, error));
    EXPECT_TRUE(server.Start("127.0.0.5", 0, error)) << error;
}

TEST(DataStreamFrame, EncodesSecondsAndTenThousandths) {
    unsigned char frame[CDataStreamServer::FRAME_SIZE];
    CDataStreamServer::EncodeFrame(1.5f, 1234.56789, frame);
    EXPECT_EQ(Word(frame + 4), 0u);
    EXPECT_EQ(Word(frame + 12), 1234u);
    EXPECT_EQ(Word(frame + 16), 5679u);
}

} // namespace
