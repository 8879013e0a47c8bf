#include "windows/FormBuild.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "platform/Error.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/UniqueHandle.h"
#include "windows/MessageLoop.h"

namespace qb::windows {
namespace {

void RegisterFormClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(instance, kFormClass, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClass;
    if (!RegisterClassExW(&wc)) platform::ThrowLastError(L"RegisterClassEx");
}

DWORD StyleFor(Border border) {
    // The fixed borders have a caption with the close box and nothing to resize or minimise.
    const DWORD fixed = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    return border == Border::Sizable ? fixed | WS_THICKFRAME | WS_MINIMIZEBOX : fixed;
}

DWORD ExStyleFor(Border border) { return border == Border::FixedDialog ? WS_EX_DLGMODALFRAME : 0; }

// The menu bar, built from its table; each item carries its row's command.
platform::win32::UniqueHmenu BuildMenu(const FormDesign& design) {
    platform::win32::UniqueHmenu bar;
    if (design.menu.empty()) return bar;
    bar.reset(CreateMenu());
    if (!bar) platform::ThrowLastError(L"CreateMenu");
    HMENU current = nullptr;
    for (const MenuDesign& m : design.menu) {
        const std::wstring caption(m.caption);
        const auto command = static_cast<UINT_PTR>(CommandOf(design, m.id));
        if (m.level == 0) {
            current = CreatePopupMenu();
            if (!current) platform::ThrowLastError(L"CreatePopupMenu");
            // Owned by the bar from here on, and destroyed with it.
            AppendMenuW(bar.get(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(current),
                        caption.c_str());
        } else if (caption == L"-") {
            AppendMenuW(current, MF_SEPARATOR, command, nullptr);
        } else {
            AppendMenuW(current, MF_STRING, command, caption.c_str());
        }
    }
    return bar;
}

// The bar is a common control, its class registered on demand. comctl32 is loaded by name, as the
// progress window loads it: the manifest's dependency makes that version 6, from the system's
// side-by-side store, and the DLL search never reaches the program's folder.
void RegisterCommonControls() {
    static const bool registered = [] {
        using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        const auto init = platform::win32::FindFunction<InitFn>(LoadLibraryW(L"comctl32.dll"),
                                                                "InitCommonControlsEx");
        const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS};
        return init && init(&classes);
    }();
    (void)registered;
}

struct ControlClass {
    const wchar_t* name;
    DWORD style, exStyle;
};

ControlClass ClassFor(const FormDesign& design, const ControlDesign& c) {
    const DWORD child = WS_CHILD | WS_VISIBLE;
    switch (c.kind) {
    case ControlKind::Button:
        return {L"BUTTON",
                child | WS_TABSTOP | (c.id == design.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                0};
    case ControlKind::CheckBox:
        return {L"BUTTON", child | WS_TABSTOP | BS_AUTOCHECKBOX, 0};
    case ControlKind::Label:
        // SS_LEFT wraps at word breaks; texts are shown as written, '&' included.
        return {L"STATIC", child | SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0};
    case ControlKind::Picture:
        return {L"STATIC", child | SS_ICON | SS_CENTERIMAGE | SS_NOTIFY, WS_EX_CLIENTEDGE};
    case ControlKind::ComboBox:
        return {L"COMBOBOX", child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0};
    case ControlKind::ProgressBar:
        RegisterCommonControls();
        return {PROGRESS_CLASSW, child, 0};
    }
    return {L"STATIC", child, 0};
}

}  // namespace

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)), L'\0');
    if (!text.empty()) GetWindowTextW(window, text.data(), static_cast<int>(text.size() + 1));
    return text;
}

HWND CreateFormWindow(const FormDesign& design, HINSTANCE instance, HWND owner, WNDPROC procedure,
                      void* self) {
    RegisterFormClass(instance, procedure);
    platform::win32::UniqueHmenu menu = BuildMenu(design);
    HWND hwnd = CreateWindowExW(ExStyleFor(design.border), kFormClass,
                                std::wstring(design.caption).c_str(), StyleFor(design.border),
                                CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, owner, menu.get(), instance,
                                self);
    if (!hwnd) platform::ThrowLastError(L"CreateWindowEx");  // the menu goes after the error is read
    menu.release();  // the window owns its menu now and destroys it with itself
    return hwnd;
}

void CreateControls(HWND window, const FormDesign& design, HINSTANCE instance) {
    for (const ControlDesign& c : design.controls) {
        const ControlClass cls = ClassFor(design, c);
        HWND control = CreateWindowExW(
            cls.exStyle, cls.name, std::wstring(c.caption).c_str(), cls.style, 0, 0, 0, 0, window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(CommandOf(design, c.id))), instance,
            nullptr);
        if (!control) platform::ThrowLastError(L"CreateWindowEx");
    }
    // The dialog manager tabs in z-order, so stack the controls by tab index.
    std::vector<const ControlDesign*> byTab;
    for (const ControlDesign& c : design.controls) byTab.push_back(&c);
    std::stable_sort(byTab.begin(), byTab.end(),
                     [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
    for (const ControlDesign* c : byTab) {
        SetWindowPos(GetDlgItem(window, CommandOf(design, c->id)), HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

}  // namespace qb::windows
