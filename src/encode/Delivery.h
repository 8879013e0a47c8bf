#pragma once
// Frames the body into a complete UUE text and puts it on the clipboard or into NAME.uue.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "encode/JobSizes.h"
#include "encode/PartSources.h"
#include "platform/Platform.h"

namespace qb::encode {

enum class Road { kClipboard, kSideFile };

constexpr Road RoadFor(std::uint64_t size) {
    return size < kClipboardLimit ? Road::kClipboard : Road::kSideFile;
}

// The name for the header line: the file's own name, or the last part of the path if the file
// system does not report one.
std::wstring HeaderName(platform::Files& files, const std::wstring& path);

struct Delivered {
    Road road;
    // Where the setting cuts the text into parts: the parts, which the parts window puts on the
    // clipboard (on the clipboard road none of them is there yet), and the limit they keep to.
    std::unique_ptr<PartSource> parts;
    std::uint64_t limit = 0;
};

// Reads and encodes all of `input` (the file at `path`, named `name` in the header) into the
// destination between header and footer, or into parts where the setting says so, counting the
// bytes read into `progress`, and commits it. Throws platform::WordedFailure if the file cannot
// be read or the text cannot be delivered, platform::JobStopped if the user stopped the job
// before the delivery began; nothing is delivered then.
Delivered Deliver(platform::Platform& p, std::unique_ptr<platform::InputFile> input,
                  const std::wstring& path, std::wstring_view name, platform::JobProgress& progress);

// The steps both kinds of delivery share. Reads the next bytes of the input in pieces, counting
// each: a read failure is worded as one of `path`, a stop asked for ends it (JobStopped).
void ReadInto(platform::InputFile& input, const std::wstring& path, std::span<std::uint8_t> out,
              platform::JobProgress& progress);
void StopIfAsked(const platform::JobProgress& progress);
// The side file's writer: a set of one file beside the input that replaces an older one only
// when complete.
std::unique_ptr<platform::FileSetWriter> SideFileWriter(platform::Platform& p, const std::wstring& target);

}  // namespace qb::encode
