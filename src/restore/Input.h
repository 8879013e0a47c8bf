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
#include <vector>

#include "platform/Failure.h"
#include "platform/Platform.h"
#include "product/ExitCodes.h"
#include "product/Texts.h"
#include "restore/TextSource.h"
#include "uue/TextScanner.h"

namespace qb::restore {

enum class From { kClipboard, kFile };

// One text to restore from: the clipboard's, or a file's.
struct Source {
    std::wstring path;  // the file's, empty for the clipboard
    std::unique_ptr<ByteSource> bytes;
    std::unique_ptr<TextSource> text;
    std::size_t blocks = 0;  // how many of the check's blocks are its own, after those before it
};

// The texts checked, to be decoded next: one, or several files picked at once, each read as a
// text of its own and restored together.
struct Input {
    From from;
    std::vector<Source> sources;
    std::uint64_t total = 0;  // bytes the decoding pass reads, for its progress
    uue::ScanResult check;    // every source's blocks in turn, or the first problem
    std::wstring problemPath;     // of several files, the one the problem is in
    std::wstring unreadablePath;  // of several files, the one check.unreadableBegin is in

    const std::wstring& Path() const { return sources.front().path; }
    bool Several() const { return sources.size() > 1; }
    // Of several files, the one each block is in; empty for one text.
    std::vector<std::wstring> BlockPaths() const;
};

// The text and what its check found, or nothing when the user cancelled the Open dialog or
// stopped the check. A clipboard without text is reported (WordedFailure).
std::optional<Input> ReadAndCheck(From from, platform::Platform& p, std::uintptr_t owner);

// What `read` returns; a failure to read worded as one of `path`'s.
template <class Read>
auto ReadingFrom(const std::wstring& path, Read read) {
    try {
        return read();
    } catch (const platform::Error& e) {
        throw platform::WordedFailure(product::kReadFailed,
                                      platform::FailureReport(std::wstring(product::text::kCannotRead) + path, e));
    }
}

// Runs `pass` on a worker while the Ui waits for it, its window under `heading`; whatever the
// pass threw is thrown here, a read failure worded as one of `path`.
uue::ScanResult RunPass(platform::Platform& p, std::wstring_view heading, const std::wstring& path,
                        platform::JobProgress& progress,
                        const std::function<uue::ScanResult()>& pass);

}  // namespace qb::restore
