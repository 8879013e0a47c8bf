#pragma once
// The rules for names a decoder on Windows writes to: the one every header name follows, and the
// stricter one for a name read from a text that anyone may have written.

#include <string>
#include <string_view>

namespace qb::platform {

// Each character Windows forbids in a file name (\ / : * ? " < > | and 0 to 31), each C1 control
// (U+0080 to U+009F) and each bidirectional control becomes '_'; a device name (CON, aux.c, "nul..txt", COM¹, ...) gets a
// '_' before it.
std::wstring SafeFileName(std::wstring_view name);

// The name to restore a file under, from a header name treated as hostile: its last part only,
// SafeFileName, no trailing dots or blanks, at most 255 UTF-16 units with the extension kept;
// "未命名" when nothing is left.
std::wstring RestoredFileName(std::wstring_view headerName);

// Header name bytes as text: UTF-8 if they are valid UTF-8, else the ANSI code page.
std::wstring NameFromBytes(std::string_view bytes);

inline constexpr std::size_t kMaxNameUnits = 255;
// The longest path the Windows calls take without the \\?\ prefix, its NUL not counted.
inline constexpr std::size_t kMaxPathUnits = 259;

// "a.txt" with 2 gives "a (2).txt"; a name without an extension, or one that only starts with a
// dot (".profile"), takes the number at its end. The stem is cut so that the whole still fits
// kMaxNameUnits, never between the two halves of a surrogate pair.
std::wstring NumberedName(std::wstring_view name, int number);

// A name as a box shows it, so that it cannot pass for lines of the box's own: each run of blanks
// (space, no-break space, ideographic space, tab, U+2000 to U+200B, U+FEFF) and each line or
// paragraph separator (U+0085 too) as one space, and a name over 80 UTF-16 units cut in the middle with "…". Never a file's name.
std::wstring ShownName(std::wstring_view name);

// Whether two names are the same file name to Windows, which ignores case.
bool SameFileName(std::wstring_view a, std::wstring_view b);

}  // namespace qb::platform
