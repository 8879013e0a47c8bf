#pragma once
// Files for the Wine tests, made and read through the Windows API the program itself uses.

#include <windows.h>

#include <string>
#include <vector>

#include "../native/UuTestSupport.h"  // RandomBytes

namespace qb::testing {

inline bool WriteWhole(const std::wstring& path, const void* data, std::size_t n) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(f, data, static_cast<DWORD>(n), &written, nullptr) && written == n;
    CloseHandle(f);
    return ok;
}

inline void WriteFileBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    WriteWhole(path, bytes.data(), bytes.size());
}

inline std::string ReadFileBytes(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    LARGE_INTEGER size;
    GetFileSizeEx(f, &size);
    std::string s(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    ReadFile(f, s.data(), static_cast<DWORD>(s.size()), &got, nullptr);
    CloseHandle(f);
    s.resize(got);
    return s;
}

inline bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::vector<std::wstring> ListDir(const std::wstring& dir) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        if (wcscmp(d.cFileName, L".") && wcscmp(d.cFileName, L"..")) names.push_back(d.cFileName);
    } while (FindNextFileW(h, &d));
    FindClose(h);
    return names;
}

// A fresh folder under the temporary directory, removed with everything in it afterwards.
class ScratchDir {
public:
    ScratchDir() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + L"qb" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(counter_++);
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchDir() { RemoveTree(path_); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }
    const std::wstring& path() const { return path_; }

private:
    static void RemoveTree(const std::wstring& dir) {
        for (const auto& n : ListDir(dir)) {
            const std::wstring path = dir + L"\\" + n;
            if (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
                continue;
            }
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
        RemoveDirectoryW(dir.c_str());
    }

    static inline int counter_ = 0;
    std::wstring path_;
};

}  // namespace qb::testing
