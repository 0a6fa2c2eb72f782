#include "DataStreamServer.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace benchsim {
namespace {

constexpr int POLL_MS = 10;
constexpr std::size_t FRAMES_PER_SEND = 4096;
const unsigned char START_REQUEST[4] = {0xA5, 0x5A, 0x00, 0x00};
const unsigned char GO_COMMAND[4] = {0x2E, 0xB1, 0x00, 0x00};

void PutWord(unsigned char* at, std::uint32_t word) {
    at[0] = static_cast<unsigned char>(word);
    at[1] = static_cast<unsigned char>(word >> 8);
    at[2] = static_cast<unsigned char>(word >> 16);
    at[3] = static_cast<unsigned char>(word >> 24);
}

} // namespace

CDataStreamServer::CDataStreamServer(CSim2280S& model) : m_model(model) {}

CDataStreamServer::~CDataStreamServer() {
    Stop();
}

void CDataStreamServer::EncodeFrame(float value, double time, unsigned char frame[FRAME_SIZE]) {
    std::memset(frame, 0, FRAME_SIZE);
    frame[0] = 'V';
    frame[1] = 'A';
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    PutWord(frame + 8, bits);
    const double seconds = std::floor(time);
    auto fraction = static_cast<std::uint32_t>(std::llround((time - seconds) * 10000.0));
    auto whole = static_cast<std::uint32_t>(seconds);
    if (fraction >= 10000) {
        fraction -= 10000;
        ++whole;
    }
    PutWord(frame + 12, whole);
    PutWord(frame + 16, fraction);
}

bool CDataStreamServer::Start(const std::string& address, std::uint16_t port, std::string& error) {
    if (CTcpServer::Start(address, port))
        return true;
    error = "data stream: " + Error();
    return false;
}

// A link that has not sent its requests, or does not read its frames, may give its place away; one
// that streams and is read keeps it.
void CDataStreamServer::Serve(CServerConnection& connection) {
    ++m_connections;
    unsigned char request[4];
    if (!connection.ReadExact(reinterpret_cast<char*>(request), 4) ||
        std::memcmp(request, START_REQUEST, 4) != 0)
        return;
    connection.CommandReceived();
    const bool refuse = m_refuse;
    const unsigned char reply[4] = {0, 0, 0, static_cast<unsigned char>(refuse ? 1 : 0)};
    unsigned char go[4];
    if (!connection.SendAll(reinterpret_cast<const char*>(reply), 4) || refuse ||
        !connection.ReadExact(reinterpret_cast<char*>(go), 4) || std::memcmp(go, GO_COMMAND, 4) != 0)
        return;
    connection.CommandReceived();
    std::uint64_t run = 0, next = 0;
    std::vector<unsigned char> frames;
    for (;;) {
        if (m_dropMidFrame || m_holdMidFrame) {
            const bool hold = !m_dropMidFrame;
            unsigned char frame[FRAME_SIZE];
            EncodeFrame(0.0f, 0.0, frame);
            if (connection.SendAll(reinterpret_cast<const char*>(frame), FRAME_SIZE / 2) && hold &&
                connection.WaitAcknowledged()) {
                ++m_heldMidFrame;
                connection.HoldUntilClosed();
            }
            return;
        }
        const auto readings = m_model.TakeStreamReadings(run, next, FRAMES_PER_SEND);
        if (!readings.empty()) {
            frames.resize(readings.size() * FRAME_SIZE);
            for (std::size_t i = 0; i < readings.size(); ++i)
                EncodeFrame(readings[i].value, readings[i].time, frames.data() + i * FRAME_SIZE);
            if (!connection.SendAll(reinterpret_cast<const char*>(frames.data()), frames.size()))
                return;
            m_framesSent += readings.size();
        }
        // Until the next readings are made; a peer that has gone ends the link.
        if (readings.size() < FRAMES_PER_SEND && !connection.Pause(POLL_MS))
            return;
    }
}

} // namespace benchsim
