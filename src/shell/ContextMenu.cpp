#include "shell/ContextMenu.h"

#include <exception>
#include <string_view>
#include <utility>

#include "product/ExitCodes.h"
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

std::wstring ProgramFile(const platform::ProgramLocation& program) {
    std::wstring exe = program.directory;
    if (exe.empty() || exe.back() != L'\\') exe += L'\\';
    return exe + program.name + L".exe";
}

std::wstring EntryCommand(const platform::ProgramLocation& program) {
    // Both halves quoted: an unquoted path with a space lets a planted C:\Program.exe run in our
    // place, and an unquoted %1 makes Explorer hand over 8.3 short names. Start-up drops the
    // quotes from its argument again.
    return L"\"" + ProgramFile(program) + L"\" \"%1\"";
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
bool AddToContextMenu(platform::Platform& p) {
    // Any failure on the way, the program's location or the conversion included, is the step's
    // failure: it never stops half-way without an outcome.
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
    return added;
}

bool RemoveFromContextMenu(platform::Platform& p) {
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
    return removed;
}

namespace {

bool RunStep(Step step, platform::Platform& p) {
    return step == Step::kAdd ? AddToContextMenu(p) : RemoveFromContextMenu(p);
}

void ShowOutcome(Step step, bool worked, platform::Platform& p) {
    const bool add = step == Step::kAdd;
    p.ui.Message(worked ? (add ? kAdded : kRemoved) : (add ? kAddFailed : kRemoveFailed),
                 platform::style::kOk);
}

}  // namespace

bool ApplyNeedsElevation(platform::Platform& p) {
    // Asking when it was not needed costs a prompt; not asking when it was costs the step.
    try {
        return !p.process.IsElevated();
    } catch (const std::exception&) {
        return true;
    }
}

void Apply(Step step, platform::Platform& p, std::uintptr_t owner) {
    if (!ApplyNeedsElevation(p)) {
        ShowOutcome(step, RunStep(step, p), p);
        return;
    }
    bool worked = false;
    try {
        const auto code = p.launcher.RunElevated(owner, ProgramFile(p.process.Location()),
                                                 ArgumentFor(step));
        // Declined: the user chose to change nothing, and may press Apply again.
        if (!code) return;
        // Anything but success is failure, a crash included.
        worked = *code == product::kStepDone;
    } catch (const std::exception&) {
    }
    ShowOutcome(step, worked, p);
}

std::wstring_view ArgumentFor(Step step) {
    // '|' may not appear in a file name, nor is it a wildcard that a file search would expand.
    return step == Step::kAdd ? L"|add-context-menu|" : L"|remove-context-menu|";
}

std::optional<Step> StepNamedBy(std::wstring_view argumentText) {
    std::wstring text(argumentText);
    std::erase(text, L'"');
    for (const Step step : {Step::kAdd, Step::kRemove}) {
        if (text == ArgumentFor(step)) return step;
    }
    return std::nullopt;
}

int RunStepAlone(Step step, platform::Platform& p) noexcept {
    try {
        return RunStep(step, p) ? product::kStepDone : product::kStepFailed;
    } catch (...) {
        return product::kStepFailed;
    }
}

}  // namespace qb::shell
