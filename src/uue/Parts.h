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
// The marker a line holds exactly (trailing blanks aside), or nothing.
std::optional<PartMarker> ParseMarker(std::string_view line);

// The receiving end's answer, put on the clipboard after every text that brought a part of the
// file: the part it last kept and the lowest still missing (0 once none is).
//
//   #Quillbox got part K/N sha256=HEX next=J
struct Acknowledgement {
    std::uint32_t part = 0;
    std::uint32_t count = 0;
    std::array<std::uint8_t, 32> sha256{};
    std::uint32_t next = 0;

    bool operator==(const Acknowledgement&) const = default;
};
inline constexpr std::string_view kAcknowledgementStart = "#Quillbox got part ";
std::string FormatAcknowledgement(const Acknowledgement& ack);
// The acknowledgement a text holds exactly (blanks and line ends after it aside), or nothing.
std::optional<Acknowledgement> ParseAcknowledgement(std::string_view text);

// How a file is cut to fit a channel that takes at most `limit` characters a text, counted as the
// clipboard carries them (UTF-16 units, CR LF as two) from the marker line through the trailer.
struct PartText {
    std::size_t nameUnits;     // the begin line's file name, without the part number
    std::size_t nameField;     // " name=…" in the marker, or 0
    std::size_t trailerUnits;  // the trailer line, which ends the text without a line end
};
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
Cut CutIntoParts(std::uint64_t size, std::uint64_t limit, const PartText& text);

// A file name in UTF-8, as a marker's name= carries it.
std::string NameUtf8(std::wstring_view name);

// A part's number as its begin name carries it: as many digits as the count has, at least three.
std::string PartNumber(std::uint32_t part, std::uint32_t count);

}  // namespace qb::uue
