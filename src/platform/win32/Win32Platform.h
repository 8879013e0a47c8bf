#pragma once
// The real operations, one object each, gathered into the Platform the program runs on.

#include "platform/Platform.h"

namespace qb::platform::win32 {

class Win32Ui final : public Ui {
public:
    int Message(std::wstring_view text, unsigned style) override;
};

class Win32Files final : public Files {
public:
    std::optional<std::uint64_t> FileLength(const std::wstring& path) override;
    std::unique_ptr<FileView> MapWhole(const std::wstring& path, std::uint64_t size) override;
    std::wstring FindFileName(const std::wstring& path) override;
    std::unique_ptr<SideFileWriter> SideFile(const std::wstring& path) override;
};

class Win32Clipboard final : public Clipboard {
public:
    std::unique_ptr<TextTarget> Text(std::size_t bytes) override;
};

class Win32Launcher final : public Launcher {
public:
    void Shell(const std::wstring& commandLine, int windowStyle) override;
};

struct Win32Platform {
    Win32Ui ui;
    Win32Files files;
    Win32Clipboard clipboard;
    Win32Launcher launcher;
    Platform Get() { return {ui, files, clipboard, launcher}; }
};

}  // namespace qb::platform::win32
