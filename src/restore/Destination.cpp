#include "restore/Destination.h"

namespace qb::restore {

std::optional<Destination> AskWhere(const std::vector<uue::Block>& blocks, platform::Platform& p,
                                    std::uintptr_t owner, const std::wstring& sourcePath) {
    Destination where;
    if (blocks.size() == 1) {
        const auto path = p.dialogs.PickSavePath(
            owner, blocks[0].fileName, std::wstring(platform::SplitPath(sourcePath).directory));
        if (!path) return std::nullopt;
        const auto parts = platform::SplitPath(*path);
        where.folder = parts.directory;
        where.names.emplace_back(parts.name);
        // The dialog asked before an existing file was replaced.
        where.placement = platform::Placement::kReplaceOne;
        return where;
    }
    const auto folder = p.dialogs.PickFolder(owner);
    if (!folder) return std::nullopt;
    where.folder = *folder;
    for (const auto& block : blocks) where.names.push_back(block.fileName);
    return where;
}

}  // namespace qb::restore
