#pragma once
// The command line, read once: what the program was asked to do.

#include <string>
#include <string_view>
#include <variant>

#include "shell/ContextMenu.h"

namespace qb::app {

// Nothing named: the set-up road.
struct NoFile {};
// A path as typed, every double quote removed, so a quoted and an unquoted path (spaces and all)
// are the same path. Nothing else is trimmed or split.
struct FilePath {
    std::wstring path;
};
// The elevated second copy's private step.
using Request = std::variant<NoFile, FilePath, shell::Step>;

Request ReadCommandLine(std::wstring_view commandLine);

// The part of a full command line after the program's name and the blanks that follow it.
std::wstring_view ArgumentText(std::wstring_view commandLine);

}  // namespace qb::app
