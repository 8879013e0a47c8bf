#include "platform/FileNames.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <optional>

#include "platform/Platform.h"
#include "product/Texts.h"

namespace qb::platform {
namespace {

constexpr bool IsBidiControl(char32_t c) {
    // Unicode's Bidi_Control property: the Arabic letter mark too.
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

constexpr bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// C0 and C1: U+0085 breaks a line in some programs as LF does in all.
constexpr bool IsControl(wchar_t c) { return c < 0x20 || (c >= 0x80 && c <= 0x9F); }

wchar_t Upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; }

// Windows reads a device in the part before the first dot, blanks at its end ignored.
bool IsDeviceName(std::wstring_view name) {
    std::wstring_view base = name.substr(0, name.find(L'.'));
    while (!base.empty() && IsBlank(base.back())) base.remove_suffix(1);
    std::wstring upper;
    for (const wchar_t c : base) upper += Upper(c);
    if (upper == L"CON" || upper == L"PRN" || upper == L"AUX" || upper == L"NUL" ||
        upper == L"CONIN$" || upper == L"CONOUT$")
        return true;
    if (upper.size() != 4 || (upper.substr(0, 3) != L"COM" && upper.substr(0, 3) != L"LPT")) return false;
    const wchar_t digit = upper[3];
    return (digit >= L'0' && digit <= L'9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

// Units a character takes in UTF-16: wchar_t holds whole code points on POSIX, UTF-16 on Windows.
std::size_t CharUnits(std::wstring_view s, std::size_t at) {
    if constexpr (sizeof(wchar_t) == 2) {
        const bool pair = s[at] >= 0xD800 && s[at] <= 0xDBFF && at + 1 < s.size() &&
                          s[at + 1] >= 0xDC00 && s[at + 1] <= 0xDFFF;
        return pair ? 2 : 1;
    } else {
        return (static_cast<std::uint32_t>(s[at]) >> 16) != 0 ? 2 : 1;
    }
}
std::size_t CharLength(std::wstring_view s, std::size_t at) {
    return sizeof(wchar_t) == 2 ? CharUnits(s, at) : 1;
}

std::size_t Utf16Units(std::wstring_view s) {
    std::size_t units = 0;
    for (std::size_t at = 0; at < s.size(); at += CharLength(s, at)) units += CharUnits(s, at);
    return units;
}

// The longest start of `s` that fits in `units` UTF-16 units without splitting a pair.
std::wstring_view CutToUnits(std::wstring_view s, std::size_t units) {
    std::size_t at = 0;
    for (std::size_t used = 0; at < s.size();) {
        used += CharUnits(s, at);
        if (used > units) break;
        at += CharLength(s, at);
    }
    return s.substr(0, at);
}

void TrimTrailingDotsAndBlanks(std::wstring& s) {
    while (!s.empty() && (s.back() == L'.' || IsBlank(s.back()))) s.pop_back();
}

// The stem is cut, the extension kept, unless the extension alone leaves no room for a stem.
std::wstring CutKeepingExtension(const std::wstring& name) {
    const std::size_t dot = name.rfind(L'.');
    const std::wstring_view whole(name);
    if (dot == std::wstring::npos || dot == 0) return std::wstring(CutToUnits(whole, kMaxNameUnits));
    const std::wstring_view ext = whole.substr(dot);
    const std::size_t extUnits = Utf16Units(ext);
    if (extUnits >= kMaxNameUnits) return std::wstring(CutToUnits(whole, kMaxNameUnits));
    std::wstring out(CutToUnits(whole.substr(0, dot), kMaxNameUnits - extUnits));
    out += ext;
    return out;
}

// Valid UTF-8 (no overlongs, surrogates or values past U+10FFFF) as code points, or nothing.
std::optional<std::u32string> DecodeUtf8(std::string_view bytes) {
    std::u32string out;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        std::size_t n;
        char32_t c;
        if (b < 0x80) { n = 1; c = b; }
        else if (b >= 0xC2 && b <= 0xDF) { n = 2; c = b & 0x1F; }
        else if (b >= 0xE0 && b <= 0xEF) { n = 3; c = b & 0x0F; }
        else if (b >= 0xF0 && b <= 0xF4) { n = 4; c = b & 0x07; }
        else return std::nullopt;
        if (i + n > bytes.size()) return std::nullopt;
        for (std::size_t k = 1; k < n; ++k) {
            const auto t = static_cast<unsigned char>(bytes[i + k]);
            if ((t & 0xC0) != 0x80) return std::nullopt;
            c = c << 6 | (t & 0x3F);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < least[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
        out += c;
        i += n;
    }
    return out;
}

void AppendCodePoint(std::wstring& out, char32_t c) {
    if (sizeof(wchar_t) == 2 && c > 0xFFFF) {
        out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        out += static_cast<wchar_t>(c);
    }
}

}  // namespace

std::wstring SafeFileName(std::wstring_view name) {
    constexpr std::wstring_view kForbidden = L"\\/:*?\"<>|";
    std::wstring safe(name);
    for (auto& c : safe)
        if (IsControl(c) || kForbidden.find(c) != kForbidden.npos || IsBidiControl(static_cast<char32_t>(c)))
            c = L'_';
    if (IsDeviceName(safe)) safe.insert(0, 1, L'_');
    return safe;
}

std::wstring RestoredFileName(std::wstring_view headerName) {
    const std::size_t slash = headerName.find_last_of(L"/\\");
    if (slash != std::wstring_view::npos) headerName.remove_prefix(slash + 1);
    std::wstring name(headerName);
    // A cut can leave blanks or a device name at the end of a stem, and the '_' before a device
    // can make the name too long again: repeat until nothing changes.
    for (std::wstring before; before != name;) {
        before = name;
        TrimTrailingDotsAndBlanks(name);
        name = SafeFileName(name);
        if (Utf16Units(name) > kMaxNameUnits) name = CutKeepingExtension(name);
    }
    if (name.empty()) return std::wstring(product::text::kUnnamed);
    return name;
}

std::wstring NameFromBytes(std::string_view bytes) {
    const auto decoded = DecodeUtf8(bytes);
    if (!decoded) return FromAnsi(bytes);
    std::wstring out;
    for (const char32_t c : *decoded) AppendCodePoint(out, c);
    return out;
}

std::wstring NumberedName(std::wstring_view name, int number) {
    const std::wstring tag = L" (" + std::to_wstring(number) + L")";
    std::size_t dot = name.rfind(L'.');
    if (dot == std::wstring_view::npos || dot == 0 ||
        Utf16Units(name.substr(dot)) + tag.size() >= kMaxNameUnits)
        dot = name.size();
    const std::wstring_view extension = name.substr(dot);
    const std::size_t room = kMaxNameUnits - tag.size() - Utf16Units(extension);
    return std::wstring(CutToUnits(name.substr(0, dot), room)) + tag + std::wstring(extension);
}

std::wstring ShownName(std::wstring_view name) {
    constexpr std::size_t kShownUnits = 80;
    std::wstring shown;
    for (const wchar_t c : name) {
        // The invisible and fixed-width spaces (U+2000 to U+200B) and the BOM too, so that none
        // can stretch a name across the box.
        const bool blank = c == L' ' || c == L'\t' || c == 0x00A0 || c == 0x3000 || c == 0x2028 ||
                           c == 0x2029 || c == 0x0085 || (c >= 0x2000 && c <= 0x200B) || c == 0xFEFF;
        if (!blank) shown += c;
        else if (shown.empty() || shown.back() != L' ') shown += L' ';
    }
    if (Utf16Units(shown) <= kShownUnits) return shown;
    const std::size_t half = (kShownUnits - 1) / 2;
    const std::wstring_view head = CutToUnits(shown, half);
    // The tail as long as the head, counted from the end, never splitting a pair.
    std::size_t from = shown.size();
    for (std::size_t units = 0; from > 0;) {
        std::size_t start = from - 1;
        if (sizeof(wchar_t) == 2 && start > 0 && shown[start] >= 0xDC00 && shown[start] <= 0xDFFF &&
            shown[start - 1] >= 0xD800 && shown[start - 1] <= 0xDBFF)
            --start;
        units += CharUnits(shown, start);
        if (units > half) break;
        from = start;
    }
    return std::wstring(head) + L"\u2026" + shown.substr(from);
}

bool SameFileName(std::wstring_view a, std::wstring_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](wchar_t x, wchar_t y) {
        return std::towupper(static_cast<std::wint_t>(x)) == std::towupper(static_cast<std::wint_t>(y));
    });
}

}  // namespace qb::platform
