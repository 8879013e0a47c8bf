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

namespace {

// Converts character by character, a surrogate pair being one; `missing` is called for each one
// the code page lacks. A best-fit look-alike counts as lacking: on code page 932 it would turn a
// yen sign into a backslash.
template <typename Missing>
std::string ConvertEach(std::wstring_view text, Missing missing) {
    // Where the ANSI code page is UTF-8 every character fits, and the best-fit flags are refused.
    const bool utf8 = GetACP() == CP_UTF8;
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t at = 0; at < text.size();) {
        const bool pair = IS_HIGH_SURROGATE(text[at]) && at + 1 < text.size() &&
                          IS_LOW_SURROGATE(text[at + 1]);
        const int units = pair ? 2 : 1;
        char bytes[8];
        BOOL lacking = FALSE;
        const int n = WideCharToMultiByte(CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS,
                                          text.data() + at, units, bytes, sizeof bytes, nullptr,
                                          utf8 ? nullptr : &lacking);
        if (n <= 0 || lacking) missing(out);
        else out.append(bytes, static_cast<std::size_t>(n));
        at += static_cast<std::size_t>(units);
    }
    return out;
}

}  // namespace

std::string NameToAnsi(std::wstring_view name) {
    return ConvertEach(name, [](std::string& out) { out += '_'; });
}

