#pragma once
// A window told of every change of the clipboard (WM_CLIPBOARDUPDATE) while this lives.

#include <windows.h>

namespace qb::windows {

class ClipboardListener {
public:
    // Throws platform::Error when the system will not tell the window.
    explicit ClipboardListener(HWND window);
    ~ClipboardListener();
    ClipboardListener(const ClipboardListener&) = delete;
    ClipboardListener& operator=(const ClipboardListener&) = delete;

private:
    HWND window_;
};

}  // namespace qb::windows
