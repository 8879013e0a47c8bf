#pragma once
// Where every run begins: a file path on the command line runs one encode job; none opens the
// options window.

#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace qb::pipeline {

// The set-up road after the home page has been launched; returns the exit code when the program's
// windows are gone.
using SetupRoad = int (*)(platform::Platform&);

int Main(std::wstring_view commandLine, platform::Platform& p, SetupRoad setup);

// Checks, reads, encodes and delivers one file; reports every failure itself. Returns the exit code.
int RunEncodeJob(const std::wstring& path, platform::Platform& p);

// The report of an unexpected failure: what failed and the system's own message.
std::wstring FailureReport(const std::wstring& operation, std::uint32_t code,
                           const std::wstring& message);

}  // namespace qb::pipeline
