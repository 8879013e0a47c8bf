#include "shell/ContextMenu.h"

#include <exception>
#include <string_view>
#include <utility>

#include "product/Texts.h"

namespace qb::shell {

namespace {

using namespace product::text;
using platform::KeyHandle;
using platform::kNoKey;
using platform::Registry;
using platform::RegistryRoot;

constexpr RegistryRoot kRoot = RegistryRoot::kClassesRoot;
const std::string kVerbKey = "*\\Shell\\Quillbox(&U)";
const std::string kCommandName = "Command";
const std::string kCommandKey = kVerbKey + "\\" + kCommandName;

// Gives the handle back to the registry when it goes out of scope, whatever happened meanwhile.
class OwnedKey {
public:
    OwnedKey(Registry& registry, KeyHandle handle) : registry_(registry), handle_(handle) {}
    OwnedKey(const OwnedKey&) = delete;
    OwnedKey& operator=(const OwnedKey&) = delete;
    ~OwnedKey() {
        if (handle_ != kNoKey) registry_.CloseKey(handle_);
    }
    KeyHandle get() const { return handle_; }

private:
    Registry& registry_;
    KeyHandle handle_;
};

}  // namespace

std::wstring EntryCommand(const platform::ProgramLocation& program) {
    std::wstring exe = program.directory;
    if (exe.empty() || exe.back() != L'\\') exe += L'\\';
    exe += program.name + L".exe";
    // Both halves quoted: an unquoted path with a space lets a planted C:\Program.exe run in our
    // place, and an unquoted %1 makes Explorer hand over 8.3 short names. Start-up drops the
    // quotes from its argument again.
    return L"\"" + exe + L"\" \"%1\"";
}

bool IsInContextMenu(platform::Platform& p) {
    // Only the verb key is probed: Explorer lists the entry as soon as that key exists.
    const OwnedKey verb(p.registry, p.registry.OpenKey(kRoot, kVerbKey).handle);
    return verb.get() != kNoKey;
}

/*
 * HKEY_CLASSES_ROOT
 * └─ *                          every file type
 *    └─ Shell
 *       └─ Quillbox(&U)         the menu text; U is the access key; no value of its own
 *          └─ Command           default value (REG_SZ): "<dir>\<name>.exe" "%1"
 */
void AddToContextMenu(platform::Platform& p) {
    // Any failure on the way, the program's location or the conversion included, is the one
    // failure message: the step never stops half-way without a word.
    bool added = false;
    try {
        // A stand-in character would make a command that can never start the program.
        const auto command = platform::ToAnsiExactly(EntryCommand(p.process.Location()));
        if (command) {
            platform::RegistryStatus created;
            {
                const auto opened = p.registry.CreateKey(kRoot, kCommandKey);
                const OwnedKey key(p.registry, opened.handle);
                created = opened.status;
            }
            // Written even when the create failed: the write makes the key itself if it can, and
            // the user hears about the failure either way.
            const auto written =
                p.registry.SetValue(kRoot, kCommandKey, platform::kRegSz, command->c_str(),
                                    static_cast<std::uint32_t>(command->size() + 1));
            added = created == 0 && written == 0;
        }
    } catch (const std::exception&) {
    }
    p.ui.Message(added ? kAdded : kAddFailed, platform::style::kOk);
}

void RemoveFromContextMenu(platform::Platform& p) {
    bool removed = false;
    try {
        platform::RegistryStatus commandDeleted, verbDeleted;
        {
            // If the open fails the handle stays empty and both deletes fail with it; that is the
            // "nothing to remove" report.
            const OwnedKey verb(p.registry, p.registry.OpenKey(kRoot, kVerbKey).handle);
            commandDeleted = p.registry.DeleteKey(verb.get(), kCommandName);
            verbDeleted = p.registry.DeleteKey(verb.get(), "");
        }
        removed = commandDeleted == 0 && verbDeleted == 0;
    } catch (const std::exception&) {
    }
    p.ui.Message(removed ? kRemoved : kRemoveFailed, platform::style::kOk);
}

}  // namespace qb::shell
