#pragma once
// The encoding road: one file checked, read, encoded and delivered, every failure reported.

#include <chrono>
#include <string>

#include "platform/Platform.h"

namespace qb::encode {

// Checks, reads, encodes and delivers the file the argument names (quotes already removed); reports
// every failure of the job itself. Returns the exit code. Anything else that goes wrong (a fault
// of the program) is thrown.
int RunEncodeJob(const std::wstring& argument, platform::Platform& p,
                 std::chrono::milliseconds progressAfter = platform::kProgressAfter);

}  // namespace qb::encode
