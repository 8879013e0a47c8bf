// New files, the side file or restored ones: each written whole into a temporary file in the
// target folder, then all moved into place together, so a failure leaves the folder as it was.
// Every temporary file is marked for deletion from its creation until just before its move, so a
// crash, a killed process or the end of the Windows session leaves none behind either.
#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "platform/FileNames.h"
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
// What Windows writes for a file from the internet zone.
constexpr char kInternetZone[] = "[ZoneTransfer]\r\nZoneId=3\r\n";

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

// How strongly a mark warns: its ZoneId, -1 for none or no mark.
int ZoneOf(const std::string& mark) {
    const std::size_t at = mark.find("ZoneId=");
    if (at == std::string::npos) return -1;
    int zone = 0;
    bool digits = false;
    for (std::size_t i = at + 7; i < mark.size() && mark[i] >= '0' && mark[i] <= '9' && zone < 1000; ++i)
        zone = zone * 10 + (mark[i] - '0'), digits = true;
    return digits ? zone : -1;
}

// The mark of the source that warns most; a mark without a zone still beats none.
std::string StrongestMark(const std::vector<std::wstring>& sources) {
    std::string strongest;
    for (const auto& source : sources) {
        std::string mark = ReadZoneMark(source);
        if (!mark.empty() && (strongest.empty() || ZoneOf(mark) > ZoneOf(strongest))) strongest = std::move(mark);
    }
    return strongest;
}

// Best effort: a file system without streams (FAT32, a network share) keeps the file unmarked.
void WriteZoneMark(const std::wstring& path, const std::string& mark) {
    if (mark.empty()) return;
    UniqueFile stream(CreateFileW((path + kZoneStream).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (stream) WriteFile(stream.get(), mark.data(), static_cast<DWORD>(mark.size()), &written, nullptr);
}

// Unlike FILE_FLAG_DELETE_ON_CLOSE, this mark can be taken back. A file system that has no such
// mark (some network shares) keeps the file, which Abandon deletes by name as before.
bool MarkForDeletion(HANDLE file, bool deleteIt) {
    FILE_DISPOSITION_INFO info{deleteIt};
    return SetFileInformationByHandle(file, FileDispositionInfo, &info, sizeof info);
}

class Win32FileSetWriter final : public FileSetWriter {
public:
    Win32FileSetWriter(std::wstring folder, Placement placement, const Origin& origin)
        : folder_(std::move(folder)),
          placement_(placement),
          mark_(origin.otherComputer ? std::string(kInternetZone) : ReadZoneMark(origin.markOf)) {
        if (!origin.otherComputer)
            for (const auto& sources : origin.marksOfEach) marks_.push_back(StrongestMark(sources));
    }
    ~Win32FileSetWriter() override { Abandon(); }

    void NextFile(const std::wstring& name) override {
        Usable();
        if (placement_ != Placement::kNumbered && !files_.empty())
            throw std::logic_error("a set that names its one file takes one file");
        try {
            // A read-only file to be replaced is refused before anything is written for it.
            if (placement_ == Placement::kReplaceOne && IsReadOnly(JoinPath(folder_, name)))
                ThrowError(L"MoveFileEx", ERROR_ACCESS_DENIED);
            File file{name, {}, {}, {}, {}};
            file.temp = CreateTemporaryFile(folder_, file.handle, GENERIC_WRITE | DELETE);
            MarkForDeletion(file.handle.get(), true);
            files_.push_back(std::move(file));
        } catch (...) {
            Abandon();
            throw;
        }
    }

    using FileSetWriter::Append;
    void Append(const void* bytes, std::size_t size) override {
        Usable();
        if (files_.empty()) throw std::logic_error("Append before NextFile");
        if (const DWORD code = WriteWhole(files_.back().handle.get(), bytes, size)) {
            Abandon();  // a full disk gets its space back now, not when the writer goes
            ThrowError(L"WriteFile", code);
        }
    }

    void Overwrite(std::uint64_t at, std::string_view bytes) override {
        Usable();
        if (files_.empty()) throw std::logic_error("Overwrite before NextFile");
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD written = 0;
        if (!WriteFile(files_.back().handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                       &written, &where) ||
            written != bytes.size()) {
            const DWORD code = GetLastError();
            Abandon();
            ThrowError(L"WriteFile", code ? code : ERROR_WRITE_FAULT);
        }
    }

    std::vector<std::wstring> Commit() override {
        Usable();
        std::vector<std::wstring> placed;
        for (auto& file : files_) {
            const DWORD code = Place(file);
            if (code != ERROR_SUCCESS) {
                // Files this set moved in are new: no older file of theirs is lost.
                for (auto& earlier : files_)
                    if (!earlier.placed.empty()) DeleteFileW(earlier.placed.c_str());
                const std::wstring failed = file.tried;
                Abandon();
                try {
                    ThrowError(L"MoveFileEx", code);
                } catch (Error& e) {
                    e.SetPath(failed);
                    throw;
                }
            }
            placed.push_back(file.placed);
        }
        // Marked only once in place: a stream on the temporary file would do on NTFS, but where
        // streams are plain files (Wine) it would neither move along nor be cleaned up.
        for (std::size_t i = 0; i < placed.size(); ++i)
            WriteZoneMark(placed[i], i < marks_.size() ? marks_[i] : mark_);
        done_ = true;
        return placed;
    }

private:
    struct File {
        std::wstring name;
        std::wstring temp;
        UniqueFile handle;    // open, and the file marked for deletion, until just before its move
        std::wstring tried;   // the path it was last to be moved to
        std::wstring placed;  // its final path, once moved there
    };

    void Usable() const {
        if (done_) throw std::logic_error("the set has ended");
    }

    // Unmarked and closed with its result checked (a network share may report a failed write
    // only here), then moved to its final name; returns the error that stopped it, if any. A
    // failed move leaves `tried` naming the path it was moving to.
    DWORD Place(File& file) {
        file.tried = JoinPath(folder_, file.name);
        MarkForDeletion(file.handle.get(), false);
        if (!CloseHandle(file.handle.release())) return GetLastError();
        if (placement_ != Placement::kNumbered) {
            const std::wstring& path = file.tried;
            if (placement_ == Placement::kReplaceOne && IsReadOnly(path)) return ERROR_ACCESS_DENIED;
            const DWORD flags = placement_ == Placement::kReplaceOne ? MOVEFILE_REPLACE_EXISTING : 0;
            const DWORD code = MoveWhenFree(file.temp, path, flags);
            if (code == ERROR_SUCCESS) file.placed = path;
            return code;
        }
        for (int number = 1; number <= kMaxNumber; ++number) {
            const std::wstring path = file.tried =
                JoinPath(folder_, number == 1 ? file.name : NumberedName(file.name, number));
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

    // Deletes every temporary file still there; the set takes nothing more.
    void Abandon() {
        for (auto& file : files_) {
            file.handle.reset();
            if (file.placed.empty()) DeleteFileW(file.temp.c_str());
        }
        files_.clear();
        done_ = true;
    }

    std::wstring folder_;
    Placement placement_;
    std::vector<std::string> marks_;  // each file's own, where the origin gives them
    std::string mark_;
    std::vector<File> files_;
    bool done_ = false;
};

}  // namespace

std::unique_ptr<FileSetWriter> Win32Files::WriteFiles(const std::wstring& folder,
                                                      Placement placement, const Origin& origin) {
    return std::make_unique<Win32FileSetWriter>(folder, placement, origin);
}

}  // namespace qb::platform::win32
