#include <immintrin.h>

#include <cstring>

#include "uue/kernels/Kernels.h"

namespace qb::uue {
namespace {

// Two 16-byte loads, one per 128-bit lane: byte shuffles cannot cross lanes.
inline __m256i LoadLanes(const std::uint8_t* low, const std::uint8_t* high) {
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(low));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(high));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
}

// Takes the 24 bytes picked by `pick` (three per 32-bit lane, ordered b1 b0 b2 b1) and returns
// the 32 characters they encode to.
inline __m256i EncodeTwentyFour(__m256i bytes, __m256i pick) {
    const __m256i in = _mm256_shuffle_epi8(bytes, pick);
    // Two multiplies move all four 6-bit fields of each group into their own byte.
    const __m256i hi = _mm256_mulhi_epu16(_mm256_and_si256(in, _mm256_set1_epi32(0x0FC0FC00)),
                                          _mm256_set1_epi32(0x04000040));
    const __m256i lo = _mm256_mullo_epi16(_mm256_and_si256(in, _mm256_set1_epi32(0x003F03F0)),
                                          _mm256_set1_epi32(0x01000010));
    const __m256i sixBits = _mm256_or_si256(hi, lo);
    // v + 32, except 0 which becomes '`': (v - 1) & 63 wraps 0 to 63, and 63 + 33 is '`'.
    const __m256i wrapped = _mm256_and_si256(_mm256_sub_epi8(sixBits, _mm256_set1_epi8(1)),
                                             _mm256_set1_epi8(63));
    return _mm256_add_epi8(wrapped, _mm256_set1_epi8(33));
}

// Writes out[1] to out[64]: the line's 60 characters, CR LF, the next line's 'M' and one byte
// the next line overwrites. Reads exactly in[0] to in[44].
inline void EncodeLine(const std::uint8_t* in, char* out) {
    const __m256i pick = _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10,  //
                                          1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
    // Groups 12 to 14 sit at bytes 7 to 15 of a load from byte 29; the fourth slot is filler
    // that the blend below replaces.
    const __m256i pickTail = _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10,
                                              8, 7, 9, 8, 11, 10, 12, 11, 14, 13, 15, 14,  //
                                              -1, -1, -1, -1);
    const __m256i lineEnd = _mm256_set1_epi32('\r' | '\n' << 8 | 'M' << 16);

    const __m256i first = EncodeTwentyFour(LoadLanes(in, in + 12), pick);
    const __m256i tail = EncodeTwentyFour(LoadLanes(in + 24, in + 29), pickTail);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 1), first);
    const __m256i tailAndLineEnd = _mm256_blend_epi32(tail, lineEnd, 0x80);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 33), tailAndLineEnd);
}

}  // namespace

void Avx2Encode(const std::uint8_t* in, std::size_t lineCount, char* out) {
    if (lineCount == 0) return;
    out[0] = 'M';
    for (; lineCount > 1; --lineCount, in += kBytesPerLine, out += kFullLineCrLf) EncodeLine(in, out);
    // The last line would write two bytes past its LF; it goes through a scratch line instead.
    char scratch[65];
    EncodeLine(in, scratch);
    std::memcpy(out + 1, scratch + 1, 62);
}

}  // namespace qb::uue
