#include "instruments/drvcore/EntityInstrument.h"
#include "instruments/drvcore/Vxi11Protocol.h"
#include "instruments/drvcore/Vxi11Session.h"
#include "instruments/simulator/InstrumentHost.h"
#include "instruments/simulator/PortmapperServer.h"
#include "instruments/simulator/SocketServer.h"
#include "instruments/simulator/Vxi11Server.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr size_t kSamples = 6000000;
constexpr size_t kBlockBytes = kSamples * 16;
constexpr const char* kAddress = "127.78.0.1";

// Answers DATA? with a definite block of 6,000,000 samples (value and time doubles), made once.
class CBlockModel : public benchsim::IInstrumentModel {
public:
    CBlockModel() {
        const std::string length = std::to_string(kBlockBytes);
        m_block = "#" + std::to_string(length.size()) + length;
        m_block.resize(m_block.size() + kBlockBytes);
        double* samples = reinterpret_cast<double*>(m_block.data() + m_block.size() - kBlockBytes);
        for (size_t i = 0; i < kSamples; ++i) {
            const double value = 1e-6 * static_cast<double>(i % 1000);
            const double time = 1e-5 * static_cast<double>(i);
            std::memcpy(samples + 2 * i, &value, sizeof value);
            std::memcpy(samples + 2 * i + 1, &time, sizeof time);
        }
    }
    bool Execute(const std::string& command, std::string& reply) override {
        if (command != "DATA?")
            return false;
        reply = m_block;
        return true;
    }

private:
    std::string m_block;
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

void BM_ReadBlock(benchmark::State& state, bool overVxi11) {
    CReader reader;
    CParameterInstru record;
    record.Resource = QString::fromStdString(Bench().Resource(overVxi11));
    reader.SetParameterInstru(record);
    if (!reader.WriteAndReadHelper("DATA?")) {
        state.SkipWithError("cannot read the block");
        return;
    }
    size_t bytes = 0;
    for (auto _ : state) {
        if (!reader.WriteAndReadHelper("DATA?") || reader.GetDataSize() < kBlockBytes) {
            state.SkipWithError("block read failed");
            return;
        }
        bytes += reader.GetDataSize();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["MB"] = benchmark::Counter(static_cast<double>(bytes) / 1e6, benchmark::Counter::kIsRate);
}

void BM_PyvisaReadBlock(benchmark::State& state, bool overVxi11, int chunkSize) {
    if (overVxi11 && !Bench().portmapperOn111) {
        state.SkipWithError("port 111 is taken: pyvisa-py cannot find the VXI-11 server");
        return;
    }
    // pyvisa-py over VXI-11 needs many seconds a block: one read is enough there.
    const unsigned repeats = overVxi11 ? 1 : 2;
    const std::string command = "timeout 300 /usr/bin/python3 " LUMORA_PYVISA_BENCH_SCRIPT " '" +
                                Bench().Resource(overVxi11) + "' " + std::to_string(repeats) + " " +
                                std::to_string(chunkSize) + " 2>&1";
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
        double seconds = 0;
        if (std::sscanf(output.c_str(), "BYTES %llu SECONDS %lf", &bytes, &seconds) != 2 ||
            bytes != repeats * kBlockBytes) {
            state.SkipWithError(("pyvisa-py failed: " + output.substr(0, 300)).c_str());
            return;
        }
        // The time that pyvisa-py measured around its reads (not the interpreter's start-up).
        state.SetIterationTime(seconds);
        megabytes += static_cast<double>(bytes) / 1e6;
    }
    state.counters["MB"] = benchmark::Counter(megabytes, benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(BM_ReadBlock, Socket, false)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
BENCHMARK_CAPTURE(BM_ReadBlock, Vxi11, true)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();
// pyvisa-py with 1 MiB chunks, and with its default chunk size over the raw socket (over VXI-11 the
// default takes more than a minute a block).
BENCHMARK_CAPTURE(BM_PyvisaReadBlock, Socket_Chunk1MiB, false, 1 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_PyvisaReadBlock, Vxi11_Chunk1MiB, true, 1 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_PyvisaReadBlock, Socket_DefaultChunk, false, 0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();

} // namespace

BENCHMARK_MAIN();
