#pragma once
// Numbers as the program shows and writes them.

#include <cstdint>
#include <span>
#include <string>

namespace qb::product {

// With a comma between each three digits: 1,234,567.
inline std::wstring GroupedDigits(std::uint64_t n) {
    std::wstring digits = std::to_wstring(n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, L",");
    return digits;
}

// A digest as people compare it: lowercase hex digits.
inline std::string DigestHex(std::span<const std::uint8_t> digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const auto b : digest) hex += {kDigits[b >> 4], kDigits[b & 15]};
    return hex;
}

}  // namespace qb::product
