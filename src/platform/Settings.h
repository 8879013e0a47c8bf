#pragma once
// What Quillbox keeps for the user, per user and without elevation: the one setting, the longest
// text a part of a file may be (HKEY_CURRENT_USER\Software\Quillbox, PartChars, REG_DWORD).

#include <cstdint>

namespace qb::platform {

inline constexpr std::uint32_t kMinPartChars = 1'000;
inline constexpr std::uint32_t kMaxPartChars = 100'000'000;

class Settings {
public:
    virtual ~Settings() = default;
    // The characters a part may take; 0, for not cutting at all, when none is stored or the one
    // stored is out of range.
    virtual std::uint32_t PartChars() = 0;
    // Stores it; 0 removes it, and the key once nothing else is in it. Throws Error if refused.
    virtual void SetPartChars(std::uint32_t chars) = 0;
};

}  // namespace qb::platform
