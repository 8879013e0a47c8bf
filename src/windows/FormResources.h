#pragma once
// What a form draws with at one DPI: its icons, a font per control, and the layout its texts need
// in those fonts. Made whole for a DPI and swapped whole when the DPI changes, so a control never
// holds a font or icon that has been freed.

#include <windows.h>

#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "windows/Layout.h"

namespace qb::windows {

struct FormResources {
    platform::win32::UniqueHicon bigIcon, smallIcon;
    platform::win32::UniqueHicon pictureIcon;    // null unless the form has a picture box
    std::vector<platform::win32::UniqueHfont> fonts;  // per control; null for a picture box
    FormLayout layout;
};

// Loads the icons and fonts of `design` for `dpi` and lays it out with every control's current
// text measured in its own font. A button in `shielded` also needs room for the UAC shield that
// Windows draws before its text.
FormResources MakeResources(HWND window, const FormDesign& design, HINSTANCE instance, UINT dpi,
                            const std::vector<bool>& shielded);

// Hands `next` to the window and its controls, places the controls, and only then lets the
// resources in use go. Returns the window size that holds the laid-out client area.
SIZE ApplyResources(HWND window, const FormDesign& design, FormResources& inUse,
                    FormResources next, UINT dpi);

}  // namespace qb::windows
