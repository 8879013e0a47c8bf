#pragma once
// The "Quillbox(&U)" entry on Explorer's right-click menu for every file. Each step reports to the
// user itself (except the presence test, which is silent) and always runs to its end.

#include <string>

#include "platform/Platform.h"

namespace qb::shell {

// Whether the entry is there. Shows nothing.
bool IsInContextMenu(platform::Platform& p);

// Writes the entry for the running program (replacing an older one, e.g. after the program moved)
// and says whether that worked.
void AddToContextMenu(platform::Platform& p);

// Deletes the entry and says whether that worked.
void RemoveFromContextMenu(platform::Platform& p);

// The command Explorer runs for the entry: "<directory>\<name>.exe" "%1".
std::wstring EntryCommand(const platform::ProgramLocation& program);

}  // namespace qb::shell
