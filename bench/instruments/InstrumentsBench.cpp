#include "bench/support/Figures.h"
#include "bench/support/LinePeer.h"
#include "instruments/drvcore/EntityInstrument.h"
#include "instruments/drvcore/Vxi11Protocol.h"
#include "instruments/drvcore/Vxi11Session.h"
#include "instruments/simulator/InstrumentHost.h"
#include "instruments/simulator/PortmapperServer.h"
#include "instruments/simulator/SocketServer.h"
#include "instruments/simulator/Vxi11Server.h"
#include "instruments/simulator/models/SimDMM7510.h"

#include <QCryptographicHash>
#include <QProcess>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// The simulated multimeter's buffer of readings, read back as the program reads a capture: a
// binary block of the reading and its relative time per sample, through the instrument's own SCPI
// path (parser, trigger model, buffer, block output).
constexpr size_t kSamples = 1000000;
constexpr const char* kAddress = "127.78.0.1";
// Every reader, ours, pyvisa-py's and the raw one, moves the block this often on an open connection,
// and every block read is checked against the first one read (and pyvisa-py's against ours). Each
// reports its median read and, as the machine is shared, its fastest read too; the fractions compare
// both with the raw reader's.
constexpr int kReads = 100;
const QString kCapture = QStringLiteral(":TRAC:DATA? 1, %1, \"defbuffer1\", READ, REL").arg(kSamples);

// The block as our reader took it first (header and data, no terminator), which every later read and
// every other reader must match.
std::string& Block() {
    static std::string block;
    return block;
}

// The SHA-256 of a block's data, the header left out: what the readers of other processes report.
std::string DataHash(const char* block, size_t size) {
    size_t header = 0;
    if (size >= 2 && block[0] == '#')
        header = 2 + static_cast<size_t>(block[1] - '0');
    return QCryptographicHash::hash(QByteArrayView(block + header, static_cast<qsizetype>(size - header)),
                                    QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

// *IDN? round trips timed on an open session, on each side, in rounds that take turns.
constexpr int kQueries = 500;
constexpr int kQueryRounds = 10;

// The raw loopback limit: a minimal sender that answers each request byte with the block, and a
// receiver that takes it into one buffer. Its fastest read, for the readers' fraction.
double g_rawBestSeconds = 0.0;

// Times each read of a benchmark's loop; the median and the fastest are reported.
class CReadTimer {
public:
    void Start() { m_start = std::chrono::steady_clock::now(); }
    void Stop() {
        m_seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count());
    }
    double Best() const {
        return m_seconds.empty() ? 0.0 : *std::min_element(m_seconds.begin(), m_seconds.end());
    }
    double Median() const {
        std::vector<double> sorted = m_seconds;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0.0 : sorted[sorted.size() / 2];
    }

private:
    std::chrono::steady_clock::time_point m_start;
    std::vector<double> m_seconds;
};

// The median read's time and rate, the fastest read's rate, and the shares of the raw limit's
// median and fastest reads measured before in the same run.
double g_rawMedianSeconds = 0.0;
void Report(benchmark::State& state, double medianSeconds, double bestSeconds) {
    if (medianSeconds <= 0.0 || bestSeconds <= 0.0)
        return;
    const double megabytes = static_cast<double>(Block().size()) / 1e6;
    state.counters["median_ms"] = medianSeconds * 1e3;
    state.counters["median_MB/s"] = megabytes / medianSeconds;
    state.counters["best_MB/s"] = megabytes / bestSeconds;
    if (g_rawMedianSeconds > 0.0)
        state.counters["of_raw"] = g_rawMedianSeconds / medianSeconds;
    if (g_rawBestSeconds > 0.0)
        state.counters["best_of_raw"] = g_rawBestSeconds / bestSeconds;
}

class CRawLoopback {
public:
    CRawLoopback() {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        ::inet_pton(AF_INET, kAddress, &where.sin_addr);
        socklen_t length = sizeof where;
        if (::bind(m_listen, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 ||
            ::listen(m_listen, 1) != 0 ||
            ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&where), &length) != 0)
            return;
        m_sender = std::thread([this] {
            const int fd = ::accept(m_listen, nullptr, nullptr);
            char request = 0;
            while (fd >= 0 && ::recv(fd, &request, 1, MSG_WAITALL) == 1) {
                for (size_t sent = 0; sent < Block().size();) {
                    const ssize_t n = ::send(fd, Block().data() + sent, Block().size() - sent, MSG_NOSIGNAL);
                    if (n <= 0)
                        break;
                    sent += static_cast<size_t>(n);
                }
            }
            if (fd >= 0)
                ::close(fd);
        });
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr*>(&where), sizeof where) == 0;
    }
    ~CRawLoopback() {
        ::shutdown(m_fd, SHUT_RDWR);
        ::close(m_fd);
        if (m_sender.joinable())
            m_sender.join();
        ::close(m_listen);
    }
    bool Connected() const { return m_connected; }
    bool Read(std::vector<char>& buffer) {
        const char request = 'R';
        if (::send(m_fd, &request, 1, MSG_NOSIGNAL) != 1)
            return false;
        return ::recv(m_fd, buffer.data(), buffer.size(), MSG_WAITALL) == static_cast<ssize_t>(buffer.size());
    }

