// New files, the side file or restored ones: each written whole into a temporary file in the
// target folder, then all moved into place together, so a failure leaves the folder as it was.
#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "platform/win32/TempFiles.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"

namespace qb::platform::win32 {
namespace {

// Past this many numbered names something else is wrong with the folder.
constexpr int kMaxNumber = 9999;
// The mark Windows puts on a downloaded file is a stream of a few hundred bytes.
constexpr DWORD kMaxMarkBytes = 64 * 1024;
constexpr wchar_t kZoneStream[] = L":Zone.Identifier";

// "a.txt" gives "a (2).txt"; a name without an extension, or one that only starts with a dot
// (".profile"), takes the number at its end.
std::wstring Numbered(const std::wstring& name, int number) {
    const std::wstring tag = L" (" + std::to_wstring(number) + L")";
    const std::size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || dot == 0) return name + tag;
    return name.substr(0, dot) + tag + name.substr(dot);
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The download mark of `source`, empty when it has none or it cannot be read.
std::string ReadZoneMark(const std::wstring& source) {
    if (source.empty()) return {};
    UniqueFile stream(CreateFileW((source + kZoneStream).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!stream) return {};
    std::string mark(kMaxMarkBytes, '\0');
    DWORD got = 0;
    if (!ReadFile(stream.get(), mark.data(), kMaxMarkBytes, &got, nullptr)) return {};
    mark.resize(got);
    return mark;
}

// Best effort: a file system without streams (FAT32, a network share) keeps the file unmarked.
void WriteZoneMark(const std::wstring& path, const std::string& mark) {
    if (mark.empty()) return;
    UniqueFile stream(CreateFileW((path + kZoneStream).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (stream) WriteFile(stream.get(), mark.data(), static_cast<DWORD>(mark.size()), &written, nullptr);
}

class Win32FileSetWriter final : public FileSetWriter {
public:
    Win32FileSetWriter(std::wstring folder, Placement placement, const std::wstring& source)
        : folder_(std::move(folder)),
          placement_(placement),
          mark_(ReadZoneMark(source)) {}
    ~Win32FileSetWriter() override { Abandon(); }

    void NextFile(const std::wstring& name) override {
        Usable();
        if (placement_ == Placement::kReplaceOne && !files_.empty())
            throw std::logic_error("a restore that replaces takes one file");
        try {
            EndFile();
            // A read-only file to be replaced is refused before anything is written for it.
            if (placement_ == Placement::kReplaceOne && IsReadOnly(JoinPath(folder_, name)))
                ThrowError(L"MoveFileEx", ERROR_ACCESS_DENIED);
            files_.push_back({name, CreateTemporaryFile(folder_, file_), {}});
        } catch (...) {
            Abandon();
            throw;
        }
    }

    using FileSetWriter::Append;
    void Append(const void* bytes, std::size_t size) override {
        Usable();
        if (!file_) throw std::logic_error("Append before NextFile");
        if (const DWORD code = WriteWhole(file_.get(), bytes, size)) {
            Abandon();  // a full disk gets its space back now, not when the writer goes
            ThrowError(L"WriteFile", code);
        }
    }

    std::vector<std::wstring> Commit() override {
        Usable();
        try {
            EndFile();
        } catch (...) {
            Abandon();
            throw;
        }
        std::vector<std::wstring> placed;
        for (auto& file : files_) {
            const DWORD code = Place(file);
            if (code != ERROR_SUCCESS) {
                // Files this restore moved in are new: no older file of theirs is lost.
                for (auto& earlier : files_)
                    if (!earlier.placed.empty()) DeleteFileW(earlier.placed.c_str());
                Abandon();
                ThrowError(L"MoveFileEx", code);
            }
            placed.push_back(file.placed);
        }
        // Marked only once in place: a stream on the temporary file would do on NTFS, but where
        // streams are plain files (Wine) it would neither move along nor be cleaned up.
        for (const auto& path : placed) WriteZoneMark(path, mark_);
        done_ = true;
        return placed;
    }

private:
    struct File {
        std::wstring name;
        std::wstring temp;
        std::wstring placed;  // its final path, once moved there
    };

    void Usable() const {
        if (done_) throw std::logic_error("the restore has ended");
    }

    // Closed with its result checked: a network share may report a failed write only here.
    void EndFile() {
        if (file_ && !CloseHandle(file_.release())) ThrowLastError(L"CloseHandle");
    }

    // Moves one file to its final name; returns the error that stopped it, if any.
    DWORD Place(File& file) {
        if (placement_ == Placement::kReplaceOne) {
            const std::wstring path = JoinPath(folder_, file.name);
            if (IsReadOnly(path)) return ERROR_ACCESS_DENIED;
            if (const DWORD code = MoveWhenFree(file.temp, path, MOVEFILE_REPLACE_EXISTING))
                return code;
            file.placed = path;
            return ERROR_SUCCESS;
        }
        for (int number = 1; number <= kMaxNumber; ++number) {
            const std::wstring path =
                JoinPath(folder_, number == 1 ? file.name : Numbered(file.name, number));
            // A folder that tells case apart would take both "a.txt" and "A.TXT"; copied to a
            // usual one, one would replace the other.
            if (std::any_of(files_.begin(), files_.end(),
                            [&](const File& other) { return SameName(other.placed, path); }))
                continue;
            const DWORD code = MoveWhenFree(file.temp, path, 0);
            if (code == ERROR_SUCCESS) {
                file.placed = path;
                return ERROR_SUCCESS;
            }
            if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS) return code;
        }
        return ERROR_FILE_EXISTS;
    }

    // Deletes every temporary file still there; the writer takes nothing more.
    void Abandon() {
        file_.reset();
        for (const auto& file : files_)
            if (file.placed.empty()) DeleteFileW(file.temp.c_str());
        files_.clear();
        done_ = true;
    }

    std::wstring folder_;
    Placement placement_;
    std::string mark_;
    std::vector<File> files_;
    UniqueFile file_;  // the temporary file being written, the last of files_
    bool done_ = false;
};

}  // namespace

std::unique_ptr<FileSetWriter> Win32Files::WriteFiles(const std::wstring& folder,
                                                      Placement placement,
                                                      const std::wstring& source) {
    return std::make_unique<Win32FileSetWriter>(folder, placement, source);
}

}  // namespace qb::platform::win32
