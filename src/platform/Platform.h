#pragma once
// The operations the program needs from the system, named after what they do. Logic takes them
// by reference so a test can hand in a fake; win32/ holds the real ones.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/JobProgress.h"

namespace qb::platform {

// Message box styles and answers, as the Windows API numbers them.
namespace style {
inline constexpr unsigned kOk = 0;
inline constexpr unsigned kYesNo = 4;
inline constexpr unsigned kError = 16;
inline constexpr unsigned kExclamation = 48;
inline constexpr unsigned kInformation = 64;
inline constexpr unsigned kDefaultSecond = 256;
// Holds off every window of the thread, not only an owner, until the box is answered.
inline constexpr unsigned kTaskModal = 0x2000;
}  // namespace style
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

class Ui {
public:
    virtual ~Ui() = default;
    // Modal, captioned with the application title; returns the button pressed.
    virtual int Message(std::wstring_view text, unsigned style) = 0;
    // A window over a job running on another thread: `heading`, a bar of the bytes done of the
    // total, the counts in MB and a Cancel button. Returns once the job has ended, the window
    // closed first; Cancel, Esc or closing it asks the job to stop and returns at once. Where no
    // such window can be shown, this waits for the job without one.
    virtual void ShowProgress(std::wstring_view heading, JobProgress& progress) {
        (void)heading;
        progress.WaitFinished();
    }
};

// A buffer of a fixed size that becomes visible to the user only on Commit. Dropping it
// uncommitted leaves nothing behind, and closes the clipboard if it was opened.
class ClipboardBuffer {
public:
    virtual ~ClipboardBuffer() = default;
    virtual std::span<char> Bytes() = 0;
    // Opens the clipboard, waiting a while for another program to let go of it, and asking
    // `stopped` meanwhile: false, and the clipboard untouched, if the user stopped first. Throws
    // Error if it stays busy.
    virtual bool Open(const std::function<bool()>& stopped) = 0;
    // Once opened: empties the clipboard and puts the text on it.
    virtual void Commit() = 0;
};

// A file opened once for reading: the size taken at the open, and its bytes from that same
// handle, however the file changes by name meanwhile.
class InputFile {
public:
    virtual ~InputFile() = default;
    virtual std::uint64_t Size() const = 0;
    // Fills `out` with the next bytes of the file, in order. Throws Error on a read error or when
    // the file ends early (it was cut short after the open): never a partial result.
    virtual void Read(std::span<std::uint8_t> out) = 0;
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
    // The path made full against the working folder (and, for "C:name", drive C's own current
    // folder), as the system would read it; empty if the system cannot make one of it.
    virtual std::wstring FullPath(const std::wstring& path) = 0;
    // A regular file opened for reading, shared with programs that write or delete it; null for a
    // missing file, a directory or a malformed path. Throws Error for a file that is there but
    // cannot be opened (held by another program without sharing, or closed to this user).
    virtual std::unique_ptr<InputFile> OpenInput(const std::wstring& path) = 0;
    // The file's own name as the file system spells it (no directory); empty if not found.
    virtual std::wstring FindFileName(const std::wstring& path) = 0;
    // A new file that replaces `path` on Commit, all or nothing.
    virtual std::unique_ptr<SideFileWriter> SideFile(const std::wstring& path) = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Plain text in the ANSI code page, to be opened and committed.
    virtual std::unique_ptr<ClipboardBuffer> Text(std::size_t bytes) = 0;
};

// A program this one started, until it is waited for and its exit code read.
class StartedProgram {
public:
    virtual ~StartedProgram() = default;
    // The process handle, signalled once the program has ended: what a wait waits on.
    virtual std::uintptr_t Handle() const = 0;
    // Its exit code, once it has ended. Throws Error if the system cannot tell it.
    virtual std::uint32_t ExitCode() = 0;
};

class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts a command line with a window style and does not wait.
    virtual void StartProgram(const std::wstring& commandLine, int windowStyle) = 0;
    // Asks the shell to open a document or address (ShellExecuteA "open"); the outcome is not
    // reported. `owner` is the window handle the shell may use for its own messages.
    virtual void ShellOpen(std::uintptr_t owner, std::wstring_view target, int showCommand) = 0;
    // Starts `program` (a full path) with `argument` as an administrator, through the system's
    // consent prompt with `owner` as its window, and does not wait. Null when the user declined
    // the prompt; any other failure to start it throws Error.
    virtual std::unique_ptr<StartedProgram> StartElevated(std::uintptr_t owner,
                                                          const std::wstring& program,
                                                          std::wstring_view argument) = 0;
};

