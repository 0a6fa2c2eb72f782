#include "lumora/core/DataStreamParser.h"
#include "lumora/core/DataStreamParseThread.h"
#include "lumora/core/NetWorkTcpClient.h"
#include "platform/MessageTarget.h"
#include "platform/PumpingWait.h"
#include "tests/support/WaitFor.h"

#include <QCoreApplication>
#include <arpa/inet.h>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <limits>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void PutWord(Bytes& out, std::uint32_t word) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(word >> (8 * i)));
}

// One frame as the supply sends it.
Bytes Frame(float reading, std::uint32_t seconds, std::uint32_t fraction) {
    Bytes out = {'V', 'A', 0, 0};
    PutWord(out, 0xDEADBEEF);
    std::uint32_t bits;
    std::memcpy(&bits, &reading, sizeof(bits));
    PutWord(out, bits);
    PutWord(out, seconds);
    PutWord(out, fraction);
    return out;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

struct SSample {
    double time;
    double value;
};

// Five frames from an origin of 1000 s + 0.5 s, readings of a few microamps to milliamps.
Bytes FiveFrames() {
    return Join({Frame(1.5e-6f, 1000, 5000), Frame(2.5e-3f, 1000, 5001), Frame(-3.0f, 1000, 9999),
                 Frame(4.0e-6f, 1001, 0), Frame(5.0f, 1002, 4999)});
}
const SSample kFiveSamples[] = {
    {0.0, 1.5e-6f}, {0.0001, 2.5e-3f}, {0.4999, -3.0f}, {0.5, 4.0e-6f}, {1.9999, 5.0f},
};

struct SParsed {
    std::vector<double> times, values;
    std::size_t received = 0;
    std::uint64_t invalid = 0;
};

using eEnd = CDataStreamParser::eStreamEnd;

// Feeds the stream in chunks that end at the given offsets, then ends it as given.
SParsed ParseInChunks(const Bytes& stream, const std::vector<std::size_t>& cuts, std::size_t capacity = 64,
                      eEnd end = eEnd::Closed) {
    SParsed out;
    out.times.assign(capacity, -1.0);
    out.values.assign(capacity, -1.0);
    CDataStreamParser parser;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        parser.Parse(stream.data() + from, cut - from, out.times.data(), out.values.data(), capacity,
                     out.received);
        from = cut;
    }
    parser.Parse(stream.data() + from, stream.size() - from, out.times.data(), out.values.data(), capacity,
                 out.received);
    parser.Finish(end);
    out.invalid = parser.InvalidFrames();
    return out;
}

void ExpectFive(const SParsed& parsed, const std::string& where) {
    ASSERT_EQ(parsed.received, 5u) << where;
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(parsed.times[i], kFiveSamples[i].time, 1e-9) << where << " sample " << i;
        EXPECT_EQ(parsed.values[i], kFiveSamples[i].value) << where << " sample " << i;
    }
}

TEST(DataStreamParser, ChunkBoundaryAtEveryOffsetKeepsEverySample) {
    const Bytes stream = FiveFrames();
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        const SParsed parsed = ParseInChunks(stream, {cut});
        ExpectFive(parsed, "one cut at " + std::to_string(cut));
        EXPECT_EQ(parsed.invalid, 0u) << cut;
    }
    for (std::size_t first = 1; first < 20; ++first) {
        for (std::size_t second = first; second < first + 41 && second <= stream.size(); ++second) {
            const SParsed parsed = ParseInChunks(stream, {first, second});
            ExpectFive(parsed, "cuts at " + std::to_string(first) + "," + std::to_string(second));
            EXPECT_EQ(parsed.invalid, 0u);
        }
    }
}

TEST(DataStreamParser, ChunksOfEverySizeKeepEverySample) {
    const Bytes stream = FiveFrames();
    for (std::size_t size = 1; size <= stream.size(); ++size) {
        std::vector<std::size_t> cuts;
        for (std::size_t at = size; at < stream.size(); at += size)
            cuts.push_back(at);
        const SParsed parsed = ParseInChunks(stream, cuts);
        ExpectFive(parsed, "chunks of " + std::to_string(size));
        EXPECT_EQ(parsed.invalid, 0u) << size;
    }
}

struct SGarbageCase {
    const char* name;
    Bytes stream;
    std::size_t samples;
    unsigned invalid;
    // The stream ends in the start of a frame: one invalid frame more when the link was lost there.
    bool endsInAFrame = false;
};

