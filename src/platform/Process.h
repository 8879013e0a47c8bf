#pragma once
// The running program, the threads it starts, and the programs and documents it starts.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

namespace qb::platform {

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

// Where the running program lives: its folder (no trailing backslash except at a drive root such
// as C:\) and its file name without the extension.
struct ProgramLocation {
    std::wstring directory;
    std::wstring name;
};

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
    // A thread for `job`, or an empty one, and the job not run, when the system gives no thread:
    // the caller then does the work itself. Every thread of the program starts here.
    virtual std::jthread StartWorker(std::function<void()> job);
    // Ends the process at once, every window with it.
    [[noreturn]] virtual void ExitNow(int code) = 0;
};

}  // namespace qb::platform
