#include "windows/PartChoice.h"

#include "product/Numbers.h"
#include "platform/Settings.h"

namespace qb::windows {

std::wstring PartCharsText(std::uint32_t chars) {
    for (const auto& choice : kPartChoices)
        if (choice.chars == chars) return std::wstring(choice.label);
    return product::GroupedDigits(chars);
}

std::optional<std::uint32_t> ReadPartChars(std::wstring_view text) {
    for (const auto& choice : kPartChoices)
        if (choice.label == text) return choice.chars;
    while (!text.empty() && (text.front() == L' ' || text.front() == 0x3000)) text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == 0x3000)) text.remove_suffix(1);
    std::uint64_t value = 0;
    bool digits = false;
    for (const wchar_t c : text) {
        if (c == L',' || c == 0xFF0C) continue;  // a comma, ASCII or full-width
        const int digit = c >= L'0' && c <= L'9' ? c - L'0' : c >= 0xFF10 && c <= 0xFF19 ? c - 0xFF10 : -1;
        if (digit < 0) return std::nullopt;
        value = value * 10 + static_cast<unsigned>(digit);
        digits = true;
        if (value > platform::kMaxPartChars) return std::nullopt;
    }
    if (!digits || value < platform::kMinPartChars) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

}  // namespace qb::windows
