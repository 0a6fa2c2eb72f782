// Parsing the supply's reading stream: bytes per second through the parser, in the block sizes the
// frame hands over, beside a memcpy of the same stream in the same blocks as the yardstick. Every
// parse is checked: all frames taken, none invalid, each sample's time and value as sent.
#include "lumora/core/DataStreamParser.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <vector>

namespace {

std::vector<unsigned char> Stream(std::size_t frames) {
    std::vector<unsigned char> out(frames * CDataStreamParser::kFrameSize);
    for (std::size_t i = 0; i < frames; ++i) {
        unsigned char* frame = out.data() + i * CDataStreamParser::kFrameSize;
        frame[0] = 'V';
        frame[1] = 'A';
        const float reading = 1e-6f * static_cast<float>(i % 1000);
        const auto seconds = static_cast<std::uint32_t>(i / 10000);
        const auto fraction = static_cast<std::uint32_t>(i % 10000);
        std::memcpy(frame + 8, &reading, 4);
        std::memcpy(frame + 12, &seconds, 4);
        std::memcpy(frame + 16, &fraction, 4);
    }
    return out;
}

constexpr std::size_t kFrames = 1'000'000;

const std::vector<unsigned char>& TheStream() {
    static const std::vector<unsigned char> stream = Stream(kFrames);
    return stream;
}

// Per block size, the seconds of the memcpy yardstick (run first) and of the parse.
std::map<std::size_t, double> g_memcpySeconds;

// How many samples differ from the frames sent (the times count from the first frame).
std::size_t WrongSamples(const std::vector<double>& times, const std::vector<double>& values) {
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < kFrames; ++i) {
        const double value = static_cast<double>(1e-6f * static_cast<float>(i % 1000));
        const double time = static_cast<double>(i / 10000) + static_cast<double>(i % 10000) / 10000.0;
        wrong += values[i] != value || std::abs(times[i] - time) > 1e-9;
    }
    return wrong;
}

void BM_MemcpyStream(benchmark::State& state) {
    const auto block = static_cast<std::size_t>(state.range(0));
    const std::vector<unsigned char>& stream = TheStream();
    std::vector<unsigned char> copy(stream.size());
    std::vector<double> seconds;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        for (std::size_t at = 0; at < stream.size(); at += block)
            std::memcpy(copy.data() + at, stream.data() + at, std::min(block, stream.size() - at));
        benchmark::ClobberMemory();
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    if (copy != stream)
        state.SkipWithError("the copy differs");
    std::sort(seconds.begin(), seconds.end());
    g_memcpySeconds[block] = seconds[seconds.size() / 2];
    state.counters["median_ms"] = g_memcpySeconds[block] * 1e3;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}

void BM_ParseStream(benchmark::State& state) {
    const auto block = static_cast<std::size_t>(state.range(0));
    const std::vector<unsigned char>& stream = TheStream();
    std::vector<double> seconds;
    for (auto _ : state) {
        std::vector<double> times(kFrames, -1.0), values(kFrames, -1.0);
        const auto start = std::chrono::steady_clock::now();
        CDataStreamParser parser;
        std::size_t received = 0;
        for (std::size_t at = 0; at < stream.size(); at += block)
            parser.Parse(stream.data() + at, std::min(block, stream.size() - at), times.data(), values.data(),
                         kFrames, received);
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        state.PauseTiming();
        if (received != kFrames || parser.InvalidFrames() != 0 || parser.PendingBytes() != 0 ||
            WrongSamples(times, values) != 0) {
            state.SkipWithError("the parse did not give the frames sent");
            return;
        }
        state.ResumeTiming();
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    state.counters["median_ms"] = median * 1e3;
    if (g_memcpySeconds.count(block) != 0)
        state.counters["memcpy_ms"] = g_memcpySeconds[block] * 1e3;
    if (g_memcpySeconds.count(block) != 0)
        state.counters["of_memcpy"] = g_memcpySeconds[block] / median;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}
// 10,240-byte blocks as the frame gathers them; 1,000 bytes: every block ends inside a frame. The
// yardstick runs first, so that each parse can report its share of it.
BENCHMARK(BM_MemcpyStream)->Arg(10240)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseStream)->Arg(10240)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