TEST(DataStreamParser, GarbageIsSkippedToTheNextMarkerAndCounted) {
    const Bytes f1 = Frame(1.0f, 10, 0), f2 = Frame(2.0f, 10, 100), f3 = Frame(3.0f, 10, 200);
    const SGarbageCase cases[] = {
        {"before the first frame", Join({{'x', 'y', 'z'}, f1, f2}), 2, 1},
        {"between frames", Join({f1, {1, 2, 3, 4, 5}, f2, f3}), 3, 1},
        {"a V without A", Join({f1, {'V', 'B', 'V'}, f2}), 2, 1},
        {"two runs", Join({f1, {0}, f2, {'A', 'V'}, f3}), 3, 2},
        {"ends in garbage and a V", Join({f1, f2, {9, 'V'}}), 2, 1, true},
        {"a whole frame of noise", Join({f1, Bytes(20, 0x55), f2}), 2, 1},
        {"only garbage", Bytes(100, 0x00), 0, 1},
    };
    // Garbage is garbage however the stream ended.
    for (const auto& c : cases) {
        for (const eEnd end : {eEnd::Closed, eEnd::Lost}) {
            const unsigned invalid = c.invalid + (c.endsInAFrame && end == eEnd::Lost ? 1 : 0);
            for (std::size_t cut = 0; cut <= c.stream.size(); ++cut) {
                const SParsed parsed = ParseInChunks(c.stream, {cut}, 64, end);
                EXPECT_EQ(parsed.received, c.samples) << c.name << ", cut at " << cut;
                EXPECT_EQ(parsed.invalid, invalid) << c.name << ", cut at " << cut;
                for (std::size_t i = 0; i < parsed.received; ++i)
                    EXPECT_EQ(parsed.values[i], double(i + 1)) << c.name << ", cut at " << cut;
            }
        }
    }
}

// A stream that ends in the middle of its last frame: a link lost there left a damaged frame, while a
// reader that closed the link there (a run stopped or done) only did not read the frame to its end.
// Garbage before the frame counts either way.
TEST(DataStreamParser, AFrameTheEndCutsOffIsInvalidOnlyWhenTheLinkWasLost) {
    const struct {
        const char* name;
        Bytes before;
        eEnd end;
        unsigned invalid;
    } rows[] = {
        {"link lost", {}, eEnd::Lost, 1},
        {"closed by the reader", {}, eEnd::Closed, 0},
        {"garbage, then the link lost", {1, 2, 3}, eEnd::Lost, 2},
        {"garbage, then closed by the reader", {1, 2, 3}, eEnd::Closed, 1},
    };
    const Bytes whole = FiveFrames();
    const auto last = whole.end() - 20;
    for (const auto& row : rows) {
        // Every part of the last frame, from its 'V' to all but its last byte.
        for (long came = 1; came < 20; ++came) {
            Bytes stream = Join({Bytes(whole.begin(), last), row.before});
            stream.insert(stream.end(), last, last + came);
            for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
                const SParsed parsed = ParseInChunks(stream, {cut}, 64, row.end);
                EXPECT_EQ(parsed.received, 4u) << row.name << ", " << came << " bytes, cut at " << cut;
                EXPECT_EQ(parsed.invalid, row.invalid)
                    << row.name << ", " << came << " bytes, cut at " << cut;
            }
        }
    }
}

// A flood of damaged frames over a long run passes 2^32 (4,623,990,400 once wrapped to 329,023,104):
// the parser, the parse thread and the frame count in 64 bits. A megabyte of frames out of time
// range is counted frame by frame.
TEST(DataStreamParser, InvalidFramesAreCountedIn64Bits) {
    CDataStreamParser parser;
    CDataStreamParseThread thread;
    EXPECT_EQ(std::numeric_limits<decltype(parser.InvalidFrames())>::digits, 64);
    EXPECT_EQ(std::numeric_limits<decltype(thread.InvalidFrames())>::digits, 64);
    Bytes flood = Frame(1.0f, 1000, 0);
    const Bytes late = Frame(1.0f, 1000 + 200000, 0); // beyond 48 hours of the first frame
    const std::size_t frames = 50000;
    for (std::size_t i = 0; i < frames; ++i)
        flood.insert(flood.end(), late.begin(), late.end());
    std::vector<double> times(4), values(4);
    std::size_t received = 0;
    parser.Parse(flood.data(), flood.size(), times.data(), values.data(), times.size(), received);
    parser.Finish(eEnd::Lost);
    EXPECT_EQ(received, 1u);
    EXPECT_EQ(parser.InvalidFrames(), frames);
}

