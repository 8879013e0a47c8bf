#include "shell/ContextMenu.h"

#include <string_view>
#include <utility>

#include "platform/Error.h"
#include "product/ExitCodes.h"
#include "product/Texts.h"

namespace qb::shell {

namespace {

using namespace product::text;
using platform::RegistryRoot;

constexpr RegistryRoot kRoot = RegistryRoot::kClassesRoot;
const std::string kVerbKey = "*\\Shell\\Quillbox(&U)";
const std::string kCommandName = "Command";
const std::string kCommandKey = kVerbKey + "\\" + kCommandName;

}  // namespace

std::wstring ProgramFile(const platform::ProgramLocation& program) {
    return platform::JoinPath(program.directory, program.name + L".exe");
}

std::wstring EntryCommand(const platform::ProgramLocation& program) {
    // Both halves quoted: an unquoted path with a space lets a planted C:\Program.exe run in our
    // place, and an unquoted %1 makes Explorer hand over 8.3 short names. Start-up drops the
    // quotes from its argument again.
    return L"\"" + ProgramFile(program) + L"\" \"%1\"";
}

bool IsInContextMenu(platform::Platform& p) {
    // Only the verb key is probed: Explorer lists the entry as soon as that key exists.
    return p.registry.OpenKey(kRoot, kVerbKey).key != nullptr;
}

/*
 * HKEY_CLASSES_ROOT
 * └─ *                          every file type
 *    └─ Shell
 *       └─ Quillbox(&U)         the menu text; U is the access key; no value of its own
 *          └─ Command           default value (REG_SZ): "<dir>\<name>.exe" "%1"
 */
bool AddToContextMenu(platform::Platform& p) {
    bool added = false;
    // The program's location comes from the system and may fail; that too is the step's failure,
    // with an outcome like any other.
    try {
        const auto program = p.process.Location();
        // The entry runs "<folder>\<name>.exe"; from a copy named otherwise (Quillbox.com) that
        // file may be missing or another program, and the entry would run it for every user.
        const bool runsThisProgram = p.process.IsThisProgram(ProgramFile(program));
        // A stand-in character would make a command that can never start the program.
        const auto command = platform::ToAnsiExactly(EntryCommand(program));
        if (runsThisProgram && command) {
            // Only the status matters; the key closes at once.
            const platform::RegistryStatus created = p.registry.CreateKey(kRoot, kCommandKey).status;
            // Written even when the create failed: the write makes the key itself if it can, and
            // the user hears about the failure either way.
            const auto written =
                p.registry.SetValue(kRoot, kCommandKey, platform::kRegSz, command->c_str(),
                                    static_cast<std::uint32_t>(command->size() + 1));
            added = created == 0 && written == 0;
        }
    } catch (const platform::Error&) {
    }
    return added;
}

bool RemoveFromContextMenu(platform::Platform& p) {
    // If the open fails the key stays null and both deletes fail with it; that is the "nothing to
    // remove" report.
    const auto verb = p.registry.OpenKey(kRoot, kVerbKey).key;
    const auto commandDeleted = p.registry.DeleteKey(verb.get(), kCommandName);
    const auto verbDeleted = p.registry.DeleteKey(verb.get(), "");
    return commandDeleted == 0 && verbDeleted == 0;
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
    // Asking when it was not needed costs a prompt; not asking when it was costs the step. So a
    // token that cannot be read means the shield.
    try {
        return !p.process.IsElevated();
    } catch (const platform::Error&) {
        return true;
    }
}

void Apply(Step step, platform::Platform& p, std::uintptr_t owner, const WaitForProgram& wait) {
    if (!ApplyNeedsElevation(p)) {
        ShowOutcome(step, RunStep(step, p), p);
        return;
    }
    bool worked = false;
    // A copy that cannot be started, or whose end cannot be read, did not do the step: the user
    // hears so, as for any other failure of it.
    try {
        // The running file itself, whatever its name: a file rebuilt from the name may be missing,
        // or another program that would then run as an administrator.
        const auto copy = p.launcher.StartElevated(owner, p.process.File(), ArgumentFor(step));
        // Declined: the user chose to change nothing, and may press Apply again.
        if (!copy) return;
        wait(*copy);
        // Anything but success is failure, a crash included.
        worked = copy->ExitCode() == product::kStepDone;
    } catch (const platform::Error&) {
    }
    ShowOutcome(step, worked, p);
}

std::wstring_view ArgumentFor(Step step) {
    // '|' may not appear in a file name, nor is it a wildcard that a file search would expand.
    return step == Step::kAdd ? L"|add-context-menu|" : L"|remove-context-menu|";
}

std::optional<Step> StepNamed(std::wstring_view argument) {
    for (const Step step : {Step::kAdd, Step::kRemove}) {
        if (argument == ArgumentFor(step)) return step;
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
