#pragma once
// Frames the body into a complete UUE text and puts it on the clipboard or into NAME.uue.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "encode/JobSizes.h"
#include "platform/Platform.h"

namespace qb::encode {

enum class Destination { kClipboard, kSideFile };

constexpr Destination DestinationFor(std::uint64_t size) {
    return size < kClipboardLimit ? Destination::kClipboard : Destination::kSideFile;
}

// The name for the header line: the file's own name, or the last part of the path if the file
// system does not report one.
std::wstring HeaderName(platform::Files& files, const std::wstring& path);

// Reads and encodes all of `input` (the file at `path`, named `name` in the header) into the
// destination between header and footer, counting the bytes read into `progress`, and commits it.
// Throws platform::WordedFailure if the file cannot be read or the text cannot be delivered, platform::JobStopped if the
// user stopped the job before the delivery began; nothing is delivered then.
Destination Deliver(platform::Platform& p, std::unique_ptr<platform::InputFile> input,
                    const std::wstring& path, std::wstring_view name,
                    platform::JobProgress& progress);

}  // namespace qb::encode
