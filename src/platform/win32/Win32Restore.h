#pragma once
// The real operations of the restore road.

#include "platform/RestorePlatform.h"

namespace qb::platform::win32 {

class Win32ClipboardReader final : public ClipboardReader {
public:
    ClipboardText ReadText() override;
};

class Win32RestoreDialogs final : public RestoreDialogs {
public:
    std::optional<std::wstring> PickUueFile(std::uintptr_t owner) override;
    std::optional<std::wstring> PickSavePath(std::uintptr_t owner, const std::wstring& name,
                                             const std::wstring& folder) override;
    std::optional<std::wstring> PickFolder(std::uintptr_t owner) override;
};

class Win32RestoreFiles final : public RestoreFiles {
public:
    std::unique_ptr<Sha256> NewSha256() override;
    std::unique_ptr<RestoreWriter> Restore(const std::wstring& folder, Placement placement,
                                           const std::wstring& source) override;
};

struct Win32RestorePlatform {
    Win32ClipboardReader clipboard;
    Win32RestoreDialogs dialogs;
    Win32RestoreFiles files;
    RestorePlatform Get() { return {clipboard, dialogs, files}; }
};

}  // namespace qb::platform::win32
