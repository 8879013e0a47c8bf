#pragma once
// The receiver script for a far end with nothing but PowerShell: kept in the program as a
// resource and put on the clipboard exactly as it is, from the parts window or the File menu.

#include <string>

#include "platform/Platform.h"

namespace qb::windows {

// Puts the script on the clipboard and says what to do with it there; a failure is said in its
// box instead. Returns the text put, or nothing.
std::u16string PutReceiverScript(platform::Platform& p, unsigned boxStyle);

}  // namespace qb::windows
