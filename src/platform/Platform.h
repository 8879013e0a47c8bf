#pragma once
// The system as the program sees it, one resource a header, each named after what it does.
// Logic takes them by reference so that a test can hand in a fake; win32/ holds the real ones.

#include "platform/Clipboard.h"
#include "platform/CodePage.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Hash.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/Settings.h"
#include "platform/Ui.h"

namespace qb::platform {

// Every part is always there: a road never finds one missing.
struct Platform {
    Ui& ui;
    Files& files;
    Clipboard& clipboard;
    Dialogs& dialogs;
    Hashing& hashing;
    Launcher& launcher;
    Registry& registry;
    Settings& settings;
    Process& process;

    // The same system under another Ui, such as one that holds the program's windows.
    Platform WithUi(Ui& other) const {
        return {other, files, clipboard, dialogs, hashing, launcher, registry, settings, process};
    }
};

}  // namespace qb::platform
