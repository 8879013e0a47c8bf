#include "restore/kernels/LineDecoders.h"
#include "restore/kernels/UuChars.h"

namespace qb::restore {

std::size_t ScalarFullLines(const char* in, std::size_t maxLines, LineEnd end, std::uint8_t* out,
                            bool& backtick) {
    const std::size_t stride = 61 + end.length;
    std::size_t n = 0;
    for (; n < maxLines; ++n, in += stride, out += 45) {
        if (!IsFullLineFrame(in, end)) break;
        std::uint8_t flags = 0;
        for (int i = 1; i <= 60; ++i) flags |= UuChar(in[i]);
        if (flags & kBadFlag) break;
        if (flags & kBacktickFlag) backtick = true;
        for (int g = 0; g < 15; ++g) {
            const std::uint8_t v[4] = {UuChar(in[1 + 4 * g]), UuChar(in[2 + 4 * g]),
                                       UuChar(in[3 + 4 * g]), UuChar(in[4 + 4 * g])};
            const std::uint8_t six[4] = {std::uint8_t(v[0] & 63), std::uint8_t(v[1] & 63),
                                         std::uint8_t(v[2] & 63), std::uint8_t(v[3] & 63)};
            PutGroup(six, out + 3 * g);
        }
    }
    return n;
}

}  // namespace qb::restore
