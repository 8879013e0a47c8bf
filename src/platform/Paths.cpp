#include "platform/Paths.h"

namespace qb::platform {

PathParts SplitPath(std::wstring_view path) {
    const auto slash = path.find_last_of(L"\\/");
    if (slash == std::wstring_view::npos) return {{}, path};
    // A root keeps its separator: "C:" alone would mean the current folder of drive C.
    const bool root = slash == 0 || (slash == 2 && path[1] == L':');
    return {path.substr(0, root ? slash + 1 : slash), path.substr(slash + 1)};
}

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
    std::wstring path(folder);
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    return path += name;
}

}  // namespace qb::platform
