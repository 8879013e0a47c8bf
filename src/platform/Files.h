#pragma once
// Files: one read in pieces, and a set of new files written through temporary files and moved
// into place all or nothing.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qb::platform {

// A file opened once for reading: the size taken at the open, and its bytes from that same
// handle, however the file changes by name meanwhile.
class InputFile {
public:
    virtual ~InputFile() = default;
    virtual std::uint64_t Size() const = 0;
    // Fills `out` with the next bytes of the file, in order. Throws Error on a read error or when
    // the file ends early (it was cut short after the open): never a partial result.
    virtual void Read(std::span<std::uint8_t> out) = 0;
    // Reads on from byte `at`.
    virtual void Seek(std::uint64_t at) = 0;
};

enum class Sharing {
    kWithWriters,      // as Notepad shares: a log another program is writing can still be read
    kKeepWritersOut,   // no program may write it while it is open, nor open it to write
};

// How a set of new files takes its place in the folder.
enum class Placement {
    // Nothing is replaced. A name that is taken on disk, or by an earlier file of the same set
    // (compared without regard to case), gets " (2)", " (3)" ... before its extension. The writer
    // does all numbering; callers pass the names they want, duplicates and all.
    kNumbered,
    // One file, which replaces a file of that name: the side file, or the one file the user named
    // in Save As and agreed to replace. A read-only file is refused, not replaced. A second file
    // is refused (std::logic_error).
    kReplaceOne,
    // One file the user named in Save As where there was none: a file that appeared there since
    // is never replaced; the move fails with ERROR_FILE_EXISTS instead.
    kNewOne,
};

// Where new files come from, for the mark Windows puts on what came from elsewhere.
struct Origin {
    std::wstring markOf;         // a file whose download mark each new file copies, if it has one
    bool otherComputer = false;  // text from another computer: each new file is marked as from
                                 // the internet, as a download would be
    // Where set, in place of markOf: for each new file in turn, the files it came from; it takes
    // the strongest of their marks (the highest ZoneId), so that text from a download keeps its
    // warning when joined with text from elsewhere.
    std::vector<std::vector<std::wstring>> marksOfEach;
};

// New files in one folder. Each file's bytes go into a temporary file in that folder; only
// Commit, once every file is complete, moves them into place. A failed write, or dropping the
// writer uncommitted, deletes every temporary file and touches nothing else.
class FileSetWriter {
public:
    virtual ~FileSetWriter() = default;
    // Ends the file before, if any, and starts the next, to be called `name` (a plain file name).
    virtual void NextFile(const std::wstring& name) = 0;
    virtual void Append(const void* bytes, std::size_t size) = 0;
    void Append(std::span<const char> bytes) { Append(bytes.data(), bytes.size()); }
    void Append(std::span<const std::uint8_t> bytes) { Append(bytes.data(), bytes.size()); }
    // Writes over bytes of the current file already appended, from `at` on; once the file is
    // whole, since appending goes on from where this leaves off.
    virtual void Overwrite(std::uint64_t at, std::string_view bytes) = 0;
    // Moves every file into place and returns the full path of each, in the order begun. If one
    // move fails, the files this set had already moved in are deleted again along with every
    // temporary file, and Error is thrown naming the path that failed.
    virtual std::vector<std::wstring> Commit() = 0;
};

// A file of the program's own in the user's temporary folder, for what is too large to hold in
// memory: written at its end, read anywhere, and gone once dropped, or once the program ends
// however it ends.
class ScratchFile {
public:
    virtual ~ScratchFile() = default;
    virtual std::uint64_t Size() const = 0;
    virtual void Append(const void* bytes, std::size_t size) = 0;
    // Fills `out` from `offset` on; throws Error past the end.
    virtual void ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

class Files {
public:
    virtual ~Files() = default;
    // The path made full against the working folder (and, for "C:name", drive C's own current
    // folder), as the system would read it; empty if the system cannot make one of it.
    virtual std::wstring FullPath(const std::wstring& path) = 0;
    // A regular file opened for reading, shared with programs that delete it and as `sharing`
    // says with those that write it; null for a missing file, a directory or a malformed path.
    // Throws Error for a file that is there but cannot be opened (held by another program without
    // sharing, or closed to this user).
    virtual std::unique_ptr<InputFile> OpenInput(const std::wstring& path,
                                                 Sharing sharing = Sharing::kWithWriters) = 0;
    // The file's own name as the file system spells it (no directory); empty if not found.
    virtual std::wstring FindFileName(const std::wstring& path) = 0;
    // A writer of new files into `folder`, marked as `origin` says, best effort.
    virtual std::unique_ptr<FileSetWriter> WriteFiles(const std::wstring& folder,
                                                      Placement placement,
                                                      const Origin& origin = {}) = 0;
    // A new scratch file; throws Error when the temporary folder takes none.
    virtual std::unique_ptr<ScratchFile> Scratch() = 0;
};

}  // namespace qb::platform
