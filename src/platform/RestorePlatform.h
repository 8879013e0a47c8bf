#pragma once
// What rebuilding files from UUE text needs from the system: the clipboard's text, the file
// dialogs, a SHA-256 and a writer that puts the rebuilt files into a folder all or nothing.
// Reading a .uue file needs nothing new: Files::OpenInput reads it in pieces, and opening it
// again gives a second pass.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qb::platform {

struct ClipboardText {
    enum class Kind {
        kText,   // `text` holds it, never empty
        kFiles,  // no text, but files copied in Explorer
        kNone,   // no text (an empty text counts as none)
    };
    Kind kind = Kind::kNone;
    std::wstring text;
};

class ClipboardReader {
public:
    virtual ~ClipboardReader() = default;
    // The clipboard's Unicode text, up to its first NUL and never past its memory block. Throws
    // Error when the clipboard cannot be opened or read.
    virtual ClipboardText ReadText() = 0;
};

// Each shows a modal dialog over `owner` (a window handle, 0 for none) and returns the chosen
// path, or nothing when the user cancelled. A dialog that fails throws Error.
class RestoreDialogs {
public:
    virtual ~RestoreDialogs() = default;
    // An existing .uue file (or any file) to restore from.
    virtual std::optional<std::wstring> PickUueFile(std::uintptr_t owner) = 0;
    // Where to save one restored file: `name` proposed, in `folder` when it is not empty. The
    // dialog itself asks before an existing file is replaced; no extension is added.
    virtual std::optional<std::wstring> PickSavePath(std::uintptr_t owner, const std::wstring& name,
                                                     const std::wstring& folder) = 0;
    // A folder of the file system to restore several files into.
    virtual std::optional<std::wstring> PickFolder(std::uintptr_t owner) = 0;
};

inline constexpr std::size_t kSha256Bytes = 32;
using Sha256Digest = std::array<std::uint8_t, kSha256Bytes>;

class Sha256 {
public:
    virtual ~Sha256() = default;
    virtual void Update(std::span<const std::uint8_t> bytes) = 0;
    // The digest of everything given to Update. Call it once; the object is spent afterwards.
    virtual Sha256Digest Finish() = 0;
};

// How restored files take their place in the folder.
enum class Placement {
    // Several files, or one the user did not name: nothing is replaced. A name that is taken on
    // disk, or by an earlier file of the same restore (compared without regard to case), gets
    // " (2)", " (3)" ... before its extension. The writer does all numbering; callers pass the
    // names as the text gives them (made safe for Windows), duplicates and all.
    kNumbered,
    // The one file the user named in Save As, who has already agreed to replace it: it replaces
    // a file of that name. A second file is refused (std::logic_error).
    kReplaceOne,
};

// Files rebuilt into one folder. Each file's bytes go into a temporary file in that folder; only
// Commit, once every file is complete, moves them into place. Dropping the writer uncommitted,
// say after a write failed, deletes every temporary file and touches nothing else.
class RestoreWriter {
public:
    virtual ~RestoreWriter() = default;
    // Ends the file before, if any, and starts the next, to be called `name` (a plain file name).
    virtual void NextFile(const std::wstring& name) = 0;
    virtual void Append(std::span<const std::uint8_t> bytes) = 0;
    // Moves every file into place and returns the full path of each, in the order begun. If one
    // move fails, the files this restore had already moved in are deleted again along with every
    // temporary file, and Error is thrown.
    virtual std::vector<std::wstring> Commit() = 0;
};

class RestoreFiles {
public:
    virtual ~RestoreFiles() = default;
    virtual std::unique_ptr<Sha256> NewSha256() = 0;
    // A writer into `folder`. When `source` is a file that came from the internet (it carries the
    // mark of a download), each restored file gets the same mark, best effort; pass an empty
    // source for text from the clipboard.
    virtual std::unique_ptr<RestoreWriter> Restore(const std::wstring& folder, Placement placement,
                                                   const std::wstring& source) = 0;
};

struct RestorePlatform {
    ClipboardReader& clipboard;
    RestoreDialogs& dialogs;
    RestoreFiles& files;
};

}  // namespace qb::platform
