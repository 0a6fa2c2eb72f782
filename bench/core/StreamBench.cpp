// Parsing the supply's reading stream: bytes per second through the parser, in the block sizes the
// frame hands over.
#include "lumora/core/DataStreamParser.h"

#include <benchmark/benchmark.h>
#include <cstring>
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

void BM_ParseStream(benchmark::State& state) {
    const std::size_t frames = 1'000'000;
    const auto block = static_cast<std::size_t>(state.range(0));
    const std::vector<unsigned char> stream = Stream(frames);
    std::vector<double> times(frames), values(frames);
    for (auto _ : state) {
        CDataStreamParser parser;
        std::size_t received = 0;
        for (std::size_t at = 0; at < stream.size(); at += block)
            parser.Parse(stream.data() + at, std::min(block, stream.size() - at), times.data(), values.data(),
                         frames, received);
        benchmark::DoNotOptimize(received);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}
// 10,240-byte blocks as the frame gathers them; 1,000 bytes: every block ends inside a frame.
BENCHMARK(BM_ParseStream)->Arg(10240)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
