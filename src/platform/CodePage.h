#pragma once
// Text at the edge of the program, in the system's ANSI code page.

#include <optional>
#include <string>
#include <string_view>

namespace qb::platform {

// Text leaves the program in the system's ANSI code page (936 for the users we write for).
std::string ToAnsi(std::wstring_view text);
// Text in the ANSI code page as the program holds it; a byte the code page has no character for
// becomes U+FFFD.
std::wstring FromAnsi(std::string_view text);
// A file name for the header: every character the code page lacks becomes one '_' (a surrogate
// pair is one character), never '?' nor a best-fit look-alike such as a backslash for a yen sign.
std::string NameToAnsi(std::wstring_view name);
// The text only if every character has its own place in the code page.
std::optional<std::string> ToAnsiExactly(std::wstring_view text);

}  // namespace qb::platform
