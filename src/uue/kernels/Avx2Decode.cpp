#include <immintrin.h>

#include <cstring>

#include "uue/kernels/Kernels.h"

namespace qb::uue {
namespace {

// Two 16-byte loads, one per 128-bit lane: byte shuffles cannot cross lanes.
__m256i LoadLanes(const char* low, const char* high) {
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(low));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(high));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
}

// Characters outside ' '..'`' (bytes from 0x80 up count as negative, so below ' ').
__m256i Bad(__m256i c) {
    return _mm256_or_si256(_mm256_cmpgt_epi8(_mm256_set1_epi8(0x20), c),
                           _mm256_cmpgt_epi8(c, _mm256_set1_epi8(0x60)));
}

// Four characters per 32-bit lane to 24-bit values, the first character in the top bits.
__m256i Groups(__m256i c) {
    const __m256i six = _mm256_and_si256(_mm256_sub_epi8(c, _mm256_set1_epi8(0x20)), _mm256_set1_epi8(63));
    const __m256i pairs = _mm256_maddubs_epi16(six, _mm256_set1_epi32(0x01400140));
    return _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00011000));
}

}  // namespace

// Each line is two vectors: characters 0-15 | 16-31 and 32-47 | 44-59 (the last lane ends at the
// line's last character). Their bytes are packed into the low 24 of each vector; the two 32-byte
// stores run 11 bytes past the line, which the next line overwrites.
std::size_t Avx2Decode(const char* in, std::size_t maxLines, LineEnd end, std::uint8_t* out,
                          bool& backtick) {
    const std::size_t stride = kFullLineChars + end.length;
    const __m256i pick = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1,  //
                                          2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    // The high lane of the second vector repeats group 11; its bytes start at group 12.
    const __m256i pickTail = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1,  //
                                              6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1, -1, -1, -1);
    const __m256i pack = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
    const __m256i tick = _mm256_set1_epi8(0x60);
    __m256i ticks = _mm256_setzero_si256();
    std::size_t n = 0;
    for (; n < maxLines; ++n, in += stride, out += kBytesPerLine) {
        if (!IsFullLineFrame(in, end)) break;
        const __m256i first = LoadLanes(in + 1, in + 17);
        const __m256i second = LoadLanes(in + 33, in + 45);
        if (!_mm256_testz_si256(_mm256_or_si256(Bad(first), Bad(second)), _mm256_set1_epi8(-1))) break;
        ticks = _mm256_or_si256(ticks, _mm256_or_si256(_mm256_cmpeq_epi8(first, tick),
                                                       _mm256_cmpeq_epi8(second, tick)));
        const __m256i a = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(Groups(first), pick), pack);
        const __m256i b = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(Groups(second), pickTail), pack);
        // Only the last line the caller allows could write past the end: it goes through a scratch.
        std::uint8_t scratch[56];
        std::uint8_t* o = n + 1 < maxLines ? out : scratch;
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(o), a);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + 24), b);
        if (o == scratch) std::memcpy(out, scratch, kBytesPerLine);
    }
    if (!_mm256_testz_si256(ticks, ticks)) backtick = true;
    return n;
}

}  // namespace qb::uue
