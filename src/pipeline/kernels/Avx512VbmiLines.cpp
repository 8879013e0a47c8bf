// GCC 12's AVX-512 headers start unmasked operations from a deliberately undefined register
// and then warn about it (GCC bug 105593).
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>

#include <array>
#include <cstring>

#include "pipeline/kernels/LineKernels.h"

namespace qb::pipeline {
namespace {

// A whole line fits one 64-byte register: 'M', 60 characters, CR LF and one spare byte.
// Output byte 8k + j comes from the k-th 64-bit lane, which holds the last input byte of group
// 2k - 1 and then groups 2k and 2k + 1, each with its bytes reversed so its 24 bits are
// contiguous and a single bit offset picks out any of its characters.
constexpr std::array<std::uint8_t, 64> kGather = [] {
    std::array<std::uint8_t, 64> t{};
    for (int k = 0; k < 8; ++k) {
        const int b = 6 * k;
        const int lane[8] = {b - 1, b + 2, b + 1, b, b + 5, b + 4, b + 3, 0};
        // Slots that fall outside the 45 input bytes end up as constants; any index will do.
        for (int j = 0; j < 8; ++j) t[8 * k + j] = static_cast<std::uint8_t>(
                                         lane[j] >= 0 && lane[j] < 45 ? lane[j] : 0);
    }
    return t;
}();

// Bit offsets of the characters in each 64-bit lane laid out as above, low byte first:
// 0, 26, 20, 14, 8, 50, 44, 38.
constexpr long long kShifts = 0x262C32080E141A00;

constexpr std::array<char, 64> kAlphabet = [] {
    std::array<char, 64> t{};
    for (int v = 0; v < 64; ++v) t[v] = static_cast<char>(v == 0 ? '`' : v + 32);
    return t;
}();

constexpr std::array<char, 64> kFrame = [] {
    std::array<char, 64> t{};
    t[0] = 'M';
    t[61] = '\r';
    t[62] = '\n';
    t[63] = 'M';
    return t;
}();

constexpr __mmask64 kCharacters = ((__mmask64{1} << 60) - 1) << 1;
constexpr __mmask64 kInput = (__mmask64{1} << 45) - 1;
constexpr __mmask64 kLine = (__mmask64{1} << 63) - 1;

inline __m512i Load(const void* p) { return _mm512_loadu_si512(p); }

struct Tables {
    __m512i gather = Load(kGather.data());
    __m512i shifts = _mm512_set1_epi64(kShifts);
    __m512i alphabet = Load(kAlphabet.data());
    __m512i frame = Load(kFrame.data());

    // The multishift copies 8 bits per byte; the top two are neighbouring bits, which the
    // alphabet lookup ignores because it only uses the low six bits of each index.
    __m512i Encode(__m512i bytes) const {
        const __m512i groups = _mm512_permutexvar_epi8(gather, bytes);
        const __m512i fields = _mm512_multishift_epi64_epi8(shifts, groups);
        return _mm512_mask_permutexvar_epi8(frame, kCharacters, fields, alphabet);
    }
};

}  // namespace

void Avx512VbmiLines(const std::uint8_t* in, std::size_t lineCount, char* out) {
    if (lineCount == 0) return;
    const Tables t;
    // Full loads and stores run 19 bytes into the next input line and one byte into the next
    // output line, which that line then rewrites; only the last line needs masks.
    for (; lineCount > 1; --lineCount, in += 45, out += 63)
        _mm512_storeu_si512(out, t.Encode(Load(in)));
    _mm512_mask_storeu_epi8(out, kLine, t.Encode(_mm512_maskz_loadu_epi8(kInput, in)));
}

}  // namespace qb::pipeline
