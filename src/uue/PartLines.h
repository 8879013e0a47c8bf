#pragma once
// A file sent in parts: each part an ordinary UUE block of a slice of the file, with one ASCII
// line before it that says which part of which file it is. Any decoder reads each part, a copy
// joins them, and the whole file's SHA-256 tells whether they were joined right.
//
//   #Quillbox part K/N size=SIZE sha256=HEX [name=NAME]
//
// K and N from 1 to 9,999, SIZE the whole file's bytes, HEX its SHA-256 in 64 lowercase digits,
// NAME the file's own name in UTF-8, percent-encoded but for A-Z a-z 0-9 - . _ ~, where the
// begin line cannot carry it exactly.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "uue/Format.h"

namespace qb::uue {

inline constexpr std::string_view kMarkerStart = "#Quillbox part ";
inline constexpr std::size_t kMaxMarkerChars = 4096;
inline constexpr std::uint32_t kMaxParts = 9999;
// The most one part may carry: what 100,000,000 characters of full lines hold.
inline constexpr std::uint64_t kMaxPartBytes = 100'000'000 / kFullLineCrLf * kBytesPerLine;

struct PartMarker {
    std::uint32_t part = 0;
    std::uint32_t count = 0;
    std::uint64_t size = 0;
    std::array<std::uint8_t, 32> sha256{};
    std::optional<std::string> name;  // UTF-8, as sent

    bool operator==(const PartMarker&) const = default;
    // Parts belong together when their counts, sizes and digests agree.
    bool SameFile(const PartMarker& other) const {
        return count == other.count && size == other.size && sha256 == other.sha256;
    }
};

std::string FormatMarker(const PartMarker& marker);
// Where the digest's 64 digits stand in the marker line, for a writer that learns it last.
std::size_t DigestAt(const PartMarker& marker);
// The marker a line holds exactly (trailing blanks aside), or nothing.
std::optional<PartMarker> ParseMarker(std::string_view line);

// The receiving end's answer, put on the clipboard after every text that brought a part of the
// file: the part it last kept and the lowest still missing (0 once none is).
//
//   #Quillbox got part K/N sha256=HEX next=J
struct Answer {
    std::uint32_t part = 0;
    std::uint32_t count = 0;
    std::array<std::uint8_t, 32> sha256{};
    std::uint32_t next = 0;

    bool operator==(const Answer&) const = default;
};
inline constexpr std::string_view kAnswerStart = "#Quillbox got part ";
inline constexpr std::size_t kMaxAnswerChars = 200;
std::string FormatAnswer(const Answer& answer);
// The answer a clipboard text is exactly (blanks and line ends after it aside), or nothing: any
// longer text, a part among them, is passed over unread.
std::optional<Answer> ParseAnswer(std::u16string_view text);

// The receiver script's first line on the clipboard, once it is listening: "#Quillbox ready".
bool IsReady(std::u16string_view text);

// Everything of a part but its body, as it goes on the clipboard: the marker line and the begin
// line of NAME.KKK before it, the closing lines and the trailer (no line end) after it.
struct PartFrame {
    std::string head, tail;
};
PartFrame FramePart(const PartMarker& marker, std::string_view headerName, std::string_view trailer);

// How a file is cut to fit a channel that takes at most `limit` characters a text, counted as the
// clipboard carries them (UTF-16 units, CR LF as two) from the marker line through the trailer.
// `marker` carries the size and the name field; the begin line's name and the trailer are
// measured in clipboard units.
struct Cut {
    enum class Kind {
        kWhole,    // the whole text fits: no parts
        kParts,    // `count` parts of `partBytes`, the last of the rest
        kTooSmall, // not one line fits: a part needs at least `minChars`
        kTooMany,  // `count` parts would be needed, more than kMaxParts
    };
    Kind kind;
    std::uint32_t count = 0;
    std::uint64_t partBytes = 0;
    std::uint64_t minChars = 0;
};
Cut CutIntoParts(const PartMarker& marker, std::uint64_t limit, std::size_t nameUnits,
                 std::size_t trailerUnits);

// A file name in UTF-8, as a marker's name= carries it.
std::string NameUtf8(std::wstring_view name);

// A part's number as its begin name carries it: as many digits as the count has, at least three.
std::string PartNumber(std::uint32_t part, std::uint32_t count);

}  // namespace qb::uue
