#pragma once
// The encoding road: one file checked, read, encoded and delivered, every failure reported.

#include <chrono>
#include <optional>
#include <string>

#include "encode/PartSources.h"
#include "platform/Platform.h"

namespace qb::encode {

struct Encoded {
    int exitCode;
    // A file sent in parts, for the parts window; the exit code is then that of its closing.
    std::optional<PartsToShow> parts = std::nullopt;
};

// Checks, reads, encodes and delivers the file the argument names (quotes already removed); reports
// every failure of the job itself. Anything else that goes wrong (a fault of the program) is
// thrown.
Encoded RunEncodeJob(const std::wstring& argument, platform::Platform& p,
                 std::chrono::milliseconds progressAfter = platform::kProgressAfter);

}  // namespace qb::encode
