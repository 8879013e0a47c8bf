#include "uue/kernels/Kernels.h"

namespace qb::uue {

std::size_t ScalarDecode(const char* in, std::size_t maxLines, LineEnd end, std::uint8_t* out,
                            bool& backtick) {
    const std::size_t stride = kFullLineChars + end.length;
    std::size_t n = 0;
    for (; n < maxLines; ++n, in += stride, out += kBytesPerLine) {
        if (!IsFullLineFrame(in, end)) break;
        std::uint8_t flags = 0;
        for (std::size_t i = 1; i <= kDataChars; ++i) flags |= UuChar(in[i]);
        if (flags & kBadFlag) break;
        if (flags & kBacktickFlag) backtick = true;
        for (std::size_t g = 0; g < kGroupsPerLine; ++g) {
            const std::uint8_t v[4] = {UuChar(in[1 + 4 * g]), UuChar(in[2 + 4 * g]),
                                       UuChar(in[3 + 4 * g]), UuChar(in[4 + 4 * g])};
            const std::uint8_t six[4] = {std::uint8_t(v[0] & kValueMask), std::uint8_t(v[1] & kValueMask),
                                         std::uint8_t(v[2] & kValueMask), std::uint8_t(v[3] & kValueMask)};
            PutGroup(six, out + 3 * g);
        }
    }
    return n;
}

}  // namespace qb::uue
