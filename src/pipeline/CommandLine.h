#pragma once
#include <string>
#include <string_view>

namespace qb::pipeline {

// The part of a full command line after the program's name and the blanks that follow it.
std::wstring_view ArgumentText(std::wstring_view commandLine);

// The path the argument text names: the whole text with every double quote removed, so a quoted
// and an unquoted path (spaces and all) are the same path. Empty means no file was named.
std::wstring PathFromArgument(std::wstring_view argumentText);

}  // namespace qb::pipeline
