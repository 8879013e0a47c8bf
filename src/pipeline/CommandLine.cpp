#include "pipeline/CommandLine.h"

#include <algorithm>

namespace qb::pipeline {

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

std::wstring PathFromArgument(std::wstring_view argumentText) {
    std::wstring path(argumentText);
    std::erase(path, L'"');
    return path;
}

}  // namespace qb::pipeline
