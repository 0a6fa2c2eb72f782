#include "instruments/drvcore/EntityInstrument.h"
#include "instruments/drvcore/Vxi11Protocol.h"
#include "instruments/drvcore/Vxi11Session.h"
#include "instruments/simulator/InstrumentHost.h"
#include "instruments/simulator/PortmapperServer.h"
#include "instruments/simulator/SocketServer.h"
#include "instruments/simulator/Vxi11Server.h"

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

constexpr size_t kSamples = 6000000;
constexpr size_t kBlockBytes = kSamples * 16;
constexpr const char* kAddress = "127.78.0.1";
// Every reader, ours, pyvisa-py's and the raw one, moves the block this often on an open connection,
// and every block read is checked against the block sent. Each reports its median read and, as the
// machine is shared, its fastest read too; the fractions compare both with the raw reader's.
constexpr int kReads = 8;

// The block of 6,000,000 samples (value and time doubles) with its definite-length header.
const std::string& Block() {
    static const std::string block = [] {
        const std::string length = std::to_string(kBlockBytes);
        std::string text = "#" + std::to_string(length.size()) + length;
        const size_t header = text.size();
        text.resize(header + kBlockBytes);
        for (size_t i = 0; i < kSamples; ++i) {
            const double value = 1e-6 * static_cast<double>(i % 1000);
            const double time = 1e-5 * static_cast<double>(i);
            std::memcpy(text.data() + header + 16 * i, &value, sizeof value);
            std::memcpy(text.data() + header + 16 * i + 8, &time, sizeof time);
        }
        return text;
    }();
    return block;
}

constexpr const char* kIdentity = "TORVANE,BENCH-BLOCK,0,1.0";
// *IDN? round trips timed on an open session, on each side.
constexpr int kQueries = 500;

// Answers DATA? with the block and *IDN? with its identity.
class CBlockModel : public benchsim::IInstrumentModel {
public:
    bool Execute(const std::string& command, std::string& reply) override {
        if (command == "*IDN?") {
            reply = kIdentity;
            return true;
        }
        if (command != "DATA?")
            return false;
        reply = Block();
        return true;
    }
};

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
    CBlockModel model;
    benchsim::CInstrumentHost host{model};
    benchsim::CVxi11Server vxi11{host};
    benchsim::CSocketServer socket{host};
    benchsim::CPortmapperServer portmapper;
    bool portmapperOn111 = false;

    SBench() {
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

// What a command run through the shell prints.
std::string RunScript(const std::string& command) {
    std::string output;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char chunk[4096];
        for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
            output.append(chunk, got);
        ::pclose(pipe);
    }
    return output;
}

class CReader : public CEntityInstrument {
public:
    using CEntityInstrument::WriteAndReadHelper;
};

void BM_RawLoopback(benchmark::State& state) {
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

void BM_ReadBlock(benchmark::State& state, bool overVxi11) {
    CReader& reader = Reader(overVxi11);
    // The session is open and has read once before the timed reads, as for pyvisa-py.
    if (!reader.WriteAndReadHelper("DATA?")) {
        state.SkipWithError("cannot read the block");
        return;
    }
    size_t bytes = 0;
    CReadTimer timer;
    for (auto _ : state) {
        timer.Start();
        const bool read = reader.WriteAndReadHelper("DATA?");
        timer.Stop();
        if (!read || reader.GetDataSize() != Block().size() ||
            std::memcmp(reader.GetDataBuffer(), Block().data(), Block().size()) != 0) {
            state.SkipWithError("the block read differs from the block sent");
            return;
        }
        bytes += reader.GetDataSize();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    Report(state, timer.Median(), timer.Best());
}

// *IDN? round trips on an open session: the median latency of ours, and pyvisa-py's over the same
// transport in the same run, every reply checked.
void BM_IdentityRoundTrip(benchmark::State& state, bool overVxi11) {
    if (overVxi11 && !Bench().portmapperOn111) {
        state.SkipWithError("port 111 is taken: pyvisa-py cannot find the VXI-11 server");
        return;
    }
    CReader& reader = Reader(overVxi11);
    const std::string identity = kIdentity;
    auto answered = [&] {
        const std::string reply(reader.GetDataBuffer(), reader.GetDataSize());
        return reply == identity || reply == identity + "\n";
    };
    if (!reader.WriteAndReadHelper("*IDN?") || !answered()) {
        state.SkipWithError("no identity");
        return;
    }
    CReadTimer ours;
    double theirs = 0.0;
    for (auto _ : state) {
        for (int i = 0; i < kQueries; ++i) {
            ours.Start();
            const bool read = reader.WriteAndReadHelper("*IDN?");
            ours.Stop();
            if (!read || !answered()) {
                state.SkipWithError("a reply differs from the identity");
                return;
            }
        }
        const std::string command = "timeout 600 /usr/bin/python3 " LUMORA_PYVISA_BENCH_SCRIPT " '" +
                                    Bench().Resource(overVxi11) + "' idn " + std::to_string(kQueries) + " '" +
                                    identity + "' 2>&1";
        const std::string output = RunScript(command);
        if (std::sscanf(output.c_str(), "MEDIAN %lf", &theirs) != 1) {
            state.SkipWithError(("pyvisa-py failed: " + output.substr(0, 300)).c_str());
            return;
        }
    }
    state.counters["ours_us"] = ours.Median() * 1e6;
    state.counters["pyvisa_us"] = theirs * 1e6;
    state.counters["ratio"] = theirs / ours.Median();
}

// pyvisa-py reads the same block as many times on an open session, with its read termination off
// as read_binary_values users have it (the block's length ends the read, as for our client); the
// script checks every sample and times only the reads.
void BM_PyvisaReadBlock(benchmark::State& state, bool overVxi11) {
    if (overVxi11 && !Bench().portmapperOn111) {
        state.SkipWithError("port 111 is taken: pyvisa-py cannot find the VXI-11 server");
        return;
    }
    const std::string command = "timeout 600 /usr/bin/python3 " LUMORA_PYVISA_BENCH_SCRIPT " '" +
                                Bench().Resource(overVxi11) + "' " + std::to_string(kReads) + " 2>&1";
    double megabytes = 0;
    for (auto _ : state) {
        const std::string output = RunScript(command);
        unsigned long long bytes = 0;
        double seconds = 0, best = 0, median = 0;
        if (std::sscanf(output.c_str(), "BYTES %llu SECONDS %lf BEST %lf MEDIAN %lf", &bytes, &seconds, &best,
                        &median) != 4 ||
            bytes != kReads * kBlockBytes) {
            state.SkipWithError(("pyvisa-py failed: " + output.substr(0, 300)).c_str());
            return;
        }
        state.SetIterationTime(seconds);
        megabytes += static_cast<double>(bytes) / 1e6;
        Report(state, median, best);
    }
    state.counters["MB"] = benchmark::Counter(megabytes, benchmark::Counter::kIsRate);
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
BENCHMARK_CAPTURE(BM_PyvisaReadBlock, Socket, false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_PyvisaReadBlock, Vxi11, true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_IdentityRoundTrip, Socket, false)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_IdentityRoundTrip, Vxi11, true)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
