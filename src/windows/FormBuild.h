#pragma once
// A form's window and controls made from its design table: the window class, styles, the menu bar,
// the controls in creation order and the tab order.

#include <windows.h>

#include <string>

#include "windows/Layout.h"

namespace qb::windows {

inline COLORREF ToColorref(Colour c) { return RGB(c.red, c.green, c.blue); }

std::wstring WindowText(HWND window);

// The top-level window of `design`, with its menu bar, unsized until laid out. `self` reaches the
// window procedure with WM_NCCREATE.
HWND CreateFormWindow(const FormDesign& design, HINSTANCE instance, HWND owner, WNDPROC procedure,
                      void* self);

// The controls of the table, in creation order, stacked by tab index.
void CreateControls(HWND window, const FormDesign& design, HINSTANCE instance);

}  // namespace qb::windows
