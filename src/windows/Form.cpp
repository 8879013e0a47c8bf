#include "windows/Form.h"

#include <algorithm>
#include <numeric>

#include "product/Resources.h"
#include "platform/Error.h"
#include "windows/Dpi.h"

namespace qb::windows {
namespace {

constexpr wchar_t kFormClass[] = L"QuillboxForm";

using UniqueHpen = platform::win32::UniqueAny<platform::win32::HandleTraits<HPEN, &::DeleteObject>>;

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

bool IsForm(HWND hwnd) {
    wchar_t name[32];
    return GetClassNameW(hwnd, name, 32) && std::wstring_view(name) == kFormClass;
}

// Enter, Esc and Tab go to the form under the message; everything else is dispatched as usual.
void Dispatch(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && IsForm(root) && IsDialogMessageW(root, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

DWORD StyleFor(Border border) {
    // The fixed borders have a caption with the close box and nothing to resize or minimise.
    const DWORD fixed = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    return border == Border::Sizable ? fixed | WS_THICKFRAME | WS_MINIMIZEBOX : fixed;
}

// The menu bar, built from its table; item ids follow the table's order from `firstId`.
HMENU BuildMenu(std::span<const MenuDesign> menu, int firstId) {
    if (menu.empty()) return nullptr;
    HMENU bar = CreateMenu();
    if (!bar) platform::ThrowLastError(L"CreateMenu");
    HMENU current = nullptr;
    for (std::size_t i = 0; i < menu.size(); ++i) {
        const MenuDesign& m = menu[i];
        const std::wstring caption(m.caption);
        if (m.level == 0) {
            current = CreatePopupMenu();
            AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(current),
                        caption.c_str());
        } else if (caption == L"-") {
            AppendMenuW(current, MF_SEPARATOR, static_cast<UINT_PTR>(firstId) + i, nullptr);
        } else {
            AppendMenuW(current, MF_STRING, static_cast<UINT_PTR>(firstId) + i, caption.c_str());
        }
    }
    return bar;
}

DWORD ExStyleFor(Border border) {
    return border == Border::FixedDialog ? WS_EX_DLGMODALFRAME : 0;
}

// The font the layouts were drawn for: DEFAULT_GUI_FONT, 宋体 9 pt on Chinese Windows. The stock
// font is made for the system DPI, so it is scaled to the window's.
LOGFONTW DefaultGuiFont(UINT dpi) {
    LOGFONTW lf{};
    if (!GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf)) {
        platform::ThrowLastError(L"GetObject");
    }
    lf.lfHeight = MulDiv(lf.lfHeight, static_cast<int>(dpi), static_cast<int>(dpi::ForSystem()));
    return lf;
}

LOGFONTW LogFontFor(const FontDesign& design, UINT dpi) {
    LOGFONTW lf{};
    // Negative: the character height without internal leading, as point sizes are meant.
    lf.lfHeight = -MulDiv(design.centiPoints, static_cast<int>(dpi), 7200);
    lf.lfWeight = design.weight;
    lf.lfUnderline = design.underline;
    lf.lfCharSet = design.charset;
    const auto length = std::min<std::size_t>(design.face.size(), LF_FACESIZE - 1);
    std::copy_n(design.face.data(), length, lf.lfFaceName);
    return lf;
}

UniqueHicon LoadProgramIcon(HINSTANCE instance, int size) {
    UniqueHicon icon(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_QUILLBOX), IMAGE_ICON, size, size, 0)));
    if (!icon) platform::ThrowLastError(L"LoadImage");
    return icon;
}

}  // namespace

void Session::FormClosed() {
    if (--openForms_ == 0) PostQuitMessage(0);
}

void Session::Fail(std::exception_ptr failure) {
    if (!failure_) failure_ = std::move(failure);
    // Wake the loop even if the failing message was the last one for a while.
    PostMessageW(nullptr, WM_NULL, 0, 0);
}

void Session::RethrowFailure() {
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

int RunMessageLoop(Session& session) {
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) platform::ThrowLastError(L"GetMessage");
        if (got == 0) return static_cast<int>(msg.wParam);
        Dispatch(msg);
        session.RethrowFailure();
    }
}

Form::Form(Session& session, const FormDesign& design) : session_(session), design_(design) {}

Form::~Form() { Unload(); }

