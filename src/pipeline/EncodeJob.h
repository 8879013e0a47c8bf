#pragma once
// The encoding road: one file checked, read, encoded and delivered, every failure reported.

#include <chrono>
#include <string>

#include "platform/Platform.h"

namespace qb::pipeline {

// A job that has not ended this long after its start (or after the Yes to the question) shows
// its progress: anything that takes longer needs feedback, and a shorter job looks as it always did.
inline constexpr std::chrono::milliseconds kProgressAfter{2000};

// Checks, reads, encodes and delivers the file the argument names (quotes already removed); reports
// every failure of the job itself. Returns the exit code. Anything else that goes wrong (a fault
// of the program) is thrown.
int RunEncodeJob(const std::wstring& argument, platform::Platform& p,
                 std::chrono::milliseconds progressAfter = kProgressAfter);

}  // namespace qb::pipeline