// The command line that opens the home page: explorer.exe named by its full path in the system's
// Windows folder, since a program started by its bare name is looked for in our own folder first.
std::wstring HomePageCommand();

// The registry through the ANSI advapi32 calls. Every call returns the system's status, 0 on
// success; names are ANSI bytes. A key that was opened or created closes itself when dropped.
enum class RegistryRoot { kClassesRoot };
using RegistryStatus = long;
inline constexpr std::uint32_t kRegSz = 1;

class RegistryKey {
public:
    virtual ~RegistryKey() = default;
};

struct OpenedKey {
    RegistryStatus status;
    std::unique_ptr<RegistryKey> key;  // null unless status is 0
};

class Registry {
public:
    virtual ~Registry() = default;
    virtual OpenedKey OpenKey(RegistryRoot root, const std::string& subkey) = 0;
    // Creates the key and any missing parents; opens it if it exists.
    virtual OpenedKey CreateKey(RegistryRoot root, const std::string& subkey) = 0;
    // Writes the default value of `subkey`, creating the key if missing. `length` counts the NUL.
    virtual RegistryStatus SetValue(RegistryRoot root, const std::string& subkey,
                                    std::uint32_t type, const char* data, std::uint32_t length) = 0;
    // Deletes the sub-key `name` of `key` (an empty name: `key` itself); a key that still has
    // sub-keys is refused, and so is a null key, with the status the system gives a null handle.
    virtual RegistryStatus DeleteKey(const RegistryKey* key, const std::string& name) = 0;
};

// Where the running program lives: its folder (no trailing backslash except at a drive root such
// as C:\) and its file name without the extension.
struct ProgramLocation {
    std::wstring directory;
    std::wstring name;
};

// A path split at its last separator (\ or /). The directory is empty when there is none, and
// keeps its separator only at a root ("C:\", "\").
struct PathParts {
    std::wstring_view directory;
    std::wstring_view name;
};
PathParts SplitPath(std::wstring_view path);

// Splits a full program path, as the system reports it, into a ProgramLocation.
ProgramLocation LocationOfProgram(std::wstring_view path);

class Process {
public:
    virtual ~Process() = default;
    // The running program's own file, by its full path, whatever it is named (a copy may be
    // called Quillbox.com and still run).
    virtual std::wstring File() = 0;
    ProgramLocation Location() { return LocationOfProgram(File()); }
    // Whether `path` names the running program's own file, and not merely a file of that name.
    virtual bool IsThisProgram(const std::wstring& path) = 0;
    // Whether the process runs with an administrator's full rights (UAC's elevated token), which
    // writing under HKEY_CLASSES_ROOT needs.
    virtual bool IsElevated() = 0;
    // Ends the process at once, every window with it.
    [[noreturn]] virtual void ExitNow(int code) = 0;
};

// Text leaves the program in the system's ANSI code page (936 for the users we write for).
std::string ToAnsi(std::wstring_view text);
// Text in the ANSI code page as the program holds it; a byte the code page has no character for
// becomes U+FFFD.
std::wstring FromAnsi(std::string_view text);
// A file name for the header: every character the code page lacks becomes one '_' (a surrogate
// pair is one character), never '?' nor a best-fit look-alike such as a backslash for a yen sign.
std::string NameToAnsi(std::wstring_view name);
// The text only if every character has its own place in the code page.
std::optional<std::string> ToAnsiExactly(std::wstring_view text);

struct Platform {
    Ui& ui;
    Files& files;
    Clipboard& clipboard;
    Launcher& launcher;
    Registry& registry;
    Process& process;
};

}  // namespace qb::platform
