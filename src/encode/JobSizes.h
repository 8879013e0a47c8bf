#pragma once
// Size rules of one encode job.

#include <cstdint>

namespace qb::encode {

inline constexpr std::uint64_t kClipboardLimit = 10'485'760;  // from this size on: side file
inline constexpr std::uint64_t kAskAbove = 20'000'000;        // above this size: ask first

// Bytes the body would take as UTF-16, the form the program used to hold it in. The program has
// always refused files whose body would pass 2^31 - 1 bytes that way; users and scripts know the
// limit, so it stays though the body is now kept as single bytes.
constexpr std::uint64_t LegacyBodyBytes(std::uint64_t size) {
    const std::uint64_t groups = (size - 1) / 3 + 1;
    return groups * 8 + ((groups - 1) / 15 + 1) * 6;
}
inline constexpr std::uint64_t kMaxInputSize = 766'958'445;
static_assert(LegacyBodyBytes(kMaxInputSize) <= 0x7FFF'FFFF);
static_assert(LegacyBodyBytes(kMaxInputSize + 1) > 0x7FFF'FFFF);

}  // namespace qb::encode
