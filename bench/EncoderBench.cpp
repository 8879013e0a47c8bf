// Encoder throughput against memcpy of the same output size, in one run, so ratios hold across
// machines. Throughput is counted in input bytes for both. The sizes are the calls the program
// makes: one side-file slice, which stays in cache, and the largest clipboard body.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "encode/JobSizes.h"
#include "uue/KernelTable.h"
#include "uue/Encoder.h"

namespace {

using qb::uue::EncodedBodySize;

std::vector<std::uint8_t> Input(std::size_t n) {
    std::vector<std::uint8_t> v(n);
    std::mt19937_64 rng(42);
    for (auto& b : v) b = static_cast<std::uint8_t>(rng());
    return v;
}

void BM_Encode(benchmark::State& state, qb::uue::LineEncoder kernel) {
    const auto in = Input(static_cast<std::size_t>(state.range(0)));
    std::vector<char> out(EncodedBodySize(in.size()));
    for (auto _ : state) {
        qb::uue::EncodeLines(in, out, kernel);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void BM_MemcpyOfOutputSize(benchmark::State& state) {
    const std::size_t n = static_cast<std::size_t>(state.range(0));
    std::vector<char> src(EncodedBodySize(n), 'x'), dst(EncodedBodySize(n));
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), dst.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

constexpr std::int64_t kSlice = 16384 * qb::uue::kBytesPerLine;  // the side file's slice
constexpr std::int64_t kLargestClipboardCall = qb::encode::kClipboardLimit - 1;

int Register() {
    BENCHMARK(BM_MemcpyOfOutputSize)->Arg(kSlice)->Arg(kLargestClipboardCall);
    for (const auto& k : qb::uue::RunnableEncoders())
        benchmark::RegisterBenchmark(("BM_Encode/" + std::string(k.name)).c_str(), BM_Encode, k.run)
            ->Arg(kSlice)
            ->Arg(kLargestClipboardCall);
    return 0;
}
const int registered = Register();

}  // namespace

BENCHMARK_MAIN();
