#pragma once
// Numbers as the program shows them.

#include <cstdint>
#include <string>

namespace qb::platform {

// With a comma between each three digits: 1,234,567.
inline std::wstring GroupedDigits(std::uint64_t n) {
    std::wstring digits = std::to_wstring(n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, L",");
    return digits;
}

}  // namespace qb::platform
