#pragma once
// The system's file dialogs. Each is modal over `owner` (a window handle, 0 for none) and returns
// nothing (or no file) when the user cancelled; a dialog that fails throws Error.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qb::platform {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Existing text files (.uue or any file) to restore from, in the order picked.
    virtual std::vector<std::wstring> PickTextFiles(std::uintptr_t owner) = 0;
    // Where to save one restored file: `name` proposed, in `folder` when it is not empty. The
    // dialog itself asks before an existing file is replaced; no extension is added.
    virtual std::optional<std::wstring> PickSavePath(std::uintptr_t owner, const std::wstring& name,
                                                     const std::wstring& folder) = 0;
    // A folder of the file system to restore several files into.
    virtual std::optional<std::wstring> PickFolder(std::uintptr_t owner) = 0;
};

}  // namespace qb::platform
