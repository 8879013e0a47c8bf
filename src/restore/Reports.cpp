#include "restore/Reports.h"

#include "platform/FileNames.h"
#include "product/Numbers.h"
#include "platform/Paths.h"
#include "product/RestoreTexts.h"

namespace qb::restore {
namespace {

using namespace product::text;
using uue::ProblemKind;

using product::GroupedDigits;

// The digest's digits, all ASCII.
std::wstring Hex(const platform::Sha256Digest& digest) {
    const std::string hex = product::DigestHex(digest);
    return {hex.begin(), hex.end()};
}

std::wstring UnreadableBegin(std::uint64_t line) {
    return std::wstring(kUnreadableBeginBefore) + std::to_wstring(line) +
           std::wstring(kUnreadableBeginAfter);
}

}  // namespace

std::wstring ShownPath(std::wstring_view path) {
    const auto [in, name] = platform::SplitPath(path);
    return platform::JoinPath(in, platform::ShownName(name));
}

std::wstring NamingFile(std::wstring report, const std::wstring& path) {
    const std::wstring named = std::wstring(kInFileBefore) + path + std::wstring(kInFileAfter);
    const std::size_t end = report.ends_with(kNothingWritten) ? report.size() - kNothingWritten.size()
                            : report.ends_with(L'。')          ? report.size() - 1
                                                                : report.size();
    return report.insert(end, named);
}

std::wstring ProblemReport(const uue::Problem& problem, From from, const std::wstring& path,
                           bool several) {
    // Too many is counted over all the files, and names none.
    if (several && problem.kind != ProblemKind::kNoBegin && problem.kind != ProblemKind::kTooManyBlocks)
        return NamingFile(ProblemReport(problem, from, path), path);
    switch (problem.kind) {
    case ProblemKind::kCut:
        return std::wstring(kCutBefore) + platform::ShownName(problem.blockName) +
               std::wstring(problem.format == uue::Format::kBase64 ? kCutBase64 : kCutUu);
    case ProblemKind::kBadLine:
        return std::wstring(kBadLineBefore) + platform::ShownName(problem.blockName) +
               std::wstring(kBadLineMiddle) +
               std::to_wstring(problem.line) + std::wstring(kBadLineAfter);
    case ProblemKind::kTooManyBlocks:
        return std::wstring(kTooManyBefore) + product::GroupedDigits(problem.blockCount) +
               std::wstring(kTooManyAfter);
    case ProblemKind::kUnreadableBegin: return UnreadableBegin(problem.line);
    case ProblemKind::kNoBegin: break;
    }
    return from == From::kClipboard ? std::wstring(kNoTextOnClipboard)
                                    : std::wstring(kNoTextInFile) + path;
}

std::wstring OutcomeText(const std::vector<Restored>& files, const std::wstring& folder,
                         std::uint64_t unreadableBegin, const std::wstring& unreadablePath) {
    std::wstring last = unreadableBegin ? L"\r\n" + UnreadableBegin(unreadableBegin) : L"";
    if (unreadableBegin && !unreadablePath.empty()) last = NamingFile(last, unreadablePath);
    if (files.size() == 1) {
        return std::wstring(kRestoredFile) + ShownPath(files[0].path) +
               L"\r\n" + std::wstring(kSize) + GroupedDigits(files[0].size) + std::wstring(kBytes) +
               L"\r\n" + std::wstring(kSha256) + Hex(files[0].sha256) +
               (files[0].joined ? L"\r\n" + std::wstring(kMatchesSender) : L"") + last;
    }
    std::wstring text = std::wstring(kRestoredManyBefore) + product::GroupedDigits(files.size()) +
                        std::wstring(kRestoredManyMiddle) + folder + std::wstring(kRestoredManyAfter);
    for (std::size_t i = 0; i < files.size() && i < kListedFiles; ++i) {
        text += L"\r\n" + platform::ShownName(platform::SplitPath(files[i].path).name) + L"\r\n    " +
                std::wstring(kSize) + GroupedDigits(files[i].size) + std::wstring(kBytes) + L"    " +
                std::wstring(kSha256) + Hex(files[i].sha256) +
                (files[i].joined ? L"    " + std::wstring(kMatchesSender) : L"");
    }
    if (files.size() > kListedFiles)
        text += L"\r\n" + std::wstring(kMoreBefore) + product::GroupedDigits(files.size() - kListedFiles) +
                std::wstring(kMoreAfter);
    return text + last;
}

std::wstring FilledLinesNote(const std::vector<uue::Block>& blocks, const std::vector<std::wstring>& pathOf) {
    std::uint64_t lines = 0;
    const uue::Block* first = nullptr;
    std::size_t firstAt = 0;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        if (blocks[i].part || blocks[i].filledLines == 0) continue;
        lines += blocks[i].filledLines;
        if (!first) first = &blocks[i], firstAt = i;
    }
    if (!first) return {};
    std::wstring note = std::wstring(kFilledBefore) + std::to_wstring(first->firstFilledLine) +
                        std::wstring(kFilledMiddle) + GroupedDigits(lines) + std::wstring(kFilledAfter);
    if (firstAt < pathOf.size()) note = NamingFile(note, pathOf[firstAt]);
    return L"\r\n" + note + std::wstring(kFilledCompare);
}

}  // namespace qb::restore
