#pragma once
// The UU line as both roads see it: 45 bytes a line, written as a count character, 15 groups of
// four characters and the line end; and its alphabet, where the value 0 is written as '`', never
// as a blank, so that a text survives a channel that trims trailing blanks.

#include <array>
#include <cstddef>
#include <cstdint>

namespace qb::uue {

inline constexpr std::size_t kBytesPerLine = 45;
inline constexpr std::size_t kGroupsPerLine = kBytesPerLine / 3;
inline constexpr std::size_t kDataChars = 4 * kGroupsPerLine;        // 60
inline constexpr std::size_t kFullLineChars = 1 + kDataChars;        // 'M' and the data: 61
inline constexpr std::size_t kFullLineCrLf = kFullLineChars + 2;     // 63
inline constexpr char kFullLineCount = static_cast<char>(' ' + kBytesPerLine);  // 'M'

// Bytes the body would take as UTF-16, the form the program used to hold it in. The program has
// always refused files whose body would pass 2^31 - 1 bytes that way; users and scripts know the
// limit, so it stays though the body is now kept as single bytes.
constexpr std::uint64_t LegacyBodyBytes(std::uint64_t size) {
    const std::uint64_t groups = (size - 1) / 3 + 1;
    return groups * 8 + ((groups - 1) / 15 + 1) * 6;
}
// The most the encoding road takes, and so the most a file sent in parts may be.
inline constexpr std::uint64_t kMaxInputSize = 766'958'445;
static_assert(LegacyBodyBytes(kMaxInputSize) <= 0x7FFF'FFFF);
static_assert(LegacyBodyBytes(kMaxInputSize + 1) > 0x7FFF'FFFF);

// Characters a line of `count` bytes takes, its count character included, before its line end.
constexpr std::size_t LineChars(std::size_t count) { return 1 + 4 * ((count + 2) / 3); }

constexpr char EncodeSixBits(unsigned v) { return v == 0 ? '`' : static_cast<char>(v + 32); }

// Reading: each character's 6-bit value, and flags for a '`' and for one outside ' '..'`'.
inline constexpr std::uint8_t kBacktickFlag = 0x40;
inline constexpr std::uint8_t kBadFlag = 0x80;
inline constexpr std::uint8_t kValueMask = 63;

inline constexpr std::array<std::uint8_t, 256> kUuChar = [] {
    std::array<std::uint8_t, 256> t{};
    for (unsigned c = 0; c < 256; ++c)
        t[c] = c < 0x20 || c > 0x60 ? kBadFlag : static_cast<std::uint8_t>((c - 0x20) & kValueMask);
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

// A Base64 character's value; 0xFF for any other character.
constexpr std::uint8_t Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<std::uint8_t>(c - 'A');
    if (c >= 'a' && c <= 'z') return static_cast<std::uint8_t>(c - 'a' + 26);
    if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0' + 52);
    if (c == '+') return 62;
    if (c == '/') return 63;
    return 0xFF;
}

}  // namespace qb::uue
