#include "platform/win32/Win32Platform.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/Error.h"
#include "product/Texts.h"
#include "platform/win32/UniqueHandle.h"

namespace qb::platform {

std::string ToAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    if (n <= 0) ThrowLastError(L"WideCharToMultiByte");
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

namespace win32 {
namespace {

// ReadFile and WriteFile take 32-bit counts; stay well inside them.
constexpr std::size_t kIoChunk = std::size_t{1} << 30;

std::wstring DirectoryOf(const std::wstring& path) {
    const auto directory = SplitPath(path).directory;
    return directory.empty() ? L"." : std::wstring(directory);
}

// The text goes to a temporary file beside the target, moved over it only when complete, so a full
// disk or a refused write never leaves a half side file or loses an older one.
class Win32SideFileWriter final : public SideFileWriter {
public:
    explicit Win32SideFileWriter(std::wstring path) : path_(std::move(path)) {
        wchar_t temp[MAX_PATH + 1];
        if (!GetTempFileNameW(DirectoryOf(path_).c_str(), L"qb", 0, temp))
            ThrowLastError(L"GetTempFileName");
        tempPath_ = temp;
        // GetTempFileName made the file, empty. Opening it as it is, rather than with
        // CREATE_ALWAYS, spares a truncation that ext4 under Wine takes as a "replace" pattern and
        // answers by writing the whole file out to disk at CloseHandle.
        file_.reset(CreateFileW(tempPath_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file_) {
            const DWORD code = GetLastError();
            DeleteFileW(tempPath_.c_str());
            ThrowError(L"CreateFile", code);
        }
    }
    ~Win32SideFileWriter() override {
        if (!committed_) {
            file_.reset();
            DeleteFileW(tempPath_.c_str());
        }
    }

    void Append(std::span<const char> bytes) override {
        for (std::size_t at = 0; at < bytes.size();) {
            const DWORD chunk = static_cast<DWORD>(std::min(bytes.size() - at, kIoChunk));
            DWORD written = 0;
            if (!WriteFile(file_.get(), bytes.data() + at, chunk, &written, nullptr))
                ThrowLastError(L"WriteFile");
            at += written;
        }
    }

    void Commit() override {
        if (!CloseHandle(file_.release())) ThrowLastError(L"CloseHandle");
        if (!MoveFileExW(tempPath_.c_str(), path_.c_str(), 0)) {
            const DWORD code = GetLastError();
            if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS)
                ThrowError(L"MoveFileEx", code);
            if (!SwapInPlaceOfOlder()) {
                if (!MoveFileExW(tempPath_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING))
                    ThrowLastError(L"MoveFileEx");
            }
        }
        committed_ = true;
    }

private:
    // An older side file is moved aside, the new one moved into its place, and the older one then
    // deleted. Renaming straight over it would be the same to Windows, but ext4 under Wine takes a
    // rename over an existing file as a replace and first writes the whole new file out to disk,
    // a third of a second for a large one. False, with nothing changed, where the older file is
    // one this shortcut must not touch (read-only, hidden or system) or cannot be moved aside.
    bool SwapInPlaceOfOlder() {
        const DWORD attributes = GetFileAttributesW(path_.c_str());
        constexpr DWORD kKeep = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & kKeep) != 0) return false;
        const std::wstring aside = tempPath_ + L".old";
        if (!MoveFileExW(path_.c_str(), aside.c_str(), 0)) return false;
        if (!MoveFileExW(tempPath_.c_str(), path_.c_str(), 0)) {
            const DWORD code = GetLastError();
            MoveFileExW(aside.c_str(), path_.c_str(), 0);
            ThrowError(L"MoveFileEx", code);
        }
        DeleteFileW(aside.c_str());
        return true;
    }

    std::wstring path_;
    std::wstring tempPath_;
    UniqueFile file_;
    bool committed_ = false;
};

// The text is written straight into the clipboard's own memory; the memory stays ours until
// SetClipboardData takes it.
class ClipboardTarget final : public TextTarget {
public:
    explicit ClipboardTarget(std::size_t bytes) : size_(bytes) {
        memory_.reset(GlobalAlloc(GMEM_MOVEABLE, bytes + 1));
        if (!memory_) ThrowLastError(L"GlobalAlloc");
        view_ = static_cast<char*>(GlobalLock(memory_.get()));
        if (!view_) ThrowLastError(L"GlobalLock");
    }
    ~ClipboardTarget() override {
        if (view_) GlobalUnlock(memory_.get());
    }

    std::span<char> Bytes() override { return {view_, size_}; }

