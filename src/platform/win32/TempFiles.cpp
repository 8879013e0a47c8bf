#include "platform/win32/TempFiles.h"

#include <algorithm>
#include <atomic>
#include <cwchar>

#include "platform/Error.h"
#include "platform/Paths.h"

namespace qb::platform::win32 {

std::wstring CreateTemporaryFile(const std::wstring& folder, UniqueFile& file, DWORD access,
                                 DWORD flags) {
    static std::atomic<DWORD> calls{0};
    DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16) ^ (calls++ * 2654435761u);
    for (int attempt = 0;; ++attempt, seed = seed * 1664525u + 1013904223u) {
        wchar_t name[16];
        swprintf(name, 16, L"qb%08lx.tmp", static_cast<unsigned long>(seed));
        std::wstring path = JoinPath(folder, name);
        file.reset(CreateFileW(path.c_str(), access, 0, nullptr, CREATE_NEW, flags, nullptr));
        if (file) return path;
        const DWORD code = GetLastError();
        if ((code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) || attempt == 100)
            ThrowError(L"CreateFile", code);
    }
}

DWORD WriteWhole(HANDLE file, const void* bytes, std::size_t size) {
    constexpr std::size_t kChunk = std::size_t{1} << 30;  // WriteFile takes a 32-bit count
    const auto* at = static_cast<const char*>(bytes);
    for (std::size_t done = 0; done < size;) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min(size - done, kChunk));
        if (!WriteFile(file, at + done, chunk, &written, nullptr)) return GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        done += written;
    }
    return ERROR_SUCCESS;
}

bool IsReadOnly(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

DWORD MoveWhenFree(const std::wstring& from, const std::wstring& to, DWORD flags) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), flags)) return ERROR_SUCCESS;
        const DWORD code = GetLastError();
        const bool held = code == ERROR_SHARING_VIOLATION ||
                          (code == ERROR_ACCESS_DENIED && (flags & MOVEFILE_REPLACE_EXISTING));
        if (!held || attempt == 20) return code;
        Sleep(50);
    }
}

}  // namespace qb::platform::win32
