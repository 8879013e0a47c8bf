#pragma once
// Where the text of a restore comes from: the clipboard, or a file the user picks.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "restore/TextSource.h"

namespace qb::restore {

enum class From { kClipboard, kFile };

// A text to read twice, as the scanner's two passes do.
struct Input {
    From from;
    std::wstring path;  // the file's, empty for the clipboard
    std::uint64_t total = 0;  // bytes a pass reads, for its progress
    std::u16string clipboard;
    std::unique_ptr<FileBytes> file;
    std::unique_ptr<TextSource> text;
};

// The text, or nothing when the user cancelled the Open dialog. A clipboard without text is
// reported (WordedFailure) before anything else happens.
std::optional<Input> OpenInput(From from, platform::Platform& p, std::uintptr_t owner);

}  // namespace qb::restore
