#include "windows/Form.h"

#include <commctrl.h>

#include "platform/Error.h"
#include "windows/Dpi.h"
#include "windows/FormBuild.h"

namespace qb::windows {

using platform::win32::SelectedObject;
using platform::win32::UniqueHpen;

Form::Form(FormHost& host, const FormDesign& design) : host_(host), design_(design) {}

Form::~Form() { Unload(); }

HWND Form::ControlAt(RowId row) const {
    return hwnd_ ? GetDlgItem(hwnd_.get(), CommandId(row)) : nullptr;
}

std::wstring Form::TextAt(RowId row) const { return WindowText(ControlAt(row)); }

void Form::SetTextAt(RowId row, std::wstring_view text) {
    SetWindowTextW(ControlAt(row), std::wstring(text).c_str());
}

void Form::ShowShieldAt(RowId row) {
    Button_SetElevationRequiredState(ControlAt(row), TRUE);
    shielded_.resize(design_.controls.size());
    shielded_[static_cast<std::size_t>(row.value)] = true;
}

void Form::SetCaption(std::wstring_view text) {
    SetWindowTextW(hwnd_.get(), std::wstring(text).c_str());
}

const ControlDesign* Form::DesignOf(HWND control) const {
    const int row = control ? RowOfCommand(design_, GetDlgCtrlID(control)) : -1;
    if (GetParent(control) != hwnd_.get() || row < 0 ||
        row >= static_cast<int>(design_.controls.size())) {
        return nullptr;
    }
    return &design_.controls[static_cast<std::size_t>(row)];
}

// Lays the design out for `dpi` with every text measured in the font it is shown in, then puts
// fonts, icons and controls in place. Returns the window size that holds the laid-out client.
SIZE Form::ApplyLayout(UINT dpi) {
    HINSTANCE instance = host_.Instance();
    return ApplyResources(hwnd_.get(), design_, resources_,
                          MakeResources(hwnd_.get(), design_, instance, dpi, shielded_), dpi);
}

// Forms open without a visible owner, so they centre on the work area of the monitor that holds
// the program's active window (the primary monitor when there is none).
void Form::CentreOnScreen() {
    HWND hwnd = hwnd_.get();
    HWND active = GetActiveWindow();
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(active && active != hwnd ? active : nullptr,
                                      MONITOR_DEFAULTTOPRIMARY),
                    &monitor);
    const RECT& area = monitor.rcWork;
    RECT window;
    GetWindowRect(hwnd, &window);
    const int width = window.right - window.left, height = window.bottom - window.top;
    SetWindowPos(hwnd, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND Form::FirstFocus() { return GetNextDlgTabItem(hwnd_.get(), nullptr, FALSE); }

void Form::FocusFirstControl() {
    if (HWND first = FirstFocus()) SetFocus(first);
}

void Form::Open() {
    try {
        CreateFormWindow(design_, host_.Instance(), Owner(), &Form::Procedure, this);
        CreateControls(hwnd_.get(), design_, host_.Instance());
        Load();
        // Laid out after loading, so the texts Load sets are measured too.
        const SIZE size = ApplyLayout(dpi::ForWindow(hwnd_.get()));
        SetWindowPos(hwnd_.get(), nullptr, 0, 0, size.cx, size.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        CentreOnScreen();
    } catch (...) {
        // A half-made window must not count as open and keep the process alive.
        Unload();
        throw;
    }
}

void Form::Show() {
    if (hwnd_) {
        if (IsIconic(hwnd_.get())) ShowWindow(hwnd_.get(), SW_RESTORE);
        SetForegroundWindow(hwnd_.get());
        BringWindowToTop(hwnd_.get());
        return;
    }
    Open();
    ShowWindow(hwnd_.get(), SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_.get());
    FocusFirstControl();
}

void Form::ShowWithoutFocus() {
    if (!hwnd_) Open();
    ShowWindow(hwnd_.get(), SW_SHOWNOACTIVATE);
}

void Form::ShowModal() {
    if (!hwnd_) Open();
    HWND self = hwnd_.get();
    disabled_ = std::make_unique<HeldWindows>(self);
    const HWND previouslyActive = disabled_->PreviouslyActive();
    ShowWindow(self, SW_SHOWNORMAL);
    SetForegroundWindow(self);
    FocusFirstControl();
    try {
        RunModalLoop(host_, [&] { return hwnd_.get() == self; });
    } catch (...) {
        disabled_.reset();
        throw;
    }
    disabled_.reset();
    // Normally the system has already handed activation back, to the first enabled window.
    if (!GetActiveWindow() && previouslyActive && IsWindow(previouslyActive)) {
        SetActiveWindow(previouslyActive);
    }
}

void Form::Unload() {
    if (!hwnd_) return;
    // First the windows a modal form disabled, so that one of them takes the activation.
    if (disabled_) disabled_->Release();
    DestroyWindow(hwnd_.get());
}

LRESULT CALLBACK Form::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        form->hwnd_.reset(hwnd);
        form->host_.FormOpened();
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(hwnd, msg, wp, lp);
    try {
        return form->Handle(msg, wp, lp);
    } catch (...) {
        form->host_.Fail(std::current_exception());
        return 0;
    }
}

LRESULT Form::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        return OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
    case DM_GETDEFID:
        return OnDefaultId();
    case WM_CTLCOLORSTATIC:
        return OnControlColour(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_SETCURSOR:
        return OnSetCursor(reinterpret_cast<HWND>(wp), lp);
    case WM_DPICHANGED:
        return OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
    case WM_ACTIVATE:
        OnActivate(wp);
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_CLIPBOARDUPDATE:
        ClipboardChanged();
        return 0;
    case kWorkDone:
        WorkDone();
        return 0;
    case WM_TIMER:
        Tick();
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;  // at once, even in the middle of a job: it stops when the session ends
    case WM_ENDSESSION:
        if (wp) SessionEnding();
        return 0;
    case WM_NCDESTROY: {
        HWND hwnd = hwnd_.get();
        OnNcDestroy();
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    default:
        return DefWindowProcW(hwnd_.get(), msg, wp, lp);
    }
}

LRESULT Form::OnCommand(int id, int code, HWND from) {
    if (id == IDCANCEL && !from) {
        // Esc from the dialog manager: only a form with a cancel button answers it.
        if (design_.cancelButton) ClickRow(*design_.cancelButton);
        return 0;
    }
    const int row = RowOfCommand(design_, id);
    const int controls = static_cast<int>(design_.controls.size());
    if (!from && code == 0 && row >= controls) {
        ClickRow(design_.menu[static_cast<std::size_t>(row - controls)].id);
    } else if (code == BN_CLICKED && row >= 0 && row < controls) {
        // BN_CLICKED and STN_CLICKED are both 0: a press or a label click.
        ClickRow(design_.controls[static_cast<std::size_t>(row)].id);
    } else if (from && row >= 0 && row < controls) {
        NotifiedRow(design_.controls[static_cast<std::size_t>(row)].id, code);
    }
    return 0;
}

// Enter clicks the focused button if there is one, else the form's default button, else nothing.
LRESULT Form::OnDefaultId() {
    HWND focus = GetFocus();
    if (focus && GetParent(focus) == hwnd_.get() &&
        (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
    }
    return design_.defaultButton ? MAKELRESULT(CommandId(*design_.defaultButton), DC_HASDEFID) : 0;
}

LRESULT Form::OnControlColour(HDC dc, HWND control) {
    const ControlDesign* design = DesignOf(control);
    SetTextColor(dc, design && design->textColour ? ToColorref(*design->textColour)
                                                  : GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT Form::OnSetCursor(HWND under, LPARAM lp) {
    const ControlDesign* design = DesignOf(under);
    if (LOWORD(lp) == HTCLIENT && design && design->cursor) {
        // A shared resource cursor: loaded once by the system, never destroyed.
        if (HCURSOR cursor = LoadCursorW(host_.Instance(), MAKEINTRESOURCEW(design->cursor))) {
            SetCursor(cursor);
            return TRUE;
        }
    }
    return DefWindowProcW(hwnd_.get(), WM_SETCURSOR, reinterpret_cast<WPARAM>(under), lp);
}

LRESULT Form::OnDpiChanged(UINT dpi, const RECT& suggested) {
    const SIZE size = ApplyLayout(dpi);
    SetWindowPos(hwnd_.get(), nullptr, suggested.left, suggested.top, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

void Form::OnActivate(WPARAM wp) {
    HWND hwnd = hwnd_.get();
    if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) lastFocus_ = focus;
    } else if (lastFocus_ && IsChild(hwnd, lastFocus_)) {
        SetFocus(lastFocus_);
    } else {
        FocusFirstControl();
    }
}

void Form::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_.get(), &ps);
    for (std::size_t i = 0; i < resources_.layout.lines.size(); ++i) {
        const PixelLine& line = resources_.layout.lines[i];
        // Inside-solid keeps a wide line within its drawn extent.
        UniqueHpen pen(CreatePen(PS_INSIDEFRAME, line.width, ToColorref(design_.lines[i].colour)));
        SelectedObject selected(dc, pen.get());
        MoveToEx(dc, line.x1, line.y1, nullptr);
        LineTo(dc, line.x2, line.y2);
    }
    EndPaint(hwnd_.get(), &ps);
}

void Form::OnClose() {
    if (MayClose()) Unload();
}

void Form::OnNcDestroy() {
    HWND hwnd = hwnd_.release();
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    // The controls are gone by now, so their fonts and the icons may go too.
    resources_ = {};
    shielded_.clear();
    lastFocus_ = nullptr;
    if (disabled_) disabled_->Release();
    host_.FormClosed();
}

}  // namespace qb::windows
