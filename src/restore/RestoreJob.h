#pragma once
// The restore road: UUE text from the clipboard or from a file, checked whole before anything is
// asked, then rebuilt into files where the user puts them, all or nothing, with one outcome box.

#include <cstdint>

#include "platform/Platform.h"
#include "restore/Input.h"

namespace qb::restore {

// One restore, to its end: every failure and the outcome are shown in a box; a dialog cancelled
// or a pass stopped shows nothing and leaves nothing behind. `owner` is the dialogs' window; each
// pass runs on a worker while p.ui waits for it.
void RunRestore(From from, platform::Platform& p, std::uintptr_t owner);

}  // namespace qb::restore