private:
    int m_listen = -1;
    int m_fd = -1;
    bool m_connected = false;
    std::thread m_sender;
};

// The simulated instrument for every benchmark of this file; VXI-11 takes port 111 when it can, so
// pyvisa-py finds it too.
struct SBench {
    benchsim::CSimDMM7510 model;
    benchsim::CInstrumentHost host{model};
    benchsim::CVxi11Server vxi11{host};
    benchsim::CSocketServer socket{host};
    benchsim::CPortmapperServer portmapper;
    bool portmapperOn111 = false;

    SBench() {
        // Simulated time runs fast, so that the capture fills the buffer at once.
        model.SetTimeScale(1e6);
        vxi11.Start(kAddress, 0);
        socket.Start(kAddress, 0);
        portmapperOn111 = portmapper.Start(kAddress, benchsim::CPortmapperServer::kDefaultPort);
        if (!portmapperOn111) {
            portmapper.Start(kAddress, 0);
            drvcore::CVxi11Session::SetPortmapperPort(portmapper.Port());
        }
        portmapper.Register(drvcore::kVxi11CoreProgram, drvcore::kVxi11CoreVersion, vxi11.Port());
    }
    std::string Resource(bool overVxi11) const {
        return overVxi11
                   ? std::string("TCPIP0::") + kAddress + "::INSTR"
                   : std::string("TCPIP0::") + kAddress + "::" + std::to_string(socket.Port()) + "::SOCKET";
    }
};

SBench& Bench() {
    static SBench bench;
    return bench;
}

class CReader : public CEntityInstrument {
public:
    using CEntityInstrument::WriteAndReadHelper;
    using CEntityInstrument::WriteCommandHelper;
};

CReader& Reader(bool overVxi11) {
    static CReader readers[2];
    static bool set[2] = {false, false};
    CReader& reader = readers[overVxi11 ? 1 : 0];
    if (!set[overVxi11 ? 1 : 0]) {
        CParameterInstru record;
        record.Resource = QString::fromStdString(Bench().Resource(overVxi11));
        reader.SetParameterInstru(record);
        set[overVxi11 ? 1 : 0] = true;
    }
    return reader;
}

