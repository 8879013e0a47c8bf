#include "windows/ReceivingWindow.h"

#include <commctrl.h>

namespace qb::windows {

ReceivingWindow::ReceivingWindow(FormHost& host, platform::PartsToReceive& parts)
    : FormOf(host, receiving_window::kDesign), parts_(parts) {}

void ReceivingWindow::Load() {
    SetText(Id::heading, parts_.Heading());
    SendMessageW(Control(Id::bar), PBM_SETRANGE32, 0, static_cast<LPARAM>(parts_.Count()));
    ShowCounts();
    listener_ = std::make_unique<ClipboardListener>(Window());
    // The answer to the first text went out before this window listened: whatever the other end
    // put since is read once the window shows.
    PostMessageW(Window(), WM_CLIPBOARDUPDATE, 0, 0);
}

void ReceivingWindow::ShowCounts() {
    SetText(Id::progress, parts_.Progress());
    SetText(Id::state, parts_.State());
    SendMessageW(Control(Id::bar), PBM_SETPOS, parts_.Kept(), 0);
}

void ReceivingWindow::ClipboardChanged() {
    if (finished_) return;
    finished_ = parts_.ClipboardChanged();
    ShowCounts();
    if (finished_) {
        listener_.reset();
        Unload();
    }
}

void ReceivingWindow::Click(Id id) {
    switch (id) {
    case Id::cancelButton: Unload(); break;
    case Id::heading: case Id::progress: case Id::bar: case Id::state: break;
    }
}

}  // namespace qb::windows
