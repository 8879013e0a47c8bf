#pragma once
// The lines of a text as the scanner sees them: never more than a bounded part of one, and the
// begin line that starts a block.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "restore/TextScanner.h"

namespace qb::restore {

// A line longer than this is kept as its first kHead bytes, whether the rest is all blanks, and
// (for a begin line) its last kTail bytes: enough of a long name for its start and extension.
inline constexpr std::size_t kHead = 1040;
inline constexpr std::size_t kTail = 1024;

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

struct Line {
    std::string_view head;  // the whole line, or its first kHead bytes
    bool beyondHead;        // something but blanks follows the head
    std::string_view tail;  // of a long line: its last bytes after the head
};

struct BeginLine {
    Format format;
    std::string name;
};

// "begin MODE NAME" or "begin-base64 MODE NAME": one to four octal digits, blanks, the name.
std::optional<BeginLine> ParseBegin(const Line& line);

// The name's bytes as text, where a long name has lost its middle after `headPart` bytes.
std::wstring NameText(const BeginLine& begin, std::size_t headPart);

// A Base64 character's value; 0xFF for any other character.
std::uint8_t Base64Value(char c);

}  // namespace qb::restore