// A capture of kSamples readings, made as the program makes one (the driver's commands), and the
// block read once: every reader's reads are checked against it. False when the meter did not take it.
bool Capture() {
    static const bool captured = [] {
        CReader& reader = Reader(false);
        const char* setup[] = {":SENS:FUNC \"CURR:DC\"", ":SENS:CURR:NPLC 0.0005", ":FORM:DATA REAL"};
        for (const char* command : setup)
            if (!reader.WriteCommandHelper(QString::fromLatin1(command)))
                return false;
        if (!reader.WriteCommandHelper(QStringLiteral(":TRAC:POIN %1, \"defbuffer1\"").arg(kSamples)) ||
            !reader.WriteCommandHelper(
                QStringLiteral(":TRIG:LOAD \"SimpleLoop\", %1, 0, \"defbuffer1\"").arg(kSamples)) ||
            !reader.WriteCommandHelper(QStringLiteral(":INIT")))
            return false;
        for (int wait = 0; wait < 6000; ++wait) {
            if (!reader.WriteAndReadHelper(QStringLiteral(":TRAC:ACT? \"defbuffer1\"")))
                return false;
            if (std::string(reader.GetDataBuffer(), reader.GetDataSize()).find(std::to_string(kSamples)) == 0)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!reader.WriteAndReadHelper(kCapture) || reader.GetDataSize() < 16 * kSamples)
            return false;
        Block().assign(reader.GetDataBuffer(), reader.GetDataSize());
        return true;
    }();
    return captured;
}

