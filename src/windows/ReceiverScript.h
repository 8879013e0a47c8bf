#pragma once
// The receiver script for a far end with nothing but PowerShell: kept in the program as a
// resource and put on the clipboard exactly as it is, from the parts window or the File menu.

#include <functional>
#include <string>

#include "platform/Platform.h"

namespace qb::windows {

// Puts the script on the clipboard and says what to do with it there; a failure is said in its
// box instead. `put` hears of the text put before the box shows: the other end may answer while
// the box is up.
void PutReceiverScript(platform::Platform& p, unsigned boxStyle,
                       const std::function<void(std::u16string)>& put = {});

}  // namespace qb::windows