std::optional<std::string> ToAnsiExactly(std::wstring_view text) {
    bool exact = true;
    std::string out = ConvertEach(text, [&](std::string&) { exact = false; });
    if (!exact) return std::nullopt;
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

// Windows refuses to replace a read-only file; Wine would replace it anyway, so ask first.
void RefuseReadOnly(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        ThrowError(L"MoveFileEx", ERROR_ACCESS_DENIED);
}

// The text goes to a temporary file of our own beside the target, moved over it in one step only
// when complete: a full disk or a refused write never leaves a half side file or loses an older
// one, and on NTFS the target never goes missing in between.
class Win32SideFileWriter final : public SideFileWriter {
public:
    explicit Win32SideFileWriter(std::wstring path) : path_(std::move(path)) {
        RefuseReadOnly(path_);
        // CREATE_NEW on a name of our choosing: the file is ours alone, and a refusal comes with
        // its real cause (GetTempFileName under Wine names a file it could not create).
        // A drive root such as "C:\" already ends in its separator.
        std::wstring folder = DirectoryOf(path_);
        if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
        DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
        for (int attempt = 0;; ++attempt, seed = seed * 1664525u + 1013904223u) {
            wchar_t name[16];
            swprintf(name, 16, L"qb%08lx.tmp", static_cast<unsigned long>(seed));
            tempPath_ = folder + name;
            file_.reset(CreateFileW(tempPath_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            if (file_) break;
            const DWORD code = GetLastError();
            if ((code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) || attempt == 100)
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
            // Success with nothing written would loop forever.
            if (written == 0) ThrowError(L"WriteFile", ERROR_WRITE_FAULT);
            at += written;
        }
    }

    void Commit() override {
        if (!CloseHandle(file_.release())) ThrowLastError(L"CloseHandle");
        RefuseReadOnly(path_);
        // A virus scanner or indexer may hold the new file, or the older one, for a moment.
        for (int attempt = 0;; ++attempt) {
            if (MoveFileExW(tempPath_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING)) break;
            const DWORD code = GetLastError();
            if ((code != ERROR_ACCESS_DENIED && code != ERROR_SHARING_VIOLATION) || attempt == 20)
                ThrowError(L"MoveFileEx", code);
            Sleep(50);
        }
        committed_ = true;
    }

private:
    std::wstring path_;
    std::wstring tempPath_;
    UniqueFile file_;
    bool committed_ = false;
};

// The text is written straight into the clipboard's own memory; the memory stays ours until
// SetClipboardData takes it.
class ClipboardTarget final : public ClipboardBuffer {
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
        // The text is in the system's code page; without a locale beside it Windows stamps the
        // keyboard layout's, and a Unicode program pastes the Chinese as mojibake.
        UniqueHglobal locale(GlobalAlloc(GMEM_MOVEABLE, sizeof(LCID)));
        if (!locale) ThrowLastError(L"GlobalAlloc");
        auto* lcid = static_cast<LCID*>(GlobalLock(locale.get()));
        if (!lcid) ThrowLastError(L"GlobalLock");
        *lcid = GetSystemDefaultLCID();
        GlobalUnlock(locale.get());

        // Another program (a remote-desktop clipboard sync, say) may hold the clipboard for a
        // moment; give it up to two seconds.
        bool open = false;
        for (int attempt = 0; attempt < 80 && !(open = OpenClipboard(owner.get())); ++attempt)
            Sleep(25);
        if (!open) ThrowLastError(L"OpenClipboard");
        const bool emptied = EmptyClipboard();
        const DWORD emptyError = GetLastError();
        const bool placed = emptied && SetClipboardData(CF_TEXT, memory_.get()) != nullptr;
        const DWORD placeError = GetLastError();
        if (placed) memory_.release();  // the clipboard owns it now
        const bool stamped = placed && SetClipboardData(CF_LOCALE, locale.get()) != nullptr;
        const DWORD stampError = GetLastError();
        if (stamped) locale.release();
        CloseClipboard();
        if (!emptied) ThrowError(L"EmptyClipboard", emptyError);
        if (!placed) ThrowError(L"SetClipboardData", placeError);
        if (!stamped) ThrowError(L"SetClipboardData", stampError);
    }

private:
    UniqueHglobal memory_;
    char* view_ = nullptr;
    std::size_t size_;
};

class Win32InputFile final : public InputFile {
public:
    Win32InputFile(UniqueFile file, std::uint64_t size) : file_(std::move(file)), size_(size) {}
    std::uint64_t Size() const override { return size_; }

    void Read(std::span<std::uint8_t> out) override {
        for (std::size_t at = 0; at < out.size();) {
            const DWORD chunk = static_cast<DWORD>(std::min(out.size() - at, kIoChunk));
            DWORD got = 0;
            if (!ReadFile(file_.get(), out.data() + at, chunk, &got, nullptr))
                ThrowLastError(L"ReadFile");
            if (got == 0)
                throw Error(L"ReadFile", ERROR_HANDLE_EOF, std::wstring(product::text::kFileShrank));
            at += got;
        }
    }

private:
    UniqueFile file_;
    std::uint64_t size_;
};

}  // namespace

int Win32Ui::Message(std::wstring_view text, unsigned style) {
    const std::wstring s(text);
    return MessageBoxW(nullptr, s.c_str(), caption_.c_str(), style);
}

std::unique_ptr<InputFile> Win32Files::OpenInput(const std::wstring& path) {
    // Shared the way Notepad shares it, so a log another program is writing can still be read.
    // Read with ReadFile, not mapped: a vanished network share is then an error code, not an
    // in-page fault that ends the process.
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file || GetFileType(file.get()) != FILE_TYPE_DISK) return nullptr;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return nullptr;
    const std::uint64_t size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    return std::make_unique<Win32InputFile>(std::move(file), size);
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

std::unique_ptr<ClipboardBuffer> Win32Clipboard::Text(std::size_t bytes) {
    return std::make_unique<ClipboardTarget>(bytes);
}

void Win32Launcher::ShellOpen(std::uintptr_t owner, std::wstring_view target, int showCommand) {
    const std::string file = ToAnsi(target);
    ShellExecuteA(reinterpret_cast<HWND>(owner), "open", file.c_str(), nullptr, nullptr,
                  showCommand);
}

void Win32Process::ExitNow(int code) { ExitProcess(static_cast<UINT>(code)); }

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
        if (n == 0) ThrowLastError(L"GetModuleFileName");
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
