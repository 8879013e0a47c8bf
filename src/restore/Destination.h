#pragma once
// Where the restored files go: Save As for one file, a folder for several.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace qb::restore {

struct Destination {
    std::wstring folder;
    std::vector<std::wstring> names;  // one a block, in the text's order
    platform::Placement placement = platform::Placement::kNumbered;
    // The path the report of a failed write names before any file is in place.
    std::wstring FirstPath() const { return platform::JoinPath(folder, names.front()); }
};

// Asks where the files of these names go, starting in `sourcePath`'s folder when it is a file;
// nothing when cancelled.
std::optional<Destination> AskWhere(const std::vector<std::wstring>& names, platform::Platform& p,
                                    std::uintptr_t owner, const std::wstring& sourcePath);

}  // namespace qb::restore
