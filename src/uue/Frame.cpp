#include "uue/Frame.h"

#include "platform/FileNames.h"
#include "platform/Platform.h"
#include "product/AppInfo.h"
#include "product/Texts.h"

namespace qb::uue {

std::string FormatBeginLine(std::wstring_view fileName) {
    return "begin 644 " + platform::NameToAnsi(platform::SafeFileName(fileName)) + "\r\n";
}

std::string FormatTrailer() {
    std::wstring trailer(product::text::kTrailerLabel);
    trailer += product::kHomePage;
    return platform::ToAnsi(trailer);
}

// A channel that strips blanks may leave "begin 644" with no name at all; that is still a begin.
std::optional<BeginLine> ParseBegin(const Line& line) {
    std::string_view s = line.head;
    Format format;
    if (s.starts_with("begin ")) format = Format::kUu, s.remove_prefix(6);
    else if (s.starts_with("begin-base64 ")) format = Format::kBase64, s.remove_prefix(13);
    else return std::nullopt;
    std::size_t digits = 0;
    while (digits < s.size() && s[digits] >= '0' && s[digits] <= '7') ++digits;
    if (digits == 0 || digits > 4) return std::nullopt;
    s.remove_prefix(digits);
    // A channel that strips blanks leaves "begin 644" of an empty name.
    if (!s.empty() && !IsBlank(s[0])) return std::nullopt;
    while (!s.empty() && IsBlank(s[0])) s.remove_prefix(1);
    BeginLine begin{format, std::string(s)};
    if (line.beyondHead) begin.name += line.tail;
    return begin;
}

// The name's bytes as text, where a long name has lost its middle: each side is cut back to a
// whole UTF-8 character so that a valid name stays valid.
std::wstring NameText(const BeginLine& begin, std::size_t headPart) {
    std::string_view name = begin.name;
    if (name.size() <= headPart) return platform::NameFromBytes(name);
    std::string_view head = name.substr(0, headPart), tail = name.substr(headPart);
    auto continuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    std::string_view h = head, t = tail;
    while (!h.empty() && continuation(h.back())) h.remove_suffix(1);
    if (!h.empty() && static_cast<unsigned char>(h.back()) >= 0xC0) h.remove_suffix(1);
    while (!t.empty() && continuation(t.front())) t.remove_prefix(1);
    const std::wstring joined = platform::NameFromBytes(std::string(h) + std::string(t));
    return joined;
}

}  // namespace qb::uue
