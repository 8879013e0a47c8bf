#include "uue/Encoder.h"

#include <cstring>
#include <stdexcept>

#include "uue/kernels/Kernels.h"

namespace qb::uue {

void EncodeLines(std::span<const std::uint8_t> input, std::span<char> out, LineEncoder kernel) {
    // The kernels write whole lines without knowing where the output ends.
    if (input.empty() || out.size() != EncodedBodySize(input.size()))
        throw std::length_error("UU body output is not the exact size of the body");
    const std::size_t size = input.size();
    const std::size_t fullLines = (size - 1) / kBytesPerLine;
    kernel(input.data(), fullLines, out.data());

    // The last line, 1 to 45 bytes, is encoded as a whole line from a zero-filled copy, so the
    // missing bytes of its last group encode as zeros; its first character then carries its
    // true byte count.
    const std::size_t rest = size - fullLines * kBytesPerLine;
    std::uint8_t last[kBytesPerLine] = {};
    std::memcpy(last, input.data() + fullLines * kBytesPerLine, rest);
    char line[kFullLineCrLf];
    ScalarEncode(last, 1, line);
    line[0] = EncodeSixBits(static_cast<unsigned>(rest));
    const std::size_t chars = LineChars(rest);
    char* o = out.data() + fullLines * kFullLineCrLf;
    std::memcpy(o, line, chars);
    o[chars] = '\r';
    o[chars + 1] = '\n';
}

}  // namespace qb::uue