    void Commit() override {
        view_[size_] = '\0';
        GlobalUnlock(memory_.get());
        view_ = nullptr;

        // An owner window: after EmptyClipboard with no owner, SetClipboardData may fail.
        UniqueHwnd owner(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         GetModuleHandleW(nullptr), nullptr));
        if (!owner) ThrowLastError(L"CreateWindowEx");
        // Another program may hold the clipboard for a moment; give it that moment.
        bool open = false;
        for (int attempt = 0; attempt < 20 && !(open = OpenClipboard(owner.get())); ++attempt)
            Sleep(25);
        if (!open) ThrowLastError(L"OpenClipboard");
        const bool emptied = EmptyClipboard();
        const DWORD emptyError = GetLastError();
        const bool placed = emptied && SetClipboardData(CF_TEXT, memory_.get()) != nullptr;
        const DWORD placeError = GetLastError();
        CloseClipboard();
        if (!emptied) ThrowError(L"EmptyClipboard", emptyError);
        if (!placed) ThrowError(L"SetClipboardData", placeError);
        memory_.release();  // the clipboard owns it now
    }

private:
    UniqueHglobal memory_;
    char* view_ = nullptr;
    std::size_t size_;
};

class MappedView final : public FileView {
public:
    MappedView(const void* view, std::size_t size) : view_(view), size_(size) {}
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;
    ~MappedView() override { UnmapViewOfFile(view_); }
    std::span<const std::uint8_t> Bytes() const override {
        return {static_cast<const std::uint8_t*>(view_), size_};
    }

private:
    const void* view_;
    std::size_t size_;
};

}  // namespace

int Win32Ui::Message(std::wstring_view text, unsigned style) {
    const std::wstring s(text);
    return MessageBoxW(nullptr, s.c_str(), caption_.c_str(), style);
}

std::optional<std::uint64_t> Win32Files::FileLength(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::unique_ptr<FileView> Win32Files::MapWhole(const std::wstring& path, std::uint64_t size) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) ThrowLastError(L"CreateFile");
    LARGE_INTEGER actual;
    if (!GetFileSizeEx(file.get(), &actual)) ThrowLastError(L"GetFileSizeEx");
    if (static_cast<std::uint64_t>(actual.QuadPart) != size)
        throw Error(L"GetFileSizeEx", ERROR_FILE_INVALID,
                    static_cast<std::uint64_t>(actual.QuadPart) < size
                        ? std::wstring(product::text::kFileShrank)
                        : std::wstring(product::text::kFileGrew));
    // While the view exists nobody can cut the file short under it.
    UniqueMapping mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) ThrowLastError(L"CreateFileMapping");
    const void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
    if (!view) ThrowLastError(L"MapViewOfFile");
    return std::make_unique<MappedView>(view, static_cast<std::size_t>(size));
}

std::wstring Win32Files::FindFileName(const std::wstring& path) {
    // FindFirstFile reports hidden and system files too, and gives the long name for a short one.
    WIN32_FIND_DATAW found;
    UniqueFind find(FindFirstFileExW(path.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                     nullptr, 0));
    return find ? std::wstring(found.cFileName) : std::wstring();
}

std::unique_ptr<SideFileWriter> Win32Files::SideFile(const std::wstring& path) {
    return std::make_unique<Win32SideFileWriter>(path);
}

std::unique_ptr<TextTarget> Win32Clipboard::Text(std::size_t bytes) {
    return std::make_unique<ClipboardTarget>(bytes);
}

void Win32Launcher::ShellOpen(std::uintptr_t owner, std::wstring_view target, int showCommand) {
    const std::string file = ToAnsi(target);
    ShellExecuteA(reinterpret_cast<HWND>(owner), "open", file.c_str(), nullptr, nullptr,
                  showCommand);
}

void Win32Process::ExitNow(int code) { ExitProcess(static_cast<UINT>(code)); }

void Win32Launcher::Shell(const std::wstring& commandLine, int windowStyle) {
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

namespace {

HKEY RootKey(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::kClassesRoot: return HKEY_CLASSES_ROOT;
    }
    return nullptr;
}

HKEY AsHkey(KeyHandle key) { return reinterpret_cast<HKEY>(key); }

OpenedKey Opened(LONG status, HKEY key) {
    return {status, status == ERROR_SUCCESS ? reinterpret_cast<KeyHandle>(key) : kNoKey};
}

}  // namespace

OpenedKey Win32Registry::OpenKey(RegistryRoot root, const std::string& subkey) {
    HKEY key = nullptr;
    const LONG status = RegOpenKeyA(RootKey(root), subkey.c_str(), &key);
    return Opened(status, key);
}

OpenedKey Win32Registry::CreateKey(RegistryRoot root, const std::string& subkey) {
    HKEY key = nullptr;
    const LONG status = RegCreateKeyA(RootKey(root), subkey.c_str(), &key);
    return Opened(status, key);
}

RegistryStatus Win32Registry::SetValue(RegistryRoot root, const std::string& subkey,
                                       std::uint32_t type, const char* data, std::uint32_t length) {
    return RegSetValueA(RootKey(root), subkey.c_str(), type, data, length);
}

RegistryStatus Win32Registry::DeleteKey(KeyHandle key, const std::string& name) {
    return RegDeleteKeyA(AsHkey(key), name.c_str());
}

RegistryStatus Win32Registry::CloseKey(KeyHandle key) { return RegCloseKey(AsHkey(key)); }

ProgramLocation Win32Process::Location() {
    // The path may be longer than MAX_PATH; a full buffer means it was cut, so grow and ask again.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return LocationOfProgram(path);
}

}  // namespace win32
}  // namespace qb::platform