struct STimeCase {
    const char* name;
    std::uint32_t seconds, fraction;
    bool valid;
    double time;
};

TEST(DataStreamParser, TimesCountFromTheFirstFrame) {
    const STimeCase cases[] = {
        {"same instant", 5000, 2500, true, 0.0},
        {"fraction below the origin's", 5001, 0, true, 0.75},
        {"48 hours", 5000 + 172800, 2500, true, 172800.0},
        {"just past 48 hours", 5000 + 172800, 2501, false, 0.0},
        {"172,801 s", 5000 + 172801, 2500, false, 0.0},
        {"seconds before the origin", 4999, 9999, false, 0.0},
        {"same second, fraction before", 5000, 2499, false, 0.0},
        {"far future", 0xFFFFFFFFu, 0, false, 0.0},
    };
    for (const auto& c : cases) {
        const Bytes stream = Join({Frame(1.0f, 5000, 2500), Frame(7.0f, c.seconds, c.fraction)});
        const SParsed parsed = ParseInChunks(stream, {});
        EXPECT_EQ(parsed.received, c.valid ? 2u : 1u) << c.name;
        EXPECT_EQ(parsed.invalid, c.valid ? 0u : 1u) << c.name;
        if (c.valid && parsed.received == 2) {
            EXPECT_NEAR(parsed.times[1], c.time, 1e-9) << c.name;
            EXPECT_EQ(parsed.values[1], 7.0) << c.name;
        }
    }
}

TEST(DataStreamParser, SamplesStopAtTheCapacity) {
    const SParsed parsed = ParseInChunks(FiveFrames(), {30}, 3);
    EXPECT_EQ(parsed.received, 3u);
    EXPECT_EQ(parsed.invalid, 0u);
}

TEST(DataStreamParseThread, BlocksAreParsedInOrderAcrossTheirBoundaries) {
    const Bytes stream = FiveFrames();
    CSampleStore store(8);
    CDataStreamParseThread thread;
    thread.Start(store);
    for (std::size_t at = 0; at < stream.size(); at += 7)
        thread.Push(Bytes(stream.begin() + static_cast<long>(at),
                          stream.begin() + static_cast<long>(std::min(at + 7, stream.size()))));
    thread.Finish();
    ASSERT_EQ(thread.Received(), 5u);
    EXPECT_NEAR(thread.LastTime(), 1.9999, 1e-9);
    EXPECT_EQ(store.ValueAt(4), 5.0);
    EXPECT_EQ(thread.InvalidFrames(), 0u);
    EXPECT_EQ(thread.StoreResult(), CSampleStore::eAppend::Kept);
}

// Samples beyond the run's wanted count are read and dropped; beyond the store's limit they are
// dropped too, and the run is told it could not keep them.
TEST(DataStreamParseThread, SamplesBeyondTheWantedCountOrTheLimit) {
    const Bytes stream = FiveFrames();
    const struct {
        const char* name;
        std::size_t limit, wanted, kept;
        CSampleStore::eAppend result;
    } rows[] = {
        {"wanted count reached", 8, 3, 3, CSampleStore::eAppend::Kept},
        {"limit reached", 4, SIZE_MAX, 4, CSampleStore::eAppend::Full},
    };
    for (const auto& row : rows) {
        CSampleStore store(row.limit);
        CDataStreamParseThread thread;
        thread.Start(store, row.wanted);
        thread.Push(stream);
        thread.Finish();
        EXPECT_EQ(thread.Received(), row.kept) << row.name;
        EXPECT_EQ(thread.StoreResult(), row.result) << row.name;
        EXPECT_EQ(store.ValueAt(row.kept - 1), double(kFiveSamples[row.kept - 1].value)) << row.name;
    }
}

// Sent messages need the owner's thread to run an event loop.
void EnsureApplication() {
    static int argc = 1;
    static char name[] = "core_tests";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr)
        new QCoreApplication(argc, argv);
}

// The owner a frame would be: hands every chunk to the parse thread.
class COwner : public platform::CMessageTarget {
public:
    CDataStreamParseThread parse;
    int closedMessages = 0;
    platform::LRESULT OnMessage(platform::UINT message, platform::WPARAM wParam,
                                platform::LPARAM lParam) override {
        if (message == CNetWorkTcpClient::WM_TCP_DATA) {
            const auto* data = reinterpret_cast<const unsigned char*>(wParam);
            parse.Push(Bytes(data, data + lParam));
        } else if (message == CNetWorkTcpClient::WM_TCP_CLOSED) {
            ++closedMessages;
        }
        return 0;
    }
};

