// GCC 12's AVX-512 headers start unmasked operations from a deliberately undefined register
// and then warn about it (GCC bug 105593).
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>

#include <cstdint>

#include "uue/kernels/Kernels.h"

// No standard library templates in here: their out-of-line copies built with AVX-512 could be
// the ones the linker keeps for the rest of the program.
namespace qb::uue {
namespace {

struct Row {
    alignas(64) std::uint8_t bytes[64];
};

// A whole line fits one 64-byte register: 'M', 60 characters, CR LF and one spare byte.
// Output byte 8k + j comes from the k-th 64-bit lane, which holds the last input byte of group
// 2k - 1 and then groups 2k and 2k + 1, each with its bytes reversed so its 24 bits are
// contiguous and a single bit offset picks out any of its characters.
constexpr Row kGather = [] {
    Row t{};
    for (int k = 0; k < 8; ++k) {
        const int b = 6 * k;
        const int lane[8] = {b - 1, b + 2, b + 1, b, b + 5, b + 4, b + 3, 0};
        // Slots that fall outside the 45 input bytes end up as constants; any index will do.
        for (int j = 0; j < 8; ++j) {
            const bool inLine = lane[j] >= 0 && lane[j] < 45;
            t.bytes[8 * k + j] = static_cast<std::uint8_t>(inLine ? lane[j] : 0);
        }
    }
    return t;
}();

// Bit offsets of the characters in each 64-bit lane laid out as above, low byte first:
// 0, 26, 20, 14, 8, 50, 44, 38.
constexpr long long kShifts = 0x262C32080E141A00;

constexpr Row kAlphabet = [] {
    Row t{};
    for (int v = 0; v < 64; ++v) t.bytes[v] = static_cast<std::uint8_t>(v == 0 ? '`' : v + 32);
    return t;
}();

constexpr Row kFrame = [] {
    Row t{};
    t.bytes[0] = 'M';
    t.bytes[61] = '\r';
    t.bytes[62] = '\n';
    t.bytes[63] = 'M';
    return t;
}();

constexpr Row kIota = [] {
    Row t{};
    for (int i = 0; i < 64; ++i) t.bytes[i] = static_cast<std::uint8_t>(i);
    return t;
}();

constexpr __mmask64 kCharacters = ((__mmask64{1} << 60) - 1) << 1;
constexpr __mmask64 kInput = (__mmask64{1} << 45) - 1;
constexpr __mmask64 kLine = (__mmask64{1} << 63) - 1;

inline __m512i Load(const void* p) { return _mm512_loadu_si512(p); }

struct Encoder {
    __m512i gather = Load(kGather.bytes);
    __m512i shifts = _mm512_set1_epi64(kShifts);
    __m512i alphabet = Load(kAlphabet.bytes);
    __m512i frame = Load(kFrame.bytes);

    // The multishift copies 8 bits per byte; the top two are neighbouring bits, which the
    // alphabet lookup ignores because it only uses the low six bits of each index.
    __m512i Line(__m512i bytes) const {
        const __m512i groups = _mm512_permutexvar_epi8(gather, bytes);
        const __m512i fields = _mm512_multishift_epi64_epi8(shifts, groups);
        return _mm512_mask_permutexvar_epi8(frame, kCharacters, fields, alphabet);
    }

    // Full loads and stores run 19 bytes into the next input line and one byte into the next
    // output line, which that line then rewrites; only the last line needs masks.
    void Lines(const std::uint8_t* in, std::size_t lineCount, char* out) const {
        if (lineCount == 0) return;
        for (; lineCount > 1; --lineCount, in += kBytesPerLine, out += kFullLineCrLf)
            _mm512_storeu_si512(out, Line(Load(in)));
        _mm512_mask_storeu_epi8(out, kLine, Line(_mm512_maskz_loadu_epi8(kInput, in)));
    }
};

}  // namespace

// Stores of whole aligned 64-byte blocks: an unaligned one would touch two cache lines. A line
// is 63 = -1 (mod 64) bytes, so after (out mod 64) lines the output is aligned, and 64 lines then
// fill exactly 63 blocks: block j is the tail of line j from its byte j on, followed by the head
// of line j + 1.
void Avx512VbmiEncode(const std::uint8_t* in, std::size_t lineCount, char* out) {
    const Encoder e;
    const std::size_t misalignment = reinterpret_cast<std::uintptr_t>(out) % 64;
    const std::size_t lead = misalignment < lineCount ? misalignment : lineCount;
    e.Lines(in, lead, out);
    in += 45 * lead;
    out += 63 * lead;
    lineCount -= lead;

    const __m512i one = _mm512_set1_epi8(1);
    const __m512i lastOfLine = _mm512_set1_epi8(62);
    // More than 64 lines left: each block's last full load reads into the line after it.
    for (; lineCount > 64; lineCount -= 64) {
        __m512i line = e.Line(Load(in));
        __m512i from = Load(kIota.bytes);  // line byte j + i for output byte i of block j
        for (int j = 0; j < 63; ++j, out += 64) {
            // The hardware prefetcher alone leaves the input stream short of bandwidth.
            _mm_prefetch(reinterpret_cast<const char*>(in) + 2048, _MM_HINT_T0);
            in += 45;
            const __m512i next = e.Line(Load(in));
            // Past byte 62 of line j the block continues with line j + 1, the second source
            // of the two-register permute, at index 64 + (j + i - 63).
            const __mmask64 fromNext = _mm512_cmpgt_epu8_mask(from, lastOfLine);
            const __m512i pick = _mm512_mask_add_epi8(from, fromNext, from, one);
            const __m512i block = _mm512_permutex2var_epi8(line, pick, next);
            _mm512_store_si512(reinterpret_cast<__m512i*>(out), block);
            line = next;
            from = _mm512_add_epi8(from, one);
        }
        in += 45;
    }
    e.Lines(in, lineCount, out);
}

}  // namespace qb::uue
