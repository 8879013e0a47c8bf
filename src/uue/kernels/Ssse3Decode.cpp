#include <tmmintrin.h>

#include <cstring>

#include "uue/kernels/Kernels.h"

namespace qb::uue {
namespace {

__m128i Load(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// A lane of characters outside ' '..'`' (bytes from 0x80 up count as negative, so below ' ').
__m128i Bad(__m128i c) {
    return _mm_or_si128(_mm_cmplt_epi8(c, _mm_set1_epi8(0x20)), _mm_cmpgt_epi8(c, _mm_set1_epi8(0x60)));
}

// 16 characters to 12 bytes in the low lanes; the top four are zero.
__m128i DecodeSixteen(__m128i c) {
    const __m128i six = _mm_and_si128(_mm_sub_epi8(c, _mm_set1_epi8(0x20)), _mm_set1_epi8(63));
    // Pairs of 6-bit values into 12 bits, then pairs of those into 24.
    const __m128i pairs = _mm_maddubs_epi16(six, _mm_set1_epi32(0x01400140));
    const __m128i groups = _mm_madd_epi16(pairs, _mm_set1_epi32(0x00011000));
    return _mm_shuffle_epi8(groups, _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1));
}

}  // namespace

// Four loads per line, the last from character 44 so that it ends at the line's last character;
// each 16-byte store runs four bytes past its twelve, which the next store or line overwrites.
std::size_t Ssse3Decode(const char* in, std::size_t maxLines, LineEnd end, std::uint8_t* out,
                           bool& backtick) {
    const std::size_t stride = kFullLineChars + end.length;
    __m128i ticks = _mm_setzero_si128();
    std::size_t n = 0;
    for (; n < maxLines; ++n, in += stride, out += kBytesPerLine) {
        if (!IsFullLineFrame(in, end)) break;
        const __m128i c0 = Load(in + 1), c1 = Load(in + 17), c2 = Load(in + 33), c3 = Load(in + 45);
        const __m128i bad = _mm_or_si128(_mm_or_si128(Bad(c0), Bad(c1)), _mm_or_si128(Bad(c2), Bad(c3)));
        if (_mm_movemask_epi8(bad) != 0) break;
        const __m128i tick = _mm_set1_epi8(0x60);
        ticks = _mm_or_si128(ticks, _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(c0, tick), _mm_cmpeq_epi8(c1, tick)),
                                                 _mm_or_si128(_mm_cmpeq_epi8(c2, tick), _mm_cmpeq_epi8(c3, tick))));
        // Only the last line the caller allows could write past the end: it goes through a scratch.
        std::uint8_t scratch[49];
        std::uint8_t* o = n + 1 < maxLines ? out : scratch;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o), DecodeSixteen(c0));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 12), DecodeSixteen(c1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 24), DecodeSixteen(c2));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 33), DecodeSixteen(c3));
        if (o == scratch) std::memcpy(out, scratch, kBytesPerLine);
    }
    if (_mm_movemask_epi8(ticks) != 0) backtick = true;
    return n;
}

}  // namespace qb::uue