// A peer on a free loopback port that sends the bytes in the given pieces and then closes.
class CPeer {
public:
    explicit CPeer(int backlog = 1) {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        EXPECT_EQ(::listen(m_listener, backlog), 0);
        socklen_t length = sizeof(address);
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~CPeer() {
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_listener);
    }
    std::uint16_t Port() const { return m_port; }
    void SendAndClose(std::vector<Bytes> pieces) {
        m_thread = std::thread([this, pieces = std::move(pieces)] {
            const int socket = ::accept(m_listener, nullptr, nullptr);
            for (const Bytes& piece : pieces) {
                ::send(socket, piece.data(), piece.size(), MSG_NOSIGNAL);
                // Paces the pieces; what the client keeps does not depend on how they arrive.
                ::usleep(2000);
            }
            ::close(socket);
        });
    }

private:
    int m_listener = -1;
    std::uint16_t m_port = 0;
    std::thread m_thread;
};

TEST(NetWorkTcpClient, LinkDroppedMidFrameKeepsWhatArrived) {
    EnsureApplication();
    const Bytes stream = FiveFrames();
    CPeer peer;
    peer.SendAndClose(
        {Bytes(stream.begin(), stream.begin() + 27), Bytes(stream.begin() + 27, stream.begin() + 70)});
    CNetWorkTcpClient::SetDataStreamPort(peer.Port());
    COwner owner;
    CSampleStore store(8);
    owner.parse.Start(store);
    CNetWorkTcpClient client;
    ASSERT_EQ(client.Connect("127.0.0.1", &owner), 1);
    constexpr auto kLongMs = static_cast<std::uint32_t>(testsupport::kLongWait.count());
    ASSERT_TRUE(platform::PumpUntil([&] { return !client.ReceiveThreadRunning(); }, kLongMs));
    EXPECT_TRUE(client.LinkLost());
    EXPECT_FALSE(client.IsConnected());
    client.Close();
    owner.parse.Finish(eEnd::Lost);
    EXPECT_EQ(owner.parse.Received(), 3u);
    EXPECT_EQ(owner.parse.InvalidFrames(), 1u);
    EXPECT_EQ(store.ValueAt(2), -3.0);
    platform::PumpUntil([&] { return owner.closedMessages > 0; }, kLongMs);
    EXPECT_EQ(owner.closedMessages, 1);
    CNetWorkTcpClient::SetDataStreamPort(CNetWorkTcpClient::kDataStreamPort);
}

TEST(NetWorkTcpClient, CloseWhileThePeerIsSilentEndsWithoutALoss) {
    EnsureApplication();
    CPeer peer;
    CNetWorkTcpClient::SetDataStreamPort(peer.Port());
    COwner owner;
    CNetWorkTcpClient client;
    // The connection waits in the peer's backlog: the peer neither sends nor closes.
    ASSERT_EQ(client.Connect("127.0.0.1", &owner), 1);
    client.Close();
    EXPECT_FALSE(client.LinkLost());
    EXPECT_FALSE(client.ReceiveThreadRunning());
    EXPECT_EQ(client.Connect("127.0.0.2", &owner), 0) << "nothing listens there";
    CNetWorkTcpClient::SetDataStreamPort(CNetWorkTcpClient::kDataStreamPort);
}

// A supply whose address answers no connection request (a peer that is switched off, a full queue)
// must not hold the run for the system's minutes of retries: the connect gives up, so that the run
// ends with its message and a stop or closing the program is not left waiting.
TEST(NetWorkTcpClient, AConnectThatIsNeverAnsweredIsGivenUp) {
    EnsureApplication();
    // A peer that accepts nothing, with its queue filled: further requests go unanswered.
    CPeer peer(0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(peer.Port());
    std::vector<int> queued;
    for (int i = 0; i < 4; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        queued.push_back(fd);
    }
    CNetWorkTcpClient::SetDataStreamPort(peer.Port());
    COwner owner;
    CNetWorkTcpClient client;
    auto connect = std::async(std::launch::async, [&] { return client.Connect("127.0.0.1", &owner); });
    // Far below the system's retries (over two minutes), far above any time-out a LAN needs.
    ASSERT_EQ(connect.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_EQ(connect.get(), 0);
    EXPECT_FALSE(client.IsConnected());
    for (int fd : queued)
        ::close(fd);
    CNetWorkTcpClient::SetDataStreamPort(CNetWorkTcpClient::kDataStreamPort);
}

} // namespace
