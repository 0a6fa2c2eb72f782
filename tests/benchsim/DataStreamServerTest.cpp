#include "instruments/simulator/models/DataStreamServer.h"

#include <arpa/inet.h>
#include <cstring>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

namespace {

using benchsim::CDataStreamServer;
using benchsim::CSim2280S;

class CClient {
public:
    explicit CClient(std::uint16_t port) {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        timeval timeout{2, 0};
        ::setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_port = htons(port);
        ::inet_pton(AF_INET, "127.0.0.1", &sa.sin_addr);
        m_connected = ::connect(m_socket, reinterpret_cast<sockaddr*>(&sa), sizeof(sa)) == 0;
    }
    ~CClient() { ::close(m_socket); }
    bool Connected() const { return m_connected; }
    void Send(std::vector<unsigned char> bytes) {
        ASSERT_EQ(::send(m_socket, bytes.data(), bytes.size(), 0), 4);
    }
    std::vector<unsigned char> Read(std::size_t n) {
        std::vector<unsigned char> data(n);
        std::size_t got = 0;
        while (got < n) {
            const ssize_t r = ::recv(m_socket, data.data() + got, n - got, 0);
            if (r <= 0)
                break;
            got += static_cast<std::size_t>(r);
        }
        data.resize(got);
        return data;
    }

private:
    int m_socket = -1;
    bool m_connected = false;
};

std::uint32_t Word(const unsigned char* at) {
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

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

TEST(DataStreamFrame, EncodesSecondsAndTenThousandths) {
    unsigned char frame[CDataStreamServer::FRAME_SIZE];
    CDataStreamServer::EncodeFrame(1.5f, 1234.56789, frame);
    EXPECT_EQ(Word(frame + 4), 0u);
    EXPECT_EQ(Word(frame + 12), 1234u);
    EXPECT_EQ(Word(frame + 16), 5679u);
}

} // namespace
