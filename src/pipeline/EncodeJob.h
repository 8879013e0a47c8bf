#pragma once
// The encoding road: one file checked, read, encoded and delivered, every failure reported.

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace qb::pipeline {

// Checks, reads, encodes and delivers one file; reports every failure itself. Returns the exit code.
int RunEncodeJob(const std::wstring& path, platform::Platform& p);

// The report of an unexpected failure: what failed and the system's own message.
std::wstring FailureReport(const std::wstring& operation, std::uint32_t code,
                           const std::wstring& message);

}  // namespace qb::pipeline
