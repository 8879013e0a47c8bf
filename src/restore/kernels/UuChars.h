#pragma once
// One UU character: its 6-bit value, and flags for a '`' and for a character outside ' '..'`'.

#include <array>
#include <cstdint>

namespace qb::restore {

inline constexpr std::uint8_t kBacktickFlag = 0x40;
inline constexpr std::uint8_t kBadFlag = 0x80;

inline constexpr std::array<std::uint8_t, 256> kUuChar = [] {
    std::array<std::uint8_t, 256> t{};
    for (unsigned c = 0; c < 256; ++c)
        t[c] = c < 0x20 || c > 0x60 ? kBadFlag : static_cast<std::uint8_t>((c - 0x20) & 63);
    t['`'] |= kBacktickFlag;
    return t;
}();

inline std::uint8_t UuChar(char c) { return kUuChar[static_cast<unsigned char>(c)]; }

// Four 6-bit values to three bytes.
inline void PutGroup(const std::uint8_t v[4], std::uint8_t* out) {
    out[0] = static_cast<std::uint8_t>(v[0] << 2 | v[1] >> 4);
    out[1] = static_cast<std::uint8_t>(v[1] << 4 | v[2] >> 2);
    out[2] = static_cast<std::uint8_t>(v[2] << 6 | v[3]);
}

}  // namespace qb::restore
