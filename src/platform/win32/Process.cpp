// Where the running program lives, and ending it.
#include <windows.h>

#include <string>

#include "platform/Error.h"
#include "platform/win32/Win32Platform.h"

namespace qb::platform::win32 {

void Win32Process::ExitNow(int code) { ExitProcess(static_cast<UINT>(code)); }

ProgramLocation Win32Process::Location() {
    // The path may be longer than MAX_PATH; a full buffer means it was cut, so grow and ask again.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) ThrowLastError(L"GetModuleFileName");
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return LocationOfProgram(path);
}

}  // namespace qb::platform::win32
