#pragma once
// An independent reading of UU text, written from the format's definition rather than from the
// encoder, so the two cannot share a mistake.

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qb::testing {

inline std::vector<std::uint8_t> RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> v(n);
    for (auto& b : v) b = static_cast<std::uint8_t>(rng());
    return v;
}

// Decodes body lines ("length char" + data + CR LF each) and checks their shape on the way.
inline std::vector<std::uint8_t> DecodeBody(std::string_view body) {
    std::vector<std::uint8_t> out;
    auto six = [](char c) {
        if (c < '!' || c > '`') throw std::runtime_error(std::string("bad character ") + c);
        return static_cast<unsigned>(c - 32) & 63;
    };
    while (!body.empty()) {
        const auto end = body.find("\r\n");
        if (end == std::string_view::npos) throw std::runtime_error("line without CR LF");
        const std::string_view line = body.substr(0, end);
        body.remove_prefix(end + 2);
        const unsigned count = six(line[0]);
        const std::size_t groups = (count + 2) / 3;
        if (count == 0 || line.size() != 1 + groups * 4) throw std::runtime_error("bad line length");
        if (!body.empty() && count != 45) throw std::runtime_error("short line before the last");
        for (std::size_t g = 0; g < groups; ++g) {
            const char* c = line.data() + 1 + 4 * g;
            const unsigned bits = six(c[0]) << 18 | six(c[1]) << 12 | six(c[2]) << 6 | six(c[3]);
            const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(bits >> 16),
                                           static_cast<std::uint8_t>(bits >> 8),
                                           static_cast<std::uint8_t>(bits)};
            const std::size_t take = std::min<std::size_t>(3, count - 3 * g);
            for (std::size_t i = 0; i < 3; ++i) {
                if (i < take) out.push_back(bytes[i]);
                else if (bytes[i] != 0) throw std::runtime_error("padding is not zero");
            }
        }
    }
    return out;
}

}  // namespace qb::testing
