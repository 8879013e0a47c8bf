#pragma once
// The choices of the parts setting and what the person may type, free of windows.h so that the
// reading of a typed number is tested on any system.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "product/Texts.h"

namespace qb::windows {

struct PartChoice {
    std::uint32_t chars;  // 0: not cut
    std::wstring_view label;
};

// The limits channels cut at, from the chats to the remote desktops.
inline constexpr std::array kPartChoices{
    PartChoice{0, product::text::kNoParts},
    PartChoice{4'000, L"4,000（QQ、Slack 等聊天软件）"},
    PartChoice{14'000, L"14,000（Microsoft Teams）"},
    PartChoice{30'000, L"30,000（论坛帖子）"},
    PartChoice{120'000, L"120,000（Azure Bastion）"},
    PartChoice{250'000, L"250,000（Guacamole）"},
    PartChoice{1'000'000, L"1,000,000（VMware Horizon 7 及更早版本）"},
};

// What the box shows for a stored value: its entry, or the number with thousands' commas.
std::wstring PartCharsText(std::uint32_t chars);

// An entry, or a number typed in ASCII or full-width digits, commas allowed, from 1,000 to
// 100,000,000; nothing for anything else.
std::optional<std::uint32_t> ReadPartChars(std::wstring_view text);

}  // namespace qb::windows
