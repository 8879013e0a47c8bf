#include "app/CommandLine.h"

#include <algorithm>

namespace qb::app {

std::wstring_view ArgumentText(std::wstring_view commandLine) {
    // The program name follows the system's simple rule: up to the closing quote if it starts
    // with one, else up to the first blank. No escapes apply to it.
    std::size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        const auto close = commandLine.find(L'"', 1);
        at = close == std::wstring_view::npos ? commandLine.size() : close + 1;
    } else {
        at = std::min(commandLine.find_first_of(L" \t"), commandLine.size());
    }
    while (at < commandLine.size() && (commandLine[at] == L' ' || commandLine[at] == L'\t')) ++at;
    return commandLine.substr(at);
}

Request ReadCommandLine(std::wstring_view commandLine) {
    std::wstring text(ArgumentText(commandLine));
    std::erase(text, L'"');
    if (text.empty()) return NoFile{};
    // Recognised before anything takes the text for a path; no file name can spell one.
    if (const auto step = shell::StepNamed(text)) return *step;
    return FilePath{std::move(text)};
}

}  // namespace qb::app
