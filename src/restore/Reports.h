#pragma once
// What a restore tells the user: a problem found in the text, and the outcome.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Hash.h"
#include "restore/Input.h"
#include "uue/TextScanner.h"

namespace qb::restore {

// `path` is the file's the problem is in; `several`, that it is one of several picked at once, so
// the report names it.
std::wstring ProblemReport(const uue::Problem& problem, From from, const std::wstring& path,
                           bool several = false);

// A path whose file name came from a text, as a report shows it: the name as the outcome shows
// names (ShownName), the folder as it is.
std::wstring ShownPath(std::wstring_view path);

// The report with "（文件 PATH）" before its last sentence's end.
std::wstring NamingFile(std::wstring report, const std::wstring& path);

// A restored file as the outcome lists it.
struct Restored {
    std::wstring path;
    std::uint64_t size;
    platform::Sha256Digest sha256;
    bool joined = false;  // a set of parts, its digest checked against the sender's
};

// One file on three lines, or several with a line each for the first ten; last, the first line
// that looked like a begin line but could not be read, where there was one.
std::wstring OutcomeText(const std::vector<Restored>& files, const std::wstring& folder,
                         std::uint64_t unreadableBegin, const std::wstring& unreadablePath = {});

// The line the outcome ends with when lines of blocks outside any set of parts were completed
// with zeros (a set's digest checks its parts): the first such line, with its file's path of
// several (`pathOf`, one a block), and how many in all. Empty when there were none.
std::wstring FilledLinesNote(const std::vector<uue::Block>& blocks,
                             const std::vector<std::wstring>& pathOf = {});

}  // namespace qb::restore
