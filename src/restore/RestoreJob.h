#pragma once
// The restore road: UUE text from the clipboard or from a file, checked whole before anything is
// asked, then rebuilt into files where the user puts them, all or nothing, with one outcome box.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/JobProgress.h"
#include "platform/Platform.h"
#include "platform/RestorePlatform.h"

namespace qb::restore {

enum class From { kClipboard, kFile };

// A pass still running this long after its start shows its progress window.
inline constexpr std::chrono::milliseconds kProgressAfter{2000};

// How the caller waits for one pass running on a worker: its windows held and painting, and the
// progress window under `heading` once the pass runs long. Returns once the pass has ended.
using WaitForPass = std::function<void(platform::JobProgress& progress, std::wstring_view heading)>;

// One restore, to its end: every failure and the outcome are shown in a box; a dialog cancelled
// or a pass stopped shows nothing and leaves nothing behind. `owner` is the dialogs' window.
void RunRestore(From from, platform::Platform& p, platform::RestorePlatform& r,
                std::uintptr_t owner, const WaitForPass& wait);

}  // namespace qb::restore
