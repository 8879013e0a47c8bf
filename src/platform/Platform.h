#pragma once
// The operations the program needs from the system, named after what they do. Logic takes them
// by reference so a test can hand in a fake; win32/ holds the real ones.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qb::platform {

// Message box styles and answers, as the Windows API numbers them.
namespace style {
inline constexpr unsigned kOk = 0;
inline constexpr unsigned kYesNo = 4;
inline constexpr unsigned kError = 16;
inline constexpr unsigned kExclamation = 48;
inline constexpr unsigned kInformation = 64;
inline constexpr unsigned kDefaultSecond = 256;
}  // namespace style
inline constexpr int kAnswerNo = 7;

class Ui {
public:
    virtual ~Ui() = default;
    // Modal, captioned with the application title; returns the button pressed.
    virtual int Message(std::wstring_view text, unsigned style) = 0;
};

// A buffer of a fixed size that becomes visible to the user only on Commit. Dropping it
// uncommitted leaves nothing behind.
class TextTarget {
public:
    virtual ~TextTarget() = default;
    virtual std::span<char> Bytes() = 0;
    virtual void Commit() = 0;
};

// A whole file's bytes, held for as long as the view lives.
class FileView {
public:
    virtual ~FileView() = default;
    virtual std::span<const std::uint8_t> Bytes() const = 0;
};

// Text appended piece by piece to a temporary file beside the target, which replaces the target
// only on Commit; dropping the writer uncommitted removes the temporary file.
class SideFileWriter {
public:
    virtual ~SideFileWriter() = default;
    virtual void Append(std::span<const char> bytes) = 0;
    virtual void Commit() = 0;
};

class Files {
public:
    virtual ~Files() = default;
    // Length of a regular file; nothing for a missing file, a directory or a malformed path.
    virtual std::optional<std::uint64_t> FileLength(const std::wstring& path) = 0;
    // The whole file, read-only in memory; fails unless it holds exactly `size` bytes (it may have
    // changed since its length was read).
    virtual std::unique_ptr<FileView> MapWhole(const std::wstring& path, std::uint64_t size) = 0;
    // The file's own name as the file system spells it (no directory); empty if not found.
    virtual std::wstring FindFileName(const std::wstring& path) = 0;
    // A new file that replaces `path` on Commit, all or nothing.
    virtual std::unique_ptr<SideFileWriter> SideFile(const std::wstring& path) = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Plain text in the ANSI code page; Commit clears the clipboard and puts the text on it.
    virtual std::unique_ptr<TextTarget> Text(std::size_t bytes) = 0;
};

class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts a command line with a window style and does not wait.
    virtual void Shell(const std::wstring& commandLine, int windowStyle) = 0;
};

// Text leaves the program in the system's ANSI code page (936 for the users we write for).
std::string ToAnsi(std::wstring_view text);

struct Platform {
    Ui& ui;
    Files& files;
    Clipboard& clipboard;
    Launcher& launcher;
};

}  // namespace qb::platform
