#pragma once
// The lines around a body: written once here for the encoding road, read here for the restore.
// A file's frame is its begin line and its closing lines; a text ends in one trailer line after
// the last frame, which decoders pass over as surrounding text.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qb::uue {

enum class Format { kUu, kBase64 };

// "begin 644 NAME" CR LF in the ANSI code page. The name holds no folder, drive, stream or
// device: each character Windows forbids in a file name, like each one the code page lacks,
// becomes '_', and a device name gets '_' before it.
std::string FormatBeginLine(std::wstring_view fileName);
// A UU body's closing lines: the zero-count line and "end".
inline constexpr std::string_view kClosingLines = "`\r\nend\r\n";
inline constexpr std::string_view kUuEnd = "end";
inline constexpr std::string_view kBase64End = "====";
// The home page line that ends a text, in the ANSI code page, without a line end.
std::string FormatTrailer();

// Reading. A line longer than kHead is kept as its first kHead bytes, whether the rest is all
// blanks, and (for a begin line) its last kTail bytes: enough of a long name for its start and
// extension.
inline constexpr std::size_t kHead = 1040;
inline constexpr std::size_t kTail = 1024;

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

struct Line {
    std::string_view head;  // the whole line, or its first kHead bytes
    bool beyondHead;        // something but blanks follows the head
    std::string_view tail;  // of a long line: its last bytes after the head
};

struct BeginLine {
    enum class Kind {
        kNone,        // surrounding text, such as a chat line that starts with the word "begin"
        kBegin,
        kUnreadable,  // "begin", a form of it, blanks and a digit, and then what no decoder reads
    };
    Kind kind = Kind::kNone;
    Format format = Format::kUu;
    std::string name;
    // What stands before "begin", where a block is quoted in a mail or indented in a chat: '>',
    // blanks and tabs only, at most kMaxPrefix of them. Every line of the block carries it.
    std::string prefix;
    std::size_t nameFromHead = 0;  // bytes of `name` from the line's head, before its tail
};
inline constexpr std::size_t kMaxPrefix = 16;

// "begin MODE NAME", "begin-base64 MODE NAME", or GNU's "begin-encoded" and
// "begin-base64-encoded" whose NAME is Base64: the prefix, blanks between the fields, one to six
// octal digits. A byte order mark before it (two texts joined) is passed over.
BeginLine ParseBegin(const Line& line);
// Whether a long line may be a begin line, so that the end of its name is kept.
bool MayBeBegin(std::string_view head);

// A text ends in its trailer without a line end, so a second text (or part) pasted right after
// it glues its first line to that trailer. Where a line is the trailer, in UTF-8 or the ANSI code
// page, followed by a marker, "begin " or "begin-base64 ", the bytes the trailer takes, for the
// rest to be read as a line of its own; else 0.
std::size_t GluedToTrailer(std::string_view line);

// The name's bytes as text, where a long name has lost its middle after `headPart` bytes.
std::wstring NameText(const BeginLine& begin, std::size_t headPart);

}  // namespace qb::uue
