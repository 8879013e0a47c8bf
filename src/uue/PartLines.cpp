#include "uue/PartLines.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "product/Numbers.h"
#include "uue/Encoder.h"
#include "uue/Frame.h"

namespace qb::uue {
namespace {

constexpr char kUpperHex[] = "0123456789ABCDEF";

bool Unreserved(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A decimal number without a sign or leading zeros, then `after` (or the end of the line).
template <class Number>
bool Take(std::string_view& s, Number& value, char after) {
    if (s.empty() || s[0] == '0') return false;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (error != std::errc{}) return false;
    s.remove_prefix(static_cast<std::size_t>(end - s.data()));
    if (after == '\0') return true;
    if (s.empty() || s[0] != after) return false;
    s.remove_prefix(1);
    return true;
}

// 64 hex digits, lowercase only, as written: one spelling a file.
bool TakeDigest(std::string_view& s, std::array<std::uint8_t, 32>& digest) {
    if (s.size() < 64) return false;
    for (std::size_t i = 0; i < 32; ++i) {
        const int high = HexValue(s[2 * i]), low = HexValue(s[2 * i + 1]);
        if (high < 0 || low < 0 || (s[2 * i] >= 'A' && s[2 * i] <= 'F') ||
            (s[2 * i + 1] >= 'A' && s[2 * i + 1] <= 'F'))
            return false;
        digest[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    s.remove_prefix(64);
    return true;
}

bool Skip(std::string_view& s, std::string_view word) {
    if (!s.starts_with(word)) return false;
    s.remove_prefix(word.size());
    return true;
}

}  // namespace

namespace {

std::string UpToDigest(const PartMarker& m) {
    return std::string(kMarkerStart) + std::to_string(m.part) + "/" + std::to_string(m.count) +
           " size=" + std::to_string(m.size) + " sha256=";
}

}  // namespace

std::size_t DigestAt(const PartMarker& marker) { return UpToDigest(marker).size(); }

std::string FormatMarker(const PartMarker& m) {
    std::string line = UpToDigest(m) + product::DigestHex(m.sha256);
    if (m.name) {
        line += " name=";
        for (const char c : *m.name) {
            const auto b = static_cast<unsigned char>(c);
            if (Unreserved(c)) line += c;
            else line += {'%', kUpperHex[b >> 4], kUpperHex[b & 15]};
        }
    }
    return line;
}

std::string FormatAnswer(const Answer& answer) {
    return std::string(kAnswerStart) + std::to_string(answer.part) + "/" + std::to_string(answer.count) +
           " sha256=" + product::DigestHex(answer.sha256) + " next=" + std::to_string(answer.next);
}

bool IsReady(std::u16string_view text) {
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t' || text.back() == u'\r' || text.back() == u'\n'))
        text.remove_suffix(1);
    return text == u"#Quillbox ready";
}

std::optional<Answer> ParseAnswer(std::u16string_view text) {
    if (text.size() > kMaxAnswerChars) return std::nullopt;
    std::string s;
    for (const char16_t c : text) {
        if (c > 0x7F) return std::nullopt;
        s += static_cast<char>(c);
    }
    std::string_view rest = s;
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t' || rest.back() == '\r' || rest.back() == '\n'))
        rest.remove_suffix(1);
    Answer a;
    if (!Skip(rest, kAnswerStart) || !Take(rest, a.part, '/') || !Take(rest, a.count, ' ') ||
        !Skip(rest, "sha256=") || !TakeDigest(rest, a.sha256) || !Skip(rest, " next="))
        return std::nullopt;
    if (rest != "0" && !Take(rest, a.next, '\0')) return std::nullopt;
    if (!rest.empty() && rest != "0") return std::nullopt;
    if (a.part > a.count || a.count > kMaxParts || a.next > a.count) return std::nullopt;
    return a;
}

std::optional<PartMarker> ParseMarker(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    PartMarker m;
    if (s.size() > kMaxMarkerChars || !Skip(s, kMarkerStart) || !Take(s, m.part, '/') ||
        !Take(s, m.count, ' ') || !Skip(s, "size=") || !Take(s, m.size, ' ') || !Skip(s, "sha256=") ||
        s.size() < 64)
        return std::nullopt;
    if (m.part > m.count || m.count > kMaxParts || !TakeDigest(s, m.sha256)) return std::nullopt;
    if (s.empty()) return m;
    if (!Skip(s, " name=") || s.empty()) return std::nullopt;
    std::string name;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (Unreserved(s[i])) {
            name += s[i];
        } else if (s[i] == '%' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
            name += static_cast<char>(HexValue(s[i + 1]) << 4 | HexValue(s[i + 2]));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    m.name = std::move(name);
    return m;
}

namespace {

std::size_t Digits(std::uint64_t n) { return std::to_string(n).size(); }

}  // namespace

PartFrame FramePart(const PartMarker& marker, std::string_view headerName, std::string_view trailer) {
    return {FormatMarker(marker) + "\r\nbegin 644 " + std::string(headerName) + "." +
                PartNumber(marker.part, marker.count) + "\r\n",
            std::string(kClosingLines) + std::string(trailer)};
}

Cut CutIntoParts(const PartMarker& marker, std::uint64_t limit, std::size_t nameUnits, std::size_t trailerUnits) {
    const std::uint64_t size = marker.size;
    // Measured with the frame itself: stand-ins of the clipboard widths of the name and trailer.
    const std::string name(nameUnits, 'x'), trailer(trailerUnits, 'x');
    const std::uint64_t whole = FormatBeginLine(std::wstring(nameUnits, L'x')).size() + EncodedBodySize(size) +
                                kClosingLines.size() + trailerUnits;
    if (whole <= limit) return {Cut::Kind::kWhole};
    // Everything of a part but its body, with K and N as wide as `digits`.
    const auto overhead = [&](std::size_t digits) {
        PartMarker widest = marker;
        widest.part = widest.count = 0;
        for (std::size_t i = 0; i < digits; ++i) widest.count = widest.count * 10 + 9;
        widest.part = widest.count;
        const PartFrame frame = FramePart(widest, name, trailer);
        return static_cast<std::uint64_t>(frame.head.size() + frame.tail.size());
    };
    // The widths of K and N depend on the count, and the count on the room they leave.
    for (std::size_t digits = 1; digits <= 4; ++digits) {
        const std::uint64_t frame = overhead(digits);
        const std::uint64_t lines = limit > frame ? (limit - frame) / kFullLineCrLf : 0;
        if (lines == 0) {
            // Enough for one line a part, with the part numbers as wide as that many parts need.
            const std::uint64_t oneLineParts = (size + kBytesPerLine - 1) / kBytesPerLine;
            const std::size_t width = std::min<std::size_t>(4, Digits(oneLineParts));
            return {Cut::Kind::kTooSmall, 0, 0, overhead(width) + kFullLineCrLf};
        }
        const std::uint64_t partBytes = std::min<std::uint64_t>(lines, kMaxPartBytes / kBytesPerLine) * kBytesPerLine;
        const std::uint64_t count = (size + partBytes - 1) / partBytes;
        if (Digits(count) <= digits) return {Cut::Kind::kParts, static_cast<std::uint32_t>(count), partBytes};
        if (digits == 4) return {Cut::Kind::kTooMany, static_cast<std::uint32_t>(std::min<std::uint64_t>(count, UINT32_MAX))};
    }
    return {Cut::Kind::kTooMany};
}

std::string PartNumber(std::uint32_t part, std::uint32_t count) {
    std::string number = std::to_string(part);
    const std::size_t width = std::max<std::size_t>(3, Digits(count));
    return std::string(width - std::min(width, number.size()), '0') + number;
}

std::string NameUtf8(std::wstring_view name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char32_t c = static_cast<char32_t>(name[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() &&
            name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(name[++i]) - 0xDC00);
        else if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
        } else if (c < 0x10000) {
            out += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
                    static_cast<char>(0x80 | (c & 0x3F))};
        } else {
            out += {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
                    static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
        }
    }
    return out;
}

}  // namespace qb::uue
