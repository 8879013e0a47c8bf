#include "restore/Destination.h"

#include <algorithm>

#include "platform/Failure.h"
#include "platform/FileNames.h"
#include "product/ExitCodes.h"
#include "product/RestoreTexts.h"
#include "restore/Reports.h"

namespace qb::restore {
namespace {

using namespace product::text;

// A name the file system resolves to a file of another long name (its 8.3 short name, say) is
// taken: writing to it would replace that file.
bool IsAlias(platform::Platform& p, const std::wstring& path) {
    const std::wstring found = p.files.FindFileName(path);
    return !found.empty() && !platform::SameFileName(found, platform::SplitPath(path).name);
}

// Windows' calls refuse a longer path without the \\?\ prefix, and only after the whole
// decoding would the move find out.
void CheckLength(const std::wstring& path) {
    if (path.size() > platform::kMaxPathUnits)
        throw platform::WordedFailure(product::kDeliveryFailed, std::wstring(kPathTooLongBefore) +
                                                                    ShownPath(path) +
                                                                    std::wstring(kPathTooLongAfter));
}

std::optional<Destination> AskSavePath(std::wstring name, platform::Platform& p,
                                       std::uintptr_t owner, std::wstring folder) {
    if (!folder.empty() && IsAlias(p, platform::JoinPath(folder, name)))
        name = platform::NumberedName(name, 2);
    for (;;) {
        const auto path = p.dialogs.PickSavePath(owner, name, folder);
        if (!path) return std::nullopt;
        const auto parts = platform::SplitPath(*path);
        folder = parts.directory;
        name = parts.name;
        if (IsAlias(p, *path)) {
            // The dialog asked to replace the file the alias stands for: ask again.
            name = platform::NumberedName(name, 2);
            continue;
        }
        CheckLength(*path);
        // Replaced only if it was there when the user agreed in the dialog.
        const bool existed = !p.files.FindFileName(*path).empty();
        return Destination{folder, {name}, existed ? platform::Placement::kReplaceOne
                                                   : platform::Placement::kNewOne};
    }
}

}  // namespace

std::optional<Destination> AskWhere(const std::vector<std::wstring>& names, platform::Platform& p,
                                    std::uintptr_t owner, const std::wstring& sourcePath) {
    if (names.size() == 1)
        return AskSavePath(names[0], p, owner,
                           std::wstring(platform::SplitPath(sourcePath).directory));
    const auto folder = p.dialogs.PickFolder(owner);
    if (!folder) return std::nullopt;
    Destination where{*folder, {}, platform::Placement::kNumbered};
    // Each name as the writer will number it, taken on disk or by an earlier file, so that the
    // length is checked for the path the file will have.
    std::vector<std::wstring> placed;
    for (const auto& name : names) {
        std::wstring path;
        // As far as the writer numbers; past that the move fails however long the path.
        for (int number = 1; number <= 9999; ++number) {
            const std::wstring candidate = number == 1 ? name : platform::NumberedName(name, number);
            path = platform::JoinPath(*folder, candidate);
            const bool taken = std::ranges::any_of(placed, [&](const std::wstring& other) {
                return platform::SameFileName(other, candidate);
            });
            if (!taken && p.files.FindFileName(path).empty()) {
                placed.push_back(candidate);
                break;
            }
        }
        CheckLength(path);
        where.names.push_back(name);
    }
    return where;
}

}  // namespace qb::restore
