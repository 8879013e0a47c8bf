#include "uue/Frame.h"

#include <cstdint>
#include <tuple>

#include "platform/FileNames.h"
#include "platform/Platform.h"
#include "product/AppInfo.h"
#include "product/Texts.h"
#include "uue/Format.h"
#include "uue/PartLines.h"

namespace qb::uue {

std::string FormatBeginLine(std::wstring_view fileName) {
    return "begin 644 " + platform::NameToAnsi(platform::SafeFileName(fileName)) + "\r\n";
}

std::string FormatTrailer() {
    std::wstring trailer(product::text::kTrailerLabel);
    trailer += product::kHomePage;
    return platform::ToAnsi(trailer);
}

std::size_t GluedToTrailer(std::string_view line) {
    static const std::string kTrailers[] = {
        NameUtf8(std::wstring(product::text::kTrailerLabel) + std::wstring(product::kHomePage)),
        FormatTrailer()};
    for (const std::string& trailer : kTrailers) {
        if (!line.starts_with(trailer)) continue;
        const std::string_view rest = line.substr(trailer.size());
        for (const std::string_view start : {kMarkerStart, std::string_view("begin "), std::string_view("begin-base64 ")})
            if (rest.starts_with(start)) return trailer.size();
    }
    return 0;
}

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// The text after a BOM and the prefix, where it starts with "begin"; the prefix through `prefix`.
std::optional<std::string_view> AfterPrefix(std::string_view s, std::string* prefix = nullptr) {
    if (s.starts_with(kBom)) s.remove_prefix(kBom.size());
    std::size_t n = 0;
    while (n < s.size() && n <= kMaxPrefix && (s[n] == '>' || IsBlank(s[n]))) ++n;
    if (n > kMaxPrefix || !s.substr(n).starts_with("begin")) return std::nullopt;
    if (prefix) *prefix = s.substr(0, n);
    return s.substr(n);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<std::string> FromBase64(std::string_view text) {
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (const char c : text) {
        if (c == '=') break;
        const std::uint8_t v = Base64Value(c);
        if (v == 0xFF) return std::nullopt;
        bits = bits << 6 | v;
        if ((count += 6) >= 8) out += static_cast<char>(bits >> (count -= 8));
    }
    return out;
}

}  // namespace

bool MayBeBegin(std::string_view head) { return AfterPrefix(head).has_value(); }

// A channel that strips blanks may leave "begin 644" with no name at all; that is still a begin.
BeginLine ParseBegin(const Line& line) {
    BeginLine begin;
    const auto after = AfterPrefix(line.head, &begin.prefix);
    if (!after) return begin;
    std::string_view s = after->substr(5);
    bool encoded = false;
    for (const auto& [form, base64, named] :
         {std::tuple{"-base64-encoded", true, true}, std::tuple{"-base64", true, false},
          std::tuple{"-encoded", false, true}, std::tuple{"", false, false}}) {
        if (!s.starts_with(form)) continue;
        s.remove_prefix(std::string_view(form).size());
        begin.format = base64 ? Format::kBase64 : Format::kUu;
        encoded = named;
        break;
    }
    // Only a form of "begin", blanks and a digit make a header: "begin the meeting" is a chat.
    std::size_t blanks = 0;
    while (blanks < s.size() && IsBlank(s[blanks])) ++blanks;
    if (blanks == 0 || blanks == s.size() || !IsDigit(s[blanks])) return begin;
    s.remove_prefix(blanks);
    begin.kind = BeginLine::Kind::kUnreadable;
    std::size_t digits = 0;
    while (digits < s.size() && s[digits] >= '0' && s[digits] <= '7') ++digits;
    if (digits > 6 || (digits < s.size() && !IsBlank(s[digits]))) return begin;
    s.remove_prefix(digits);
    while (!s.empty() && IsBlank(s[0])) s.remove_prefix(1);
    std::string name(s);
    begin.nameFromHead = name.size();
    if (line.beyondHead) name += line.tail;
    if (encoded) {
        auto decoded = FromBase64(name);
        if (!decoded) return begin;
        name = std::move(*decoded);
        begin.nameFromHead = name.size();
    }
    begin.kind = BeginLine::Kind::kBegin;
    begin.name = std::move(name);
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
