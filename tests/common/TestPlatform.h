#pragma once
// The platform a test runs on. Boxes, dialogs, launches and the process are always the recording
// fakes, so no test shows a real box or dialog, opens a browser or ends itself; files, clipboard,
// hash and registry are whatever the test layer names: the native fakes, or the real ones under
// Wine. Any one part can be swapped for the test's own.

#include "platform/Platform.h"
#include "Recorders.h"

#ifdef _WIN32
#include "platform/win32/Win32Platform.h"
#endif

namespace qb::testing {

// A test's own parts, each used instead of the TestPlatform's; null keeps the TestPlatform's.
struct Instead {
    platform::Ui* ui = nullptr;
    platform::Files* files = nullptr;
    platform::Clipboard* clipboard = nullptr;
    platform::Dialogs* dialogs = nullptr;
    platform::Hashing* hashing = nullptr;
    platform::Launcher* launcher = nullptr;
    platform::Registry* registry = nullptr;
    platform::Settings* settings = nullptr;
    platform::Process* process = nullptr;
};

template <class FilesPart, class ClipboardPart, class HashingPart, class RegistryPart>
struct TestPlatform {
    FakeUi ui;
    FilesPart files;
    ClipboardPart clipboard;
    FakeDialogs dialogs;
    HashingPart hashing;
    FakeLauncher launcher;
    RegistryPart registry;
    FakeSettings settings;
    FakeProcess process;

    platform::Platform Get(const Instead& own = {}) {
        return {own.ui ? *own.ui : ui,
                own.files ? *own.files : files,
                own.clipboard ? *own.clipboard : clipboard,
                own.dialogs ? *own.dialogs : dialogs,
                own.hashing ? *own.hashing : hashing,
                own.launcher ? *own.launcher : launcher,
                own.registry ? *own.registry : registry,
                own.settings ? *own.settings : settings,
                own.process ? *own.process : process};
    }
};

#ifdef _WIN32
// The system's own files, clipboard and registry, as the program meets them.
using Win32System = TestPlatform<platform::win32::Win32Files, platform::win32::Win32Clipboard,
                                 platform::win32::Win32Hashing, platform::win32::Win32Registry>;
#endif

}  // namespace qb::testing
