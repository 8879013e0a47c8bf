#pragma once
// Where the text of a restore comes from, and its first pass: the clipboard's text is checked
// where the clipboard keeps it and, when it holds a block, copied once to a scratch file to be
// decoded from there; a file the user picks is kept open from the check to the end, closed to
// writers.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"
#include "restore/TextSource.h"
#include "uue/TextScanner.h"

namespace qb::restore {

enum class From { kClipboard, kFile };

// A text checked, to be decoded next.
struct Input {
    From from;
    std::wstring path;        // the file's, empty for the clipboard
    std::uint64_t total = 0;  // bytes the decoding pass reads, for its progress
    std::unique_ptr<ByteSource> bytes;
    std::unique_ptr<TextSource> text;
    uue::ScanResult check;
};

// The text and what its check found, or nothing when the user cancelled the Open dialog or
// stopped the check. A clipboard without text is reported (WordedFailure).
std::optional<Input> ReadAndCheck(From from, platform::Platform& p, std::uintptr_t owner);

// Runs `pass` on a worker while the Ui waits for it, its window under `heading`; whatever the
// pass threw is thrown here, a read failure worded as one of `path`.
uue::ScanResult RunPass(platform::Platform& p, std::wstring_view heading, const std::wstring& path,
                        platform::JobProgress& progress,
                        const std::function<uue::ScanResult()>& pass);

}  // namespace qb::restore
