#pragma once
// The file operations over POSIX, so the native tests run the encoding road over real files.
// The clipboard, message boxes and launches have no POSIX counterpart; tests bring fakes for them.

#include "platform/Platform.h"

namespace qb::platform::posix {

class PosixFiles : public Files {
public:
    std::wstring FullPath(const std::wstring& path) override;
    std::unique_ptr<InputFile> OpenInput(const std::wstring& path, Sharing sharing) override;
    std::wstring FindFileName(const std::wstring& path) override;
    std::unique_ptr<FileSetWriter> WriteFiles(const std::wstring& folder, Placement placement,
                                              const Origin& origin) override;
    std::unique_ptr<ScratchFile> Scratch() override;
};

std::string ToUtf8(std::wstring_view text);

}  // namespace qb::platform::posix
