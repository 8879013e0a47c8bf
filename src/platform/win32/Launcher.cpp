// Starting other programs and asking the shell to open an address.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "platform/Error.h"
#include "platform/win32/Win32Platform.h"
#include "product/AppInfo.h"

namespace qb::platform {

std::wstring HomePageCommand() {
    // The system's own folder, not GetWindowsDirectory: on a terminal server that gives a
    // program which is not server-aware a private folder of the user's.
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    if (n == 0) ThrowLastError(L"GetSystemWindowsDirectory");
    if (n >= MAX_PATH) ThrowError(L"GetSystemWindowsDirectory", ERROR_INSUFFICIENT_BUFFER);
    return L"\"" + std::wstring(folder, n) + L"\\explorer.exe\" " +
           std::wstring(product::kHomePage);
}

namespace win32 {

void Win32Launcher::ShellOpen(std::uintptr_t owner, std::wstring_view target, int showCommand) {
    const std::string file = ToAnsi(target);
    ShellExecuteA(reinterpret_cast<HWND>(owner), "open", file.c_str(), nullptr, nullptr,
                  showCommand);
}

void Win32Launcher::StartProgram(const std::wstring& commandLine, int windowStyle) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION pi{};
    std::wstring mutableLine = commandLine;  // CreateProcessW may write into it
    if (!CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi))
        ThrowLastError(L"CreateProcess");
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

}  // namespace win32
}  // namespace qb::platform