void BM_RawLoopback(benchmark::State& state) {
    if (!Capture()) {
        state.SkipWithError("the simulated meter took no capture");
        return;
    }
    CRawLoopback raw;
    std::vector<char> buffer(Block().size());
    if (!raw.Connected() || !raw.Read(buffer)) {
        state.SkipWithError("raw loopback failed");
        return;
    }
    size_t bytes = 0;
    CReadTimer timer;
    for (auto _ : state) {
        std::fill(buffer.begin(), buffer.end(), 0);
        timer.Start();
        if (!raw.Read(buffer)) {
            state.SkipWithError("raw read failed");
            return;
        }
        timer.Stop();
        if (std::memcmp(buffer.data(), Block().data(), buffer.size()) != 0) {
            state.SkipWithError("raw block differs");
            return;
        }
        bytes += buffer.size();
    }
    g_rawBestSeconds = timer.Best();
    g_rawMedianSeconds = timer.Median();
    Report(state, timer.Median(), timer.Best());
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void BM_ReadBlock(benchmark::State& state, bool overVxi11) {
    if (!Capture()) {
        state.SkipWithError("the simulated meter took no capture");
        return;
    }
    CReader& reader = Reader(overVxi11);
    // The session is open and has read once before the timed reads, as for pyvisa-py.
    if (!reader.WriteAndReadHelper(kCapture)) {
        state.SkipWithError("cannot read the block");
        return;
    }
    size_t bytes = 0;
    CReadTimer timer;
    for (auto _ : state) {
        timer.Start();
        const bool read = reader.WriteAndReadHelper(kCapture);
        timer.Stop();
        if (!read || reader.GetDataSize() != Block().size() ||
            std::memcmp(reader.GetDataBuffer(), Block().data(), Block().size()) != 0) {
            state.SkipWithError("the block read differs from the first one");
            return;
        }
        bytes += reader.GetDataSize();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    Report(state, timer.Median(), timer.Best());
}

// pyvisa-py on one open session, started once and asked one command at a time (see the script).
class CPyvisa {
public:
    explicit CPyvisa(bool overVxi11)
        : m_peer(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(LUMORA_PYVISA_BENCH_SCRIPT),
                  QString::fromStdString(Bench().Resource(overVxi11)), QStringLiteral("serve")}) {}
    std::string Ask(const std::string& line) {
        return m_peer.Ask(QString::fromStdString(line)).toStdString();
    }

private:
    benchsupport::CLinePeer m_peer;
};

// *IDN? round trips on an open session: ours and pyvisa-py's over the same transport, in rounds that
// take turns, every reply checked; the medians of all the round trips of each.
void BM_IdentityRoundTrip(benchmark::State& state, bool overVxi11) {
    if (overVxi11 && !Bench().portmapperOn111) {
        state.SkipWithError("port 111 is taken: pyvisa-py cannot find the VXI-11 server");
        return;
    }
    CReader& reader = Reader(overVxi11);
    const std::string identity = "KEITHLEY INSTRUMENTS,MODEL DMM7510,04512873,1.7.7b";
    auto answered = [&] {
        const std::string reply(reader.GetDataBuffer(), reader.GetDataSize());
        return reply == identity || reply == identity + "\n";
    };
    if (!reader.WriteAndReadHelper(QStringLiteral("*IDN?")) || !answered()) {
        state.SkipWithError("no identity");
        return;
    }
    CPyvisa pyvisa(overVxi11);
    CReadTimer ours;
    std::vector<double> theirs;
    for (auto _ : state) {
        for (int round = 0; round < kQueryRounds; ++round) {
            for (int i = 0; i < kQueries / kQueryRounds; ++i) {
                ours.Start();
                const bool read = reader.WriteAndReadHelper(QStringLiteral("*IDN?"));
                ours.Stop();
                if (!read || !answered()) {
                    state.SkipWithError("a reply differs from the identity");
                    return;
                }
            }
            const std::string output =
                pyvisa.Ask("idn " + std::to_string(kQueries / kQueryRounds) + " " + identity);
            double median = 0;
            if (std::sscanf(output.c_str(), "MEDIAN %lf", &median) != 1) {
                state.SkipWithError(("pyvisa-py failed: " + output.substr(0, 300)).c_str());
                return;
            }
            theirs.push_back(median);
        }
    }
    std::sort(theirs.begin(), theirs.end());
    const double theirMedian = theirs[theirs.size() / 2];
    state.counters["ours_us"] = ours.Median() * 1e6;
    state.counters["pyvisa_us"] = theirMedian * 1e6;
    state.counters["ratio"] = theirMedian / ours.Median();
    state.counters["load"] = benchsupport::LoadAverage();
}

// pyvisa-py reads the same block as many times on an open session, with its read termination off
// as read_binary_values users have it (the block's length ends the read, as for our client); each
// read's data is hashed and must be the block ours read. Second argument: into a buffer of its own,
// made once and used for every read (the chunks pyvisa-py reads copied into it), as our reader does.
void BM_PyvisaReadBlock(benchmark::State& state, bool overVxi11, bool reusedBuffer) {
    if (overVxi11 && !Bench().portmapperOn111) {
        state.SkipWithError("port 111 is taken: pyvisa-py cannot find the VXI-11 server");
        return;
    }
    if (!Capture()) {
        state.SkipWithError("the simulated meter took no capture");
        return;
    }
    CPyvisa pyvisa(overVxi11);
    const std::string hash = DataHash(Block().data(), Block().size());
    for (auto _ : state) {
        const std::string output = pyvisa.Ask(std::string(reusedBuffer ? "into " : "block ") +
                                              std::to_string(kReads) + " " + kCapture.toStdString());
        unsigned long long bytes = 0;
        double seconds = 0, best = 0, median = 0;
        char theirs[65] = {};
        if (std::sscanf(output.c_str(), "BYTES %llu SECONDS %lf BEST %lf MEDIAN %lf SHA256 %64s", &bytes,
                        &seconds, &best, &median, theirs) != 5) {
            state.SkipWithError(("pyvisa-py failed: " + output.substr(0, 300)).c_str());
            return;
        }
        if (theirs != hash) {
            state.SkipWithError("pyvisa-py read another block than ours");
            return;
        }
        state.SetIterationTime(seconds);
        Report(state, median, best);
    }
    state.counters["load"] = benchsupport::LoadAverage();
}

// The raw limit first: the fractions of the readers after it refer to it.
BENCHMARK(BM_RawLoopback)->Unit(benchmark::kMillisecond)->Iterations(kReads)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReadBlock, Socket, false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kReads)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ReadBlock, Vxi11, true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kReads)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_PyvisaReadBlock, Socket, false, false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_PyvisaReadBlock, SocketReusedBuffer, false, true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_PyvisaReadBlock, Vxi11, true, false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_PyvisaReadBlock, Vxi11ReusedBuffer, true, true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_IdentityRoundTrip, Socket, false)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_IdentityRoundTrip, Vxi11, true)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
