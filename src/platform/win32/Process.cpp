// Where the running program lives, and ending it.
#include <windows.h>

#include <optional>
#include <string>
#include <tuple>

#include "platform/Error.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"

namespace qb::platform::win32 {

void Win32Process::ExitNow(int code) { ExitProcess(static_cast<UINT>(code)); }

std::wstring Win32Process::File() {
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
    return path;
}

namespace {

// The volume and the file's index on it: two paths with the same are one file, whatever their
// names, links or case.
std::optional<std::tuple<DWORD, DWORD, DWORD>> FileIdentity(const std::wstring& path) {
    const UniqueFile file(CreateFileW(path.c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    return std::tuple{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

}  // namespace

bool Win32Process::IsThisProgram(const std::wstring& path) {
    const auto other = FileIdentity(path);
    return other && other == FileIdentity(File());
}

}  // namespace qb::platform::win32
