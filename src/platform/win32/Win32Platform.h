#pragma once
// The real operations, one object a resource, gathered into the Platform the program runs on.

#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace qb::platform::win32 {

// Message boxes and the progress window, captioned with the program's title, which the caller
// names.
class Win32Ui final : public Ui {
public:
    explicit Win32Ui(std::wstring_view caption) : caption_(caption) {}
    int Message(std::wstring_view text, unsigned style) override;
    void ShowProgress(std::wstring_view heading, JobProgress& progress) override;

private:
    std::wstring caption_;
};

class Win32Files final : public Files {
public:
    std::wstring FullPath(const std::wstring& path) override;
    // The defaults are the interface's, for callers that hold a Win32Files.
    std::unique_ptr<InputFile> OpenInput(const std::wstring& path,
                                         Sharing sharing = Sharing::kWithWriters) override;
    std::wstring FindFileName(const std::wstring& path) override;
    std::unique_ptr<FileSetWriter> WriteFiles(const std::wstring& folder, Placement placement,
                                              const Origin& origin = {}) override;
    std::unique_ptr<ScratchFile> Scratch() override;
};

class Win32Clipboard final : public Clipboard {
public:
    ClipboardContent ReadText(const std::function<void(std::u16string_view)>& use) override;
    std::unique_ptr<ClipboardBuffer> Text(std::size_t bytes, bool transient = false) override;
    std::uint32_t PutLine(std::u16string_view line) override;
    std::uint32_t Sequence() override;

private:
    ClipboardContent ReadTextOnce(const std::function<void(std::u16string_view)>& use);
};

class Win32Dialogs final : public Dialogs {
public:
    std::vector<std::wstring> PickTextFiles(std::uintptr_t owner) override;
    std::optional<std::wstring> PickSavePath(std::uintptr_t owner, const std::wstring& name,
                                             const std::wstring& folder) override;
    std::optional<std::wstring> PickFolder(std::uintptr_t owner) override;
};

class Win32Hashing final : public Hashing {
public:
    std::unique_ptr<Sha256> NewSha256() override;
};

class Win32Launcher final : public Launcher {
public:
    void StartProgram(const std::wstring& commandLine, int windowStyle) override;
    void ShellOpen(std::uintptr_t owner, std::wstring_view target, int showCommand) override;
    std::unique_ptr<StartedProgram> StartElevated(std::uintptr_t owner, const std::wstring& program,
                                                  std::wstring_view argument) override;
};

class Win32Registry : public Registry {
public:
    OpenedKey OpenKey(RegistryRoot root, const std::string& subkey) override;
    OpenedKey CreateKey(RegistryRoot root, const std::string& subkey) override;
    RegistryStatus SetValue(RegistryRoot root, const std::string& subkey, std::uint32_t type,
                            const char* data, std::uint32_t length) override;
    RegistryStatus DeleteKey(const RegistryKey* key, const std::string& name) override;
};

class Win32Settings final : public Settings {
public:
    std::uint32_t PartChars() override;
    void SetPartChars(std::uint32_t chars) override;
};

class Win32Process final : public Process {
public:
    std::wstring File() override;
    bool IsThisProgram(const std::wstring& path) override;
    bool IsElevated() override;
    [[noreturn]] void ExitNow(int code) override;
};

struct Win32Platform {
    explicit Win32Platform(std::wstring_view caption) : ui(caption) {}

    Win32Ui ui;
    Win32Files files;
    Win32Clipboard clipboard;
    Win32Dialogs dialogs;
    Win32Hashing hashing;
    Win32Launcher launcher;
    Win32Registry registry;
    Win32Settings settings;
    Win32Process process;
    Platform Get() {
        return {ui, files, clipboard, dialogs, hashing, launcher, registry, settings, process};
    }
};

}  // namespace qb::platform::win32
