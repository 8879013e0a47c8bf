// Decoder throughput on full lines against memcpy of the same text, in one run, so ratios hold
// across machines; counted in text bytes for all. The kernels run on one 16,384-line run of text
// (in cache, as a piece of the scanner is), the passes over 64 MiB of text from memory.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "uue/Encoder.h"
#include "restore/TextSource.h"
#include "uue/TextScanner.h"

namespace {

using namespace qb::restore;
using namespace qb::uue;

std::string Body(std::size_t lines) {
    std::vector<std::uint8_t> in(lines * 45);
    std::mt19937_64 rng(42);
    for (auto& b : in) b = static_cast<std::uint8_t>(rng());
    std::string out(EncodedBodySize(in.size()), '\0');
    EncodeLines(in, out);
    return out;
}

constexpr std::size_t kRunLines = 16384;

void BM_DecodeFullLines(benchmark::State& state, FullLinesDecoder kernel) {
    const std::string text = Body(kRunLines);
    std::vector<std::uint8_t> out(kRunLines * 45);
    for (auto _ : state) {
        bool backtick = false;
        if (kernel(text.data(), kRunLines, {2, '\r', '\n'}, out.data(), backtick) != kRunLines)
            state.SkipWithError("a line was refused");
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_MemcpyOfText(benchmark::State& state) {
    const std::string text = Body(kRunLines);
    std::string copy(text.size(), '\0');
    for (auto _ : state) {
        std::memcpy(copy.data(), text.data(), text.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

struct Discard final : DecodeSink {
    void BeginBlock(std::size_t, const qb::uue::Block&) override {}
    void Write(std::span<const std::uint8_t> bytes) override { benchmark::DoNotOptimize(bytes.data()); }
    void EndBlock() override {}
};

const std::string& LargeText() {
    static const std::string text = "begin 644 x\r\n" + Body(1'065'000) + "`\r\nend\r\n";
    return text;
}

void BM_Pass(benchmark::State& state, bool decode) {
    const std::string& text = LargeText();
    MemoryBytes bytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    EncodedText source(bytes);
    Discard sink;
    for (auto _ : state) {
        qb::platform::JobProgress progress(text.size());
        const auto result = decode ? DecodeText(source, sink, progress) : CheckText(source, progress);
        if (result.outcome != Outcome::kOk) state.SkipWithError("the text was refused");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

int Register() {
    BENCHMARK(BM_MemcpyOfText);
    for (const auto& k : RunnableDecoders())
        benchmark::RegisterBenchmark(("BM_DecodeFullLines/" + std::string(k.name)).c_str(), BM_DecodeFullLines, k.run);
    benchmark::RegisterBenchmark("BM_Pass1Check", BM_Pass, false)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_Pass2Decode", BM_Pass, true)->Unit(benchmark::kMillisecond);
    return 0;
}
const int registered = Register();

}  // namespace
