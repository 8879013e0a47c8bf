#include "pipeline/UuEncoder.h"

#include <xmmintrin.h>
#include <emmintrin.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "pipeline/KernelChooser.h"
#include "pipeline/kernels/LineKernels.h"

namespace qb::pipeline {
namespace {

constexpr char EncodeSixBits(unsigned v) { return v == 0 ? '`' : static_cast<char>(v + 32); }

// Two output characters for every 12-bit value: one lookup per half group.
constexpr std::array<std::array<char, 2>, 4096> kPairs = [] {
    std::array<std::array<char, 2>, 4096> t{};
    for (unsigned v = 0; v < 4096; ++v) t[v] = {EncodeSixBits(v >> 6), EncodeSixBits(v & 63)};
    return t;
}();

inline void EncodeGroup(const std::uint8_t* in, char* out) {
    const unsigned bits = (unsigned{in[0]} << 16) | (unsigned{in[1]} << 8) | in[2];
    std::memcpy(out, kPairs[bits >> 12].data(), 2);
    std::memcpy(out + 2, kPairs[bits & 0xFFF].data(), 2);
}

}  // namespace

void StreamLines(LineKernel kernel, const std::uint8_t* in, std::size_t lineCount, char* out) {
    constexpr std::size_t kStageLines = 64;
    // A line is 63 = -1 (mod 64) bytes, so after (out mod 64) lines the output is 64-byte
    // aligned, and again after every 64 lines from there.
    const std::size_t misalignment = reinterpret_cast<std::uintptr_t>(out) % 64;
    const std::size_t lead = std::min(misalignment, lineCount);
    kernel(in, lead, out);
    in += lead * kBytesPerLine;
    out += lead * kCharsPerFullLine;
    lineCount -= lead;

    char stage[kStageLines * kCharsPerFullLine];
    for (; lineCount >= kStageLines; lineCount -= kStageLines) {
        // The hardware prefetcher alone leaves the input stream short of memory bandwidth.
        for (std::size_t i = 0; i < kStageLines * kBytesPerLine; i += 64)
            _mm_prefetch(reinterpret_cast<const char*>(in) + 2048 + i, _MM_HINT_T0);
        kernel(in, kStageLines, stage);
        for (std::size_t i = 0; i < sizeof stage; i += 16)
            _mm_stream_si128(reinterpret_cast<__m128i*>(out + i),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(stage + i)));
        in += kStageLines * kBytesPerLine;
        out += sizeof stage;
    }
    kernel(in, lineCount, out);
    _mm_sfence();  // later plain stores and other threads see the streamed bytes in order
}

void ScalarLines(const std::uint8_t* in, std::size_t lineCount, char* out) {
    for (std::size_t n = 0; n < lineCount; ++n) {
        *out++ = 'M';
        for (int k = 0; k < kGroupsPerLine; ++k, in += 3, out += 4) EncodeGroup(in, out);
        *out++ = '\r';
        *out++ = '\n';
    }
}

void EncodeLines(std::span<const std::uint8_t> input, std::span<char> out) {
    const std::size_t size = input.size();
    const std::size_t fullLines = (size - 1) / kBytesPerLine;
    ChosenKernel()(input.data(), fullLines, out.data());

    // The last line, 1 to 45 bytes, carries its true byte count; the missing bytes of its
    // last group encode as zeros.
    std::size_t at = fullLines * kBytesPerLine;
    char* o = out.data() + fullLines * kCharsPerFullLine;
    *o++ = static_cast<char>(size - at + 32);
    for (; at + 3 <= size; at += 3, o += 4) EncodeGroup(input.data() + at, o);
    if (at < size) {
        std::uint8_t last[3] = {};
        std::memcpy(last, input.data() + at, size - at);
        EncodeGroup(last, o);
        o += 4;
    }
    *o++ = '\r';
    *o++ = '\n';
}

}  // namespace qb::pipeline
