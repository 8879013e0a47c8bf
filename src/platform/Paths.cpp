#include "platform/Platform.h"

namespace qb::platform {

PathParts SplitPath(std::wstring_view path) {
    const auto slash = path.find_last_of(L"\\/");
    if (slash == std::wstring_view::npos) return {{}, path};
    // A root keeps its separator: "C:" alone would mean the current folder of drive C.
    const bool root = slash == 0 || (slash == 2 && path[1] == L':');
    return {path.substr(0, root ? slash + 1 : slash), path.substr(slash + 1)};
}

ProgramLocation LocationOfProgram(std::wstring_view path) {
    const auto [directory, file] = SplitPath(path);
    const auto dot = file.find_last_of(L'.');
    const auto name = dot != std::wstring_view::npos && dot > 0 ? file.substr(0, dot) : file;
    return {std::wstring(directory), std::wstring(name)};
}

}  // namespace qb::platform
