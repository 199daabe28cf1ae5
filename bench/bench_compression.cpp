// Compression of a picture-sized block: the compressed-bitmap payload of the
// container format and the archive entries go through these two calls.
#include "support/records/compression.h"

#include <benchmark/benchmark.h>

using namespace orvanto;

namespace {

std::string FlatPicture(std::size_t bytes)
{
    std::string data(bytes, '\0');
    for (std::size_t i = 0; i < bytes; ++i)
        data[i] = char((i / 3000) % 7 * 36 + (i % 3));
    return data;
}

void BM_CompressText(benchmark::State& state)
{
    const std::string input = FlatPicture(std::size_t(state.range(0)));
    std::string error;
    for (auto _ : state) {
        std::string text = input;
        benchmark::DoNotOptimize(CompressText(text, error));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * state.range(0));
}

void BM_DecompressText(benchmark::State& state)
{
    std::string packed = FlatPicture(std::size_t(state.range(0)));
    std::string error;
    CompressText(packed, error);
    for (auto _ : state) {
        std::string text = packed;
        benchmark::DoNotOptimize(DecompressText(text, error));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * state.range(0));
}

BENCHMARK(BM_CompressText)->Arg(3 * 1000 * 1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecompressText)->Arg(3 * 1000 * 1000)->Unit(benchmark::kMillisecond);

} // namespace
