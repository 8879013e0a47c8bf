#include <array>
#include <cstring>

#include "uue/kernels/Kernels.h"

namespace qb::uue {
namespace {

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

void ScalarEncode(const std::uint8_t* in, std::size_t lineCount, char* out) {
    for (std::size_t n = 0; n < lineCount; ++n) {
        *out++ = kFullLineCount;
        for (std::size_t k = 0; k < kGroupsPerLine; ++k, in += 3, out += 4) EncodeGroup(in, out);
        *out++ = '\r';
        *out++ = '\n';
    }
}

}  // namespace qb::uue
