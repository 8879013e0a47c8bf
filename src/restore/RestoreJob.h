#pragma once
// The restore road: UUE text from the clipboard or from a file, checked whole before anything is
// asked, then rebuilt into files where the user puts them, all or nothing, with one outcome box.

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>

#include "platform/Platform.h"
#include "relay/Receiver.h"
#include "restore/Input.h"
#include "restore/PartStore.h"

namespace qb::restore {

// A file whose parts come one text at a time: the first text's parts are in, the rest are
// gathered by the receiving window, and FinishGathering writes the file.
struct Gathering {
    std::unique_ptr<relay::Receiver> receiver;
    std::unique_ptr<PartStore> store;
    relay::Receiver::Actions first;  // what the first text asks for: its answer
    std::exception_ptr failure;      // met while gathering (a full disk), reported at the end
};

// One restore, to its end: every failure and the outcome are shown in a box; a dialog cancelled
// or a pass stopped shows nothing and leaves nothing behind. `owner` is the dialogs' window; each
// pass runs on a worker while p.ui waits for it. A clipboard text that is some of one file's
// parts ends it early, with the parts to gather.
std::optional<Gathering> RunRestore(From from, platform::Platform& p, std::uintptr_t owner);

// Once the receiving window has closed: with every part in and the file the sender's, Save As,
// the write and the outcome box; a file that is not the sender's is reported; parts still
// missing (the person cancelled) write nothing. True when the file still waits to be saved
// (Save As cancelled, the write stopped or failed): the receiving window comes back.
bool FinishGathering(Gathering& gathering, platform::Platform& p, std::uintptr_t owner);

}  // namespace qb::restore
