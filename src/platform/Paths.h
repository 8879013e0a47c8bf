#pragma once
// Paths as text: split at the last separator, or a name joined to its folder.

#include <string>
#include <string_view>

namespace qb::platform {

// A path split at its last separator (\ or /). The directory is empty when there is none, and
// keeps its separator only at a root ("C:\", "\").
struct PathParts {
    std::wstring_view directory;
    std::wstring_view name;
};
PathParts SplitPath(std::wstring_view path);

// `name` in `folder`, with one separator between; a root such as "D:\" keeps its own.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);

}  // namespace qb::platform
