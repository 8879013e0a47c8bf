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

// "NAME.001" gives "NAME": a part's begin name without its number.
std::string_view WithoutPartNumber(std::string_view name);

}  // namespace qb::uue
