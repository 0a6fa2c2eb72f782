#include "instruments/drvcore/EntityInstrument.h"
#include "instruments/drvcore/Vxi11Protocol.h"
#include "instruments/drvcore/Vxi11Session.h"
#include "instruments/simulator/InstrumentHost.h"
#include "instruments/simulator/PortmapperServer.h"
#include "instruments/simulator/SocketServer.h"
#include "instruments/simulator/Vxi11Server.h"

#include <benchmark/benchmark.h>

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

namespace {

constexpr size_t kSamples = 6000000;
constexpr size_t kBlockBytes = kSamples * 16;
constexpr const char* kAddress = "127.78.0.1";
// Every reader, ours, pyvisa-py's and the raw one, moves the block this often on an open connection.
// The machine is shared: besides the mean, each reports its fastest read, and the fractions compare
// fastest reads, which other loads disturb least.
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

// Answers DATA? with the block.
class CBlockModel : public benchsim::IInstrumentModel {
public:
    bool Execute(const std::string& command, std::string& reply) override {
        if (command != "DATA?")
            return false;
        reply = Block();
        return true;
    }
};

// The raw loopback limit: a minimal sender that answers each request byte with the block, and a
// receiver that takes it into one buffer. Its fastest read, for the readers' fraction.
double g_rawBestSeconds = 0.0;

// Times each read of a benchmark's loop; the fastest one is kept.
class CReadTimer {
public:
    void Start() { m_start = std::chrono::steady_clock::now(); }
    void Stop() {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        if (m_best == 0.0 || seconds < m_best)
            m_best = seconds;
    }
    double Best() const { return m_best; }

private:
    std::chrono::steady_clock::time_point m_start;
    double m_best = 0.0;
};

// The fastest read's rate, and its share of the raw limit's fastest read measured before in the same run.
void ReportBest(benchmark::State& state, double bestSeconds) {
    if (bestSeconds <= 0.0)
        return;
    state.counters["best_MB/s"] = static_cast<double>(Block().size()) / 1e6 / bestSeconds;
    if (g_rawBestSeconds > 0.0)
        state.counters["of_raw"] = g_rawBestSeconds / bestSeconds;
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
        timer.Start();
        if (!raw.Read(buffer)) {
            state.SkipWithError("raw read failed");
            return;
        }
        timer.Stop();
        bytes += buffer.size();
    }
    g_rawBestSeconds = timer.Best();
    ReportBest(state, timer.Best());
    if (std::memcmp(buffer.data(), Block().data(), buffer.size()) != 0)
        state.SkipWithError("raw block differs");
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["MB"] = benchmark::Counter(static_cast<double>(bytes) / 1e6, benchmark::Counter::kIsRate);
}

void BM_ReadBlock(benchmark::State& state, bool overVxi11) {
    CReader reader;
    CParameterInstru record;
    record.Resource = QString::fromStdString(Bench().Resource(overVxi11));
    reader.SetParameterInstru(record);
    // The session is open and has read once before the timed reads, as for pyvisa-py.
    if (!reader.WriteAndReadHelper("DATA?")) {
        state.SkipWithError("cannot read the block");
        return;
    }
    size_t bytes = 0;
    CReadTimer timer;
    for (auto _ : state) {
        timer.Start();
        if (!reader.WriteAndReadHelper("DATA?") || reader.GetDataSize() < kBlockBytes) {
            state.SkipWithError("block read failed");
            return;
        }
        timer.Stop();
        bytes += reader.GetDataSize();
    }
    if (reader.GetDataSize() != Block().size() ||
        std::memcmp(reader.GetDataBuffer(), Block().data(), Block().size()) != 0)
        state.SkipWithError("the block read differs from the block sent");
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["MB"] = benchmark::Counter(static_cast<double>(bytes) / 1e6, benchmark::Counter::kIsRate);
    ReportBest(state, timer.Best());
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
        std::string output;
        if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
            char chunk[4096];
            for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
                output.append(chunk, got);
            ::pclose(pipe);
        }
        unsigned long long bytes = 0;
        double seconds = 0, best = 0;
        if (std::sscanf(output.c_str(), "BYTES %llu SECONDS %lf BEST %lf", &bytes, &seconds, &best) != 3 ||
            bytes != kReads * kBlockBytes) {
            state.SkipWithError(("pyvisa-py failed: " + output.substr(0, 300)).c_str());
            return;
        }
        state.SetIterationTime(seconds);
        megabytes += static_cast<double>(bytes) / 1e6;
        ReportBest(state, best);
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

} // namespace

BENCHMARK_MAIN();
