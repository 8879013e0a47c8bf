#pragma once
// Delivery in parts: the parts of a file read whole, for the clipboard, or written one after
// another into its side file. Either way every marker carries the whole file's SHA-256.

#include <memory>
#include <string>

#include "encode/PartSources.h"
#include "platform/Platform.h"

namespace qb::encode {

// Reads the whole file and works out its digest; no part is on the clipboard yet.
std::unique_ptr<PartSource> PartsFromMemory(platform::Platform& p, platform::InputFile& input,
                                                       const std::wstring& path, PartLayout layout,
                                                       platform::JobProgress& progress);

// NAME.uue with every part, each ending in CR LF, through a temporary file as ever; the digest is
// worked out on a worker beside the encoding and written into each marker before the move.
std::unique_ptr<PartSource> PartsToSideFile(platform::Platform& p, platform::InputFile& input,
                                                       const std::wstring& path, const PartLayout& layout,
                                                       platform::JobProgress& progress);

}  // namespace qb::encode
