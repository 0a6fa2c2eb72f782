// The supply's reading stream during a data-logging run: connection and start handshake, gathering
// of the received chunks on the user-interface thread, and their hand-over to the parse thread.
#include "lumora/LumoraStrings.h"
#include "lumora/core/MainFrame.h"

#include "common/xmlfile/TextConversion.h"

namespace {

constexpr std::size_t kGatherBytes = 10240;
const unsigned char kStartRequest[4] = {0xA5, 0x5A, 0x00, 0x00};
const unsigned char kStartCommand[4] = {0x2E, 0xB1, 0x00, 0x00};

} // namespace

int CMainFrame::StartDataStream(unsigned wanted) {
    m_tcpClient.Close();
    m_parseThread.Finish();
    if (m_paraDcs.AddressIP.isEmpty()) {
        RunStopBox(IDS_SUPPLY_NO_ADDRESS);
        return 0;
    }
    std::string address;
    if (UnicodeToAnsi(m_paraDcs.AddressIP.trimmed(), address) != xmlfile::S_OK)
        return 0;
    // Everything the user-interface thread uses for the stream is set before the receive thread exists.
    m_gatherBuffer.clear();
    m_gatherBuffer.reserve(kGatherBytes);
    m_startReplyLength = 0;
    m_streamRefusal.store(0, std::memory_order_relaxed);
    m_parseThread.Start(m_logSamples, wanted);
    if (m_tcpClient.Connect(address, this) == 0) {
        m_parseThread.Finish();
        RunStopBox(IDS_SUPPLY_CONNECT_FAILED);
        return 0;
    }
    if (m_tcpClient.Send(kStartRequest, sizeof(kStartRequest)) < sizeof(kStartRequest)) {
        EndDataStream();
        RunStopBox(IDS_SUPPLY_SEND_FAILED);
        return 0;
    }
    return 1;
}

void CMainFrame::EndDataStream() {
    m_tcpClient.Close();
    // Every chunk the receive thread took has been gathered; the rest of the gather buffer goes too.
    RunOnUiThread([this] { HandOverGathered(); });
    // A frame our own close cut off is no damaged frame; one the peer's end of the link cut off is.
    m_parseThread.Finish(m_tcpClient.LinkLost() ? CDataStreamParser::eStreamEnd::Lost
                                                : CDataStreamParser::eStreamEnd::Closed);
}

void CMainFrame::HandOverGathered() {
    if (m_gatherBuffer.empty())
        return;
    m_parseThread.Push(std::move(m_gatherBuffer));
    m_gatherBuffer = std::vector<unsigned char>();
    m_gatherBuffer.reserve(kGatherBytes);
}

platform::LRESULT CMainFrame::OnTcpData(const unsigned char* data, std::size_t n) {
    // The first four bytes of the link are the start reply, however the chunks fall.
    if (m_startReplyLength < sizeof(m_startReply)) {
        const std::size_t taken = std::min(n, sizeof(m_startReply) - m_startReplyLength);
        std::copy(data, data + taken, m_startReply + m_startReplyLength);
        m_startReplyLength += taken;
        data += taken;
        n -= taken;
        if (m_startReplyLength < sizeof(m_startReply))
            return 0;
        const bool accepted =
            std::all_of(m_startReply, m_startReply + 4, [](unsigned char b) { return b == 0; });
        if (!accepted || m_tcpClient.Send(kStartCommand, sizeof(kStartCommand)) < sizeof(kStartCommand)) {
            // The run says it once it has ended: a box here would hold the receive thread, and the
            // run's end that waits for it.
            m_streamRefusal.store(accepted ? IDS_SUPPLY_SEND_FAILED : IDS_SUPPLY_PORT_IN_USE,
                                  std::memory_order_release);
            SetDataLoggingTimer(false);
            return 0;
        }
    }
    if (m_streamRefusal.load(std::memory_order_relaxed) != 0 || n == 0)
        return 0;
    m_gatherBuffer.insert(m_gatherBuffer.end(), data, data + n);
    if (m_gatherBuffer.size() >= kGatherBytes)
        HandOverGathered();
    return 0;
}
