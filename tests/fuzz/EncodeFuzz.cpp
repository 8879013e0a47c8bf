// Feeds random inputs through every kernel the CPU has, in exact-size heap buffers, and checks
// each result against the scalar kernel and against the tests' own decoder.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "UuTestSupport.h"
#include "uue/KernelTable.h"
#include "uue/Encoder.h"

namespace {

using namespace qb::uue;

[[noreturn]] void Fail(std::string_view kernel, std::string_view what) {
    std::fprintf(stderr, "kernel %.*s: %.*s\n", static_cast<int>(kernel.size()), kernel.data(),
                 static_cast<int>(what.size()), what.data());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte picks where the output starts; the rest is the file.
    if (size < 2) return 0;
    const unsigned offset = data[0] & 63;
    const std::size_t n = size - 1;
    const auto input = std::make_unique<std::uint8_t[]>(n);
    std::memcpy(input.get(), data + 1, n);
    const std::span<const std::uint8_t> in(input.get(), n);

    const std::size_t bodySize = EncodedBodySize(n);
    std::string expected;
    for (const NamedEncoder& kernel : RunnableEncoders()) {
        const auto block = std::make_unique<char[]>(offset + bodySize);
        const std::span<char> out(block.get() + offset, bodySize);
        EncodeLines(in, out, kernel.run);
        const std::string text(out.data(), out.size());
        if (expected.empty()) {
            expected = text;  // the scalar kernel comes first
            std::vector<std::uint8_t> decoded;
            try {
                decoded = qb::testing::DecodeBody(text);
            } catch (const std::exception& e) {
                Fail(kernel.name, e.what());
            }
            if (decoded.size() != n || std::memcmp(decoded.data(), input.get(), n) != 0)
                Fail(kernel.name, "decodes to other bytes");
            if (text.find(' ') != std::string::npos) Fail(kernel.name, "writes a space");
        } else if (text != expected) {
            Fail(kernel.name, "differs from the scalar kernel");
        }
    }
    return 0;
}