int Form::IndexOf(std::wstring_view name) const {
    for (std::size_t i = 0; i < design_.controls.size(); ++i) {
        if (design_.controls[i].name == name) return static_cast<int>(i);
    }
    return -1;
}

HWND Form::Control(std::wstring_view name) const {
    const int index = IndexOf(name);
    return index < 0 || !hwnd_ ? nullptr : GetDlgItem(hwnd_.get(), ControlId(index));
}

std::wstring Form::Text(std::wstring_view name) const {
    HWND control = Control(name);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)), L'\0');
    if (!text.empty()) GetWindowTextW(control, text.data(), static_cast<int>(text.size() + 1));
    return text;
}

void Form::SetText(std::wstring_view name, std::wstring_view text) {
    SetWindowTextW(Control(name), std::wstring(text).c_str());
}

void Form::SetCaption(std::wstring_view text) {
    SetWindowTextW(hwnd_.get(), std::wstring(text).c_str());
}

bool Form::IsEnabled(std::wstring_view name) const { return IsWindowEnabled(Control(name)); }

void Form::SetEnabled(std::wstring_view name, bool enabled) {
    EnableWindow(Control(name), enabled);
}

int Form::Value(std::wstring_view name) const {
    return SendMessageW(Control(name), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void Form::SetValue(std::wstring_view name, int value) {
    SendMessageW(Control(name), BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Form::Create() {
    HINSTANCE instance = session_.Instance();
    RegisterFormClass(instance, &Form::Procedure);
    // Sized once the window knows the DPI of the monitor it is on.
    // The window owns its menu and destroys it with itself.
    HMENU menu = BuildMenu(design_.menu, kFirstMenuId);
    HWND hwnd = CreateWindowExW(ExStyleFor(design_.border), kFormClass,
                                std::wstring(design_.caption).c_str(), StyleFor(design_.border),
                                CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, Owner(), menu, instance,
                                this);
    if (!hwnd && menu) DestroyMenu(menu);
    if (!hwnd) platform::ThrowLastError(L"CreateWindowEx");

    handCursor_ = LoadCursorW(instance, MAKEINTRESOURCEW(IDC_HAND_POINT));
    for (std::size_t i = 0; i < design_.controls.size(); ++i) {
        const ControlDesign& c = design_.controls[i];
        const wchar_t* cls = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE, exStyle = 0;
        switch (c.kind) {
        case ControlKind::Button:
            cls = L"BUTTON";
            style |= WS_TABSTOP |
                     (c.name == design_.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
            break;
        case ControlKind::CheckBox:
            cls = L"BUTTON";
            style |= WS_TABSTOP | BS_AUTOCHECKBOX;
            break;
        case ControlKind::Label:
            // SS_LEFT wraps at word breaks; texts are shown as written, '&' included.
            style |= SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
            break;
        case ControlKind::Picture:
            style |= SS_ICON | SS_CENTERIMAGE | SS_NOTIFY;
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        }
        HWND control = CreateWindowExW(
            exStyle, cls, std::wstring(c.caption).c_str(), style, 0, 0, 0, 0, hwnd,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(static_cast<int>(i)))),
            instance, nullptr);
        if (!control) platform::ThrowLastError(L"CreateWindowEx");
    }
    // The dialog manager tabs in z-order, so stack the controls by tab index.
    std::vector<std::size_t> byTab(design_.controls.size());
    std::iota(byTab.begin(), byTab.end(), 0);
    std::stable_sort(byTab.begin(), byTab.end(), [&](std::size_t a, std::size_t b) {
        return design_.controls[a].tabIndex < design_.controls[b].tabIndex;
    });
    for (std::size_t i : byTab) {
        SetWindowPos(GetDlgItem(hwnd, ControlId(static_cast<int>(i))), HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    const SIZE size = Layout(dpi::ForWindow(hwnd));
    SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CentreOnScreen();
}

SIZE Form::Layout(UINT dpi) {
    dpi_ = dpi;
    HINSTANCE instance = session_.Instance();
    const int d = static_cast<int>(dpi);
    HWND hwnd = hwnd_.get();

    // Set the new icons and fonts before the old ones go: a control never holds a freed handle.
    UniqueHicon big = LoadProgramIcon(instance, dpi::SystemMetric(SM_CXICON, dpi));
    UniqueHicon small = LoadProgramIcon(instance, dpi::SystemMetric(SM_CXSMICON, dpi));
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);

    std::vector<UniqueHfont> fonts;
    const LOGFONTW defaultFont = DefaultGuiFont(dpi);
    for (std::size_t i = 0; i < design_.controls.size(); ++i) {
        const ControlDesign& c = design_.controls[i];
        HWND control = GetDlgItem(hwnd, ControlId(static_cast<int>(i)));
        int width = TwipsToPixels(c.width, d), height = TwipsToPixels(c.height, d);
        if (c.kind == ControlKind::Picture) {
            // Sized to the picture: the icon plus the sunken border on each side.
            const int iconSize = dpi::SystemMetric(SM_CXICON, dpi);
            const int edge = dpi::SystemMetric(SM_CXEDGE, dpi);
            UniqueHicon icon = LoadProgramIcon(instance, iconSize);
            SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
            pictureIcon_ = std::move(icon);
            width = height = iconSize + 2 * edge;
        } else {
            const LOGFONTW lf = c.font ? LogFontFor(*c.font, dpi) : defaultFont;
            UniqueHfont font(CreateFontIndirectW(&lf));
            if (!font) platform::ThrowLastError(L"CreateFontIndirect");
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
            fonts.push_back(std::move(font));
        }
        SetWindowPos(control, nullptr, TwipsToPixels(c.left, d), TwipsToPixels(c.top, d), width,
                     height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    fonts_ = std::move(fonts);
    InvalidateRect(hwnd, nullptr, TRUE);

    RECT frame{0, 0, TwipsToPixels(design_.clientWidth, d), TwipsToPixels(design_.clientHeight, d)};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    dpi::AdjustWindowRect(frame, style, GetMenu(hwnd) != nullptr, exStyle, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
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

void Form::FocusFirstControl() {
    if (HWND first = GetNextDlgTabItem(hwnd_.get(), nullptr, FALSE)) SetFocus(first);
}

void Form::Open() {
    try {
        Create();
        Load();
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

namespace {

// The program's other windows, disabled while a modal form is open and enabled again after.
class DisabledWindows {
public:
    explicit DisabledWindows(HWND except) : except_(except) {
        HWND active = GetActiveWindow();
        restoreActive_ = active != except ? active : nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &DisabledWindows::Collect,
                          reinterpret_cast<LPARAM>(this));
        for (HWND w : windows_) EnableWindow(w, FALSE);
    }
    ~DisabledWindows() {
        for (HWND w : windows_) {
            if (IsWindow(w)) EnableWindow(w, TRUE);
        }
        if (restoreActive_ && IsWindow(restoreActive_)) SetActiveWindow(restoreActive_);
    }
    DisabledWindows(const DisabledWindows&) = delete;
    DisabledWindows& operator=(const DisabledWindows&) = delete;

private:
    static BOOL CALLBACK Collect(HWND hwnd, LPARAM self) {
        auto* me = reinterpret_cast<DisabledWindows*>(self);
        if (hwnd != me->except_ && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
            me->windows_.push_back(hwnd);
        }
        return TRUE;
    }

    HWND except_;
    HWND restoreActive_ = nullptr;
    std::vector<HWND> windows_;
};

}  // namespace

void Form::ShowModal() {
    if (!hwnd_) Open();
    HWND self = hwnd_.get();
    DisabledWindows others(self);
    ShowWindow(self, SW_SHOWNORMAL);
    SetForegroundWindow(self);
    FocusFirstControl();
    MSG msg;
    while (hwnd_.get() == self) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) platform::ThrowLastError(L"GetMessage");
        if (got == 0) {
            // The outer loop must see the quit too.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        Dispatch(msg);
        session_.RethrowFailure();
    }
}

void Form::Unload() {
    if (hwnd_) DestroyWindow(hwnd_.get());
}

LRESULT CALLBACK Form::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        form->hwnd_.reset(hwnd);
        form->session_.FormOpened();
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(hwnd, msg, wp, lp);
    try {
        return form->Handle(msg, wp, lp);
    } catch (...) {
        form->session_.Fail(std::current_exception());
        return 0;
    }
}

LRESULT Form::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    HWND hwnd = hwnd_.get();
    switch (msg) {
    case WM_COMMAND:
        return OnCommand(wp, lp);
    case DM_GETDEFID:
        return OnDefaultId();
    case WM_CTLCOLORSTATIC:
        return OnControlColour(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_SETCURSOR:
        return OnSetCursor(reinterpret_cast<HWND>(wp), lp);
    case WM_DPICHANGED:
        return OnDpiChanged(wp, *reinterpret_cast<const RECT*>(lp));
    case WM_ACTIVATE:
        OnActivate(wp);
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_NCDESTROY:
        OnNcDestroy();
        return DefWindowProcW(hwnd, msg, wp, lp);
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

LRESULT Form::OnCommand(WPARAM wp, LPARAM lp) {
    const int id = LOWORD(wp);
    const int code = HIWORD(wp);
    if (id == IDCANCEL && !lp) {
        // Esc from the dialog manager: only a form with a cancel button answers it.
        if (!design_.cancelButton.empty()) Click(design_.cancelButton);
        return 0;
    }
    if (!lp && code == 0 && id >= kFirstMenuId &&
        id < kFirstMenuId + static_cast<int>(design_.menu.size())) {
        Click(design_.menu[static_cast<std::size_t>(id - kFirstMenuId)].name);
        return 0;
    }
    const int index = id - kFirstControlId;
    if (index < 0 || index >= static_cast<int>(design_.controls.size())) return 0;
    // BN_CLICKED and STN_CLICKED are both 0: a press or a label click.
    if (code == BN_CLICKED) Click(design_.controls[static_cast<std::size_t>(index)].name);
    return 0;
}

// Enter clicks the focused button if there is one, else the form's default button, else nothing.
LRESULT Form::OnDefaultId() {
    HWND focus = GetFocus();
    if (focus && GetParent(focus) == hwnd_.get() &&
        (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
    }
    const int index = design_.defaultButton.empty() ? -1 : IndexOf(design_.defaultButton);
    return index < 0 ? 0 : MAKELRESULT(ControlId(index), DC_HASDEFID);
}

LRESULT Form::OnControlColour(HDC dc, HWND control) {
    const int index = GetDlgCtrlID(control) - kFirstControlId;
    COLORREF colour = GetSysColor(COLOR_BTNTEXT);
    if (index >= 0 && index < static_cast<int>(design_.controls.size()) &&
        design_.controls[static_cast<std::size_t>(index)].textColour != CLR_INVALID) {
        colour = design_.controls[static_cast<std::size_t>(index)].textColour;
    }
    SetTextColor(dc, colour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT Form::OnSetCursor(HWND under, LPARAM lp) {
    const int index = GetDlgCtrlID(under) - kFirstControlId;
    if (under != hwnd_.get() && LOWORD(lp) == HTCLIENT && index >= 0 &&
        index < static_cast<int>(design_.controls.size()) &&
        design_.controls[static_cast<std::size_t>(index)].pointingHand && handCursor_) {
        SetCursor(handCursor_);
        return TRUE;
    }
    return DefWindowProcW(hwnd_.get(), WM_SETCURSOR, reinterpret_cast<WPARAM>(under), lp);
}

LRESULT Form::OnDpiChanged(WPARAM wp, const RECT& suggested) {
    const SIZE size = Layout(HIWORD(wp));
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
    const int d = static_cast<int>(dpi_);
    for (const LineDesign& line : design_.lines) {
        // Inside-solid keeps a wide line within its drawn extent; colour and width as declared.
        UniqueHpen pen(CreatePen(PS_INSIDEFRAME, std::max(1, MulDiv(line.width, d, 96)),
                                 line.colour));
        HGDIOBJ old = SelectObject(dc, pen.get());
        MoveToEx(dc, TwipsToPixels(line.x1, d), TwipsToPixels(line.y1, d), nullptr);
        LineTo(dc, TwipsToPixels(line.x2, d), TwipsToPixels(line.y2, d));
        SelectObject(dc, old);
    }
    EndPaint(hwnd_.get(), &ps);
}

void Form::OnNcDestroy() {
    HWND hwnd = hwnd_.release();
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    // The controls are gone by now, so their fonts and the icons may go too.
    fonts_.clear();
    pictureIcon_.reset();
    bigIcon_.reset();
    smallIcon_.reset();
    lastFocus_ = nullptr;
    session_.FormClosed();
}

}  // namespace qb::windows
