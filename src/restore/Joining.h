#pragma once
// Parts joined into the files they were cut from: which blocks make which file, checked before
// anything is asked, and the joining itself, from a scratch file the parts were decoded into.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "uue/TextScanner.h"

namespace qb::restore {

// A file to restore: one ordinary block, or a set of parts.
struct OutputFile {
    std::wstring name;                  // as it would be restored
    std::vector<std::size_t> blocks;    // the block, or the parts in order, one of each
    std::optional<uue::PartMarker> set;
};

struct Plan {
    std::vector<OutputFile> files;     // the ordinary blocks in order, then the sets
    std::vector<std::size_t> copyOf;   // a part that came twice: the block it repeats, else itself
    std::vector<std::wstring> pathOf;  // of several files, the one each block is in; else empty
};

// The name a set is restored under: the sender's, where it gave one; else the begin line's
// without its part number.
std::wstring SetName(const uue::Block& first);

// Every set whole and consistent, or a WordedFailure with the report: missing parts, or a part
// whose length cannot be right (its begin line is named as damaged).
Plan PlanFiles(const std::vector<uue::Block>& blocks, std::vector<std::wstring> pathOf = {});

// A text that is one set, every part once and in order, as Quillbox writes a side file: its
// parts go straight into the file, with no scratch copy between.
bool OneSetInOrder(const Plan& plan, const std::vector<uue::Block>& blocks);

// A WordedFailure unless the joined file's digest is its set's.
void CheckJoined(const OutputFile& file, const platform::Sha256Digest& digest);

// Where each part's bytes lie in the scratch file, by block.
struct PartBytes {
    std::uint64_t at = 0;
    std::uint64_t size = 0;
};

// Writes a set's parts from `scratch`, in order, as the writer's next file (in `folder`, for the
// report of a failed write), and returns its SHA-256, which must be the set's: a WordedFailure
// otherwise, as for a repeated part whose bytes differ from the first.
platform::Sha256Digest JoinParts(const OutputFile& file, const Plan& plan,
                                 const std::vector<uue::Block>& blocks,
                                 const std::vector<PartBytes>& where, platform::ScratchFile& scratch,
                                 platform::FileSetWriter& writer, const std::wstring& folder,
                                 platform::Platform& p);

}  // namespace qb::restore
