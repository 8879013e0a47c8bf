#pragma once
// What the program says about itself: shown in captions, the About box and the trailer line.

#include <cstdint>
#include <string_view>

namespace qb::product {

inline constexpr std::wstring_view kTitle = L"Quillbox";
inline constexpr std::wstring_view kHomePage = L"http://quillbox.example.com/";

struct Version {
    std::uint16_t major, minor, revision;
};
inline constexpr Version kVersion{1, 0, 0};

}  // namespace qb::product
