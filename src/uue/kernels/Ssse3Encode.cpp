#include <tmmintrin.h>

#include "uue/kernels/Kernels.h"

namespace qb::uue {
namespace {

// Takes the 12 bytes picked by `pick` (three per 32-bit lane, ordered b1 b0 b2 b1) and returns
// the 16 characters they encode to.
inline __m128i EncodeTwelve(__m128i bytes, __m128i pick) {
    const __m128i in = _mm_shuffle_epi8(bytes, pick);
    // Two multiplies move all four 6-bit fields of each group into their own byte.
    const __m128i hi = _mm_mulhi_epu16(_mm_and_si128(in, _mm_set1_epi32(0x0FC0FC00)),
                                       _mm_set1_epi32(0x04000040));
    const __m128i lo = _mm_mullo_epi16(_mm_and_si128(in, _mm_set1_epi32(0x003F03F0)),
                                       _mm_set1_epi32(0x01000010));
    const __m128i sixBits = _mm_or_si128(hi, lo);
    // v + 32, except 0 which becomes '`': (v - 1) & 63 wraps 0 to 63, and 63 + 33 is '`'.
    const __m128i wrapped = _mm_and_si128(_mm_sub_epi8(sixBits, _mm_set1_epi8(1)),
                                          _mm_set1_epi8(63));
    return _mm_add_epi8(wrapped, _mm_set1_epi8(33));
}

__m128i Load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
void Store(char* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

}  // namespace

// Each line is four overlapping 16-byte loads that end exactly at the line's last byte, and
// five stores that end exactly at its LF, so no line touches memory outside its own bytes.
void Ssse3Encode(const std::uint8_t* in, std::size_t lineCount, char* out) {
    const __m128i pickFirst = _mm_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
    // Groups 11 to 14 sit at bytes 4 to 15 of a load from byte 29.
    const __m128i pickLast = _mm_setr_epi8(5, 4, 6, 5, 8, 7, 9, 8, 11, 10, 12, 11, 14, 13, 15, 14);
    const __m128i crLf = _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, '\r', '\n');
    for (std::size_t n = 0; n < lineCount; ++n, in += kBytesPerLine, out += kFullLineCrLf) {
        out[0] = 'M';
        Store(out + 1, EncodeTwelve(Load(in), pickFirst));
        Store(out + 17, EncodeTwelve(Load(in + 12), pickFirst));
        Store(out + 33, EncodeTwelve(Load(in + 24), pickFirst));
        // The last store starts two characters into group 11 so that it can end with CR LF.
        const __m128i last = EncodeTwelve(Load(in + 29), pickLast);
        Store(out + 47, _mm_or_si128(_mm_srli_si128(last, 2), crLf));
    }
}

}  // namespace qb::uue
