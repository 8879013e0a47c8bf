#pragma once
// The "Quillbox(&U)" entry on Explorer's right-click menu for every file. The add and remove steps
// always run to their end and only say whether they worked; Apply runs one of them where it may
// write the registry and tells the user the outcome.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace qb::shell {

// Whether the entry is there. Shows nothing.
bool IsInContextMenu(platform::Platform& p);

// Writes the entry for the running program (replacing an older one, e.g. after the program moved).
// True when it worked; false too when the entry's file would not be the running program. Shows
// nothing.
bool AddToContextMenu(platform::Platform& p);

// Deletes the entry. True when it worked. Shows nothing.
bool RemoveFromContextMenu(platform::Platform& p);

enum class Step { kAdd, kRemove };

// Whether Apply must ask for an administrator, and its button carry the shield: the process is
// not elevated, or cannot tell.
bool ApplyNeedsElevation(platform::Platform& p);

// How the caller waits for the elevated second copy to end: its windows must keep painting while
// taking no input, which only the caller's message loop can do.
using WaitForProgram = std::function<void(platform::StartedProgram&)>;

// Apply: runs the step in this process when it is elevated, otherwise in an elevated second copy
// of the program, waited for with `wait`, then shows the step's outcome. A declined consent
// prompt shows nothing and changes nothing. `owner` is the window the prompt belongs to.
void Apply(Step step, platform::Platform& p, std::uintptr_t owner, const WaitForProgram& wait);

// The one command-line option: the second copy's step. Each spelling holds a character that
// Windows forbids in file names, so no path can ever read the same.
std::wstring_view ArgumentFor(Step step);
// The step a command line's argument (its quotes removed) names exactly; nothing for any other.
std::optional<Step> StepNamed(std::wstring_view argument);
// All the second copy does: the step, with no window and no box, whatever its rights; it never
// starts another copy. Returns the exit code: 0 when the step worked, 1 when not.
int RunStepAlone(Step step, platform::Platform& p) noexcept;

// The program's file, "<directory>\<name>.exe", and the command Explorer runs for the entry:
// that file and "%1", both quoted.
std::wstring ProgramFile(const platform::ProgramLocation& program);
std::wstring EntryCommand(const platform::ProgramLocation& program);

}  // namespace qb::shell
