#include "platform/Platform.h"

namespace qb::platform {

ProgramLocation LocationOfProgram(std::wstring_view path) {
    const auto slash = path.find_last_of(L"\\/");
    std::wstring_view directory;
    std::wstring_view file = path;
    if (slash != std::wstring_view::npos) {
        // A drive root keeps its backslash: "C:" alone would mean the current folder of drive C.
        const bool driveRoot = slash == 2 && path[1] == L':';
        directory = path.substr(0, driveRoot ? slash + 1 : slash);
        file = path.substr(slash + 1);
    }
    const auto dot = file.find_last_of(L'.');
    if (dot != std::wstring_view::npos && dot > 0) file = file.substr(0, dot);
    return {std::wstring(directory), std::wstring(file)};
}

}  // namespace qb::platform
