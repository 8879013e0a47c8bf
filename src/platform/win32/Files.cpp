// The input file, its full path, and the header name's look-up.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/Error.h"
#include "platform/win32/TempFiles.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"
#include "product/Texts.h"

namespace qb::platform::win32 {
namespace {

// ReadFile takes a 32-bit count; stay well inside it.
constexpr std::size_t kIoChunk = std::size_t{1} << 30;

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

    void Seek(std::uint64_t at) override {
        LARGE_INTEGER to{};
        to.QuadPart = static_cast<LONGLONG>(at);
        if (!SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN))
            ThrowLastError(L"SetFilePointerEx");
    }

private:
    UniqueFile file_;
    std::uint64_t size_;
};

// Deleted by the system when its handle closes, whether we close it or the process dies: nothing
// of it is ever moved into place, so the mark need never be taken back.
class Win32ScratchFile final : public ScratchFile {
public:
    Win32ScratchFile() {
        wchar_t folder[MAX_PATH + 1];
        const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
        if (n == 0 || n > MAX_PATH) ThrowLastError(L"GetTempPath");
        CreateTemporaryFile(std::wstring(folder, n), file_, GENERIC_READ | GENERIC_WRITE,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
    }
    std::uint64_t Size() const override { return size_; }

    void Append(const void* bytes, std::size_t size) override {
        const auto* at = static_cast<const char*>(bytes);
        for (std::size_t done = 0; done < size;) {
            OVERLAPPED where = At(size_);
            DWORD wrote = 0;
            const DWORD chunk = static_cast<DWORD>(std::min(size - done, kIoChunk));
            if (!WriteFile(file_.get(), at + done, chunk, &wrote, &where)) ThrowLastError(L"WriteFile");
            if (wrote == 0) ThrowError(L"WriteFile", ERROR_WRITE_FAULT);
            done += wrote;
            size_ += wrote;
        }
    }

    void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        for (std::size_t done = 0; done < out.size();) {
            OVERLAPPED where = At(offset + done);
            DWORD got = 0;
            const DWORD chunk = static_cast<DWORD>(std::min(out.size() - done, kIoChunk));
            if (!ReadFile(file_.get(), out.data() + done, chunk, &got, &where))
                ThrowLastError(L"ReadFile");
            if (got == 0) ThrowError(L"ReadFile", ERROR_HANDLE_EOF);
            done += got;
        }
    }

private:
    static OVERLAPPED At(std::uint64_t offset) {
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(offset);
        where.OffsetHigh = static_cast<DWORD>(offset >> 32);
        return where;
    }

    UniqueFile file_;
    std::uint64_t size_ = 0;
};

}  // namespace

std::unique_ptr<ScratchFile> Win32Files::Scratch() { return std::make_unique<Win32ScratchFile>(); }

std::wstring Win32Files::FullPath(const std::wstring& path) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(),
                                         nullptr);
        if (n == 0) return {};
        // Too small, it asks for room including the terminating NUL; else it counts without.
        if (n < full.size()) return full.substr(0, n);
        full.resize(n);
    }
}

std::unique_ptr<InputFile> Win32Files::OpenInput(const std::wstring& path, Sharing sharing) {
    // Shared the way Notepad shares it, so a log another program is writing can still be read.
    // Read with ReadFile, not mapped: a vanished network share is then an error code, not an
    // in-page fault that ends the process.
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_DELETE |
                        (sharing == Sharing::kWithWriters ? FILE_SHARE_WRITE : 0);
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        const DWORD code = GetLastError();
        // A file that is there but held or closed to us deserves its cause. A folder is refused
        // with access denied as well, and is no file to encode.
        if (code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION ||
            code == ERROR_LOCK_VIOLATION) {
            const DWORD attributes = GetFileAttributesW(path.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
                ThrowError(L"CreateFile", code);
        }
        return nullptr;
    }
    if (GetFileType(file.get()) != FILE_TYPE_DISK) return nullptr;
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

}  // namespace qb::platform::win32
