#pragma once

#include "Sim2280S.h"
#include "instruments/simulator/TcpServer.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace benchsim {

// The power supply's binary reading stream: a client sends the start request A5 5A 00 00 and gets
// four bytes (all 0 when accepted), then sends 2E B1 00 00; from then on every reading of the
// running continuous measurement goes out as a 20-byte frame ('V','A' marker, an unused word, the
// reading as a float, whole seconds and 1/10,000 s of the instrument's clock), little-endian.
class CDataStreamServer : public CTcpServer {
public:
    static constexpr std::uint16_t DEFAULT_PORT = 13842;
    static constexpr std::size_t FRAME_SIZE = 20;
    // Links served at once; a further one is closed as soon as it is accepted (see CTcpServer).
    static constexpr std::size_t MAX_LINKS = 4;

    explicit CDataStreamServer(CSim2280S& model);
    ~CDataStreamServer() override;
    CDataStreamServer(const CDataStreamServer&) = delete;
    CDataStreamServer& operator=(const CDataStreamServer&) = delete;

    using CTcpServer::Start;
    // Listens on the IPv4 address and port (0: an ephemeral port); false with 'error' set when not.
    bool Start(const std::string& address, std::uint16_t port, std::string& error);
    std::uint16_t Port() const { return static_cast<std::uint16_t>(CTcpServer::Port()); }

    // Fault switch: answer the start request with 00 00 00 01 and close the link.
    void SetRefuseStart(bool refuse) { m_refuse = refuse; }
    // Fault switch: every streaming link sends half of its next frame and closes.
    void SetDropMidFrame(bool drop) { m_dropMidFrame = drop; }
    // Every streaming link sends half of its next frame and then nothing more, keeping the link open
    // until the client closes it: the client stops reading in the middle of a frame.
    void SetHoldMidFrame(bool hold) { m_holdMidFrame = hold; }
    // Links held so, counted once the client's end has taken their half frame.
    unsigned HeldMidFrame() const { return m_heldMidFrame; }
    std::uint64_t FramesSent() const { return m_framesSent; }
    // Links served so far.
    unsigned Connections() const { return m_connections; }

    // The frame of one reading, as sent on the wire.
    static void EncodeFrame(float value, double time, unsigned char frame[FRAME_SIZE]);

protected:
    void Serve(CServerConnection& connection) override;
    std::size_t MaxConnections() const override { return MAX_LINKS; }

private:
    CSim2280S& m_model;
    std::atomic<bool> m_refuse{false};
    std::atomic<bool> m_dropMidFrame{false};
    std::atomic<bool> m_holdMidFrame{false};
    std::atomic<unsigned> m_heldMidFrame{0};
    std::atomic<std::uint64_t> m_framesSent{0};
    std::atomic<unsigned> m_connections{0};
};

} // namespace benchsim
