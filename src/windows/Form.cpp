#include "windows/Form.h"

#include <algorithm>
#include <numeric>

#include "platform/Error.h"
#include "windows/Dpi.h"

namespace qb::windows {
namespace {

static_assert(static_cast<BYTE>(Charset::Western) == ANSI_CHARSET);
static_assert(static_cast<BYTE>(Charset::Gb2312) == GB2312_CHARSET);
static_assert(kNormalWeight == FW_NORMAL && kBoldWeight == FW_BOLD);

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

DWORD StyleFor(Border border) {
    // The fixed borders have a caption with the close box and nothing to resize or minimise.
    const DWORD fixed = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    return border == Border::Sizable ? fixed | WS_THICKFRAME | WS_MINIMIZEBOX : fixed;
}

DWORD ExStyleFor(Border border) {
    return border == Border::FixedDialog ? WS_EX_DLGMODALFRAME : 0;
}

COLORREF ToColorref(Colour c) { return RGB(c.red, c.green, c.blue); }

// DEFAULT_GUI_FONT, 宋体 9 pt on Chinese Windows: the font the layouts were drawn for. It is made
// at the system DPI; the layout scales it to the window's.
LOGFONTW DefaultGuiFont() {
    LOGFONTW lf{};
    if (!GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf)) {
        platform::ThrowLastError(L"GetObject");
    }
    return lf;
}

LOGFONTW LogFontFor(const FontDesign& design) {
    LOGFONTW lf{};
    lf.lfWeight = design.weight;
    lf.lfUnderline = design.underline;
    lf.lfCharSet = static_cast<BYTE>(design.charset);
    const auto length = std::min<std::size_t>(design.face.size(), LF_FACESIZE - 1);
    std::copy_n(design.face.data(), length, lf.lfFaceName);
    return lf;
}

UniqueHicon LoadFormIcon(HINSTANCE instance, int id, int size) {
    UniqueHicon icon(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0)));
    if (!icon) platform::ThrowLastError(L"LoadImage");
    return icon;
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)), L'\0');
    if (!text.empty()) GetWindowTextW(window, text.data(), static_cast<int>(text.size() + 1));
    return text;
}

// The room a control's text needs, drawn as the control draws it, plus the button's own parts.
Size MeasureText(HDC dc, HFONT font, ControlKind kind, const std::wstring& text, int width,
                 UINT dpi) {
    if (text.empty()) return {0, 0};
    // A static control wraps at word breaks and shows '&' as written; a button shows one line.
    const UINT flags = kind == ControlKind::Label
                           ? DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX
                           : DT_CALCRECT | DT_SINGLELINE;
    RECT r{0, 0, width, 0};
    const HGDIOBJ old = SelectObject(dc, font);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
    SelectObject(dc, old);
    Size need{r.right - r.left, r.bottom - r.top};
    // A push button's frame and focus rectangle; a check box's box and the gap after it.
    const int edge = dpi::SystemMetric(SM_CXEDGE, dpi);
    if (kind == ControlKind::Button) {
        need.width += 4 * edge;
        need.height += 4 * edge;
    } else if (kind == ControlKind::CheckBox) {
        need.width += dpi::SystemMetric(SM_CXMENUCHECK, dpi) + 3 * edge;
    }
    return need;
}

class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {
        if (!dc_) platform::ThrowLastError(L"GetDC");
    }
    ~WindowDc() { ReleaseDC(window_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

}  // namespace

Form::Form(FormHost& host, const FormDesign& design) : host_(host), design_(design) {}

Form::~Form() { Unload(); }

int Form::CommandId(RowId row) const {
    const int controls = static_cast<int>(design_.controls.size());
    return row.value < controls ? kFirstControlId + row.value
                                : kFirstMenuId + row.value - controls;
}

int Form::RowOf(int command) const {
    const int controls = static_cast<int>(design_.controls.size());
    const int menu = static_cast<int>(design_.menu.size());
    if (command >= kFirstMenuId && command < kFirstMenuId + menu) {
        return command - kFirstMenuId + controls;
    }
    if (command >= kFirstControlId && command < kFirstControlId + controls) {
        return command - kFirstControlId;
    }
    return -1;
}

// The menu bar, built from its table; each item carries its row's command.
HMENU Form::BuildMenu() const {
    if (design_.menu.empty()) return nullptr;
    HMENU bar = CreateMenu();
    if (!bar) platform::ThrowLastError(L"CreateMenu");
    HMENU current = nullptr;
    for (const MenuDesign& m : design_.menu) {
        const std::wstring caption(m.caption);
        const auto command = static_cast<UINT_PTR>(CommandId(m.id));
        if (m.level == 0) {
            current = CreatePopupMenu();
            AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(current),
                        caption.c_str());
        } else if (caption == L"-") {
            AppendMenuW(current, MF_SEPARATOR, command, nullptr);
        } else {
            AppendMenuW(current, MF_STRING, command, caption.c_str());
        }
    }
    return bar;
}

HWND Form::ControlAt(RowId row) const {
    return hwnd_ ? GetDlgItem(hwnd_.get(), CommandId(row)) : nullptr;
}

std::wstring Form::TextAt(RowId row) const { return WindowText(ControlAt(row)); }

void Form::SetTextAt(RowId row, std::wstring_view text) {
    SetWindowTextW(ControlAt(row), std::wstring(text).c_str());
}

void Form::SetCaption(std::wstring_view text) {
    SetWindowTextW(hwnd_.get(), std::wstring(text).c_str());
}

const ControlDesign* Form::DesignOf(HWND control) const {
    const int row = control ? RowOf(GetDlgCtrlID(control)) : -1;
    if (GetParent(control) != hwnd_.get() || row < 0 ||
        row >= static_cast<int>(design_.controls.size())) {
        return nullptr;
    }
    return &design_.controls[static_cast<std::size_t>(row)];
}

void Form::Create() {
    HINSTANCE instance = host_.Instance();
    RegisterFormClass(instance, &Form::Procedure);
    // Sized once the texts are loaded and the window knows its DPI. The window owns its menu and
    // destroys it with itself.
    HMENU menu = BuildMenu();
    HWND hwnd = CreateWindowExW(ExStyleFor(design_.border), kFormClass,
                                std::wstring(design_.caption).c_str(), StyleFor(design_.border),
                                CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, Owner(), menu, instance,
                                this);
    if (!hwnd && menu) DestroyMenu(menu);
    if (!hwnd) platform::ThrowLastError(L"CreateWindowEx");
    CreateControls();
}

void Form::CreateControls() {
    HWND hwnd = hwnd_.get();
    for (const ControlDesign& c : design_.controls) {
        const wchar_t* cls = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE, exStyle = 0;
        switch (c.kind) {
        case ControlKind::Button:
            cls = L"BUTTON";
            style |= WS_TABSTOP | (c.id == design_.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
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
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(CommandId(c.id))), host_.Instance(),
            nullptr);
        if (!control) platform::ThrowLastError(L"CreateWindowEx");
    }
    // The dialog manager tabs in z-order, so stack the controls by tab index.
    std::vector<const ControlDesign*> byTab;
    for (const ControlDesign& c : design_.controls) byTab.push_back(&c);
    std::stable_sort(byTab.begin(), byTab.end(),
                     [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
    for (const ControlDesign* c : byTab) {
        SetWindowPos(ControlAt(c->id), HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

// Lays the design out for `dpi` with every text measured in the font it is shown in, then puts
// fonts, icons and controls in place. Returns the window size that holds the laid-out client.
SIZE Form::ApplyLayout(UINT dpi) {
    HINSTANCE instance = host_.Instance();
    HWND hwnd = hwnd_.get();

    // Set the new icons and fonts before the old ones go: a control never holds a freed handle.
    UniqueHicon big = LoadFormIcon(instance, design_.icon, dpi::SystemMetric(SM_CXICON, dpi));
    UniqueHicon small = LoadFormIcon(instance, design_.icon, dpi::SystemMetric(SM_CXSMICON, dpi));
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);

    const LOGFONTW gui = DefaultGuiFont();
    const int iconSize = dpi::SystemMetric(SM_CXICON, dpi);
    // The picture box shows the icon inside its sunken edge.
    const int pictureSize = iconSize + 2 * dpi::SystemMetric(SM_CXEDGE, dpi);
    std::vector<UniqueHfont> fonts(design_.controls.size());
    FormLayout layout;
    {
        WindowDc dc(hwnd);
        auto measure = [&](std::size_t i, int fontHeight, int width) -> Size {
            const ControlDesign& c = design_.controls[i];
            if (c.kind == ControlKind::Picture) return {pictureSize, pictureSize};
            LOGFONTW lf = c.font ? LogFontFor(*c.font) : gui;
            lf.lfHeight = fontHeight;
            fonts[i].reset(CreateFontIndirectW(&lf));
            if (!fonts[i]) platform::ThrowLastError(L"CreateFontIndirect");
            return MeasureText(dc.get(), fonts[i].get(), c.kind, WindowText(ControlAt(c.id)),
                               width, dpi);
        };
        layout = LayOut(design_, static_cast<int>(dpi),
                        {gui.lfHeight, static_cast<int>(dpi::ForSystem())}, measure);
    }

    UniqueHicon picture;
    for (std::size_t i = 0; i < design_.controls.size(); ++i) {
        HWND control = ControlAt(design_.controls[i].id);
        if (design_.controls[i].kind == ControlKind::Picture) {
            if (!picture) picture = LoadFormIcon(instance, design_.icon, iconSize);
            SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(picture.get()), 0);
        } else {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts[i].get()), FALSE);
        }
        const Rect& r = layout.controls[i];
        SetWindowPos(control, nullptr, r.left, r.top, r.width, r.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    pictureIcon_ = std::move(picture);
    fonts_ = std::move(fonts);
    layout_ = std::move(layout);
    InvalidateRect(hwnd, nullptr, TRUE);

    RECT frame{0, 0, layout_.client.width, layout_.client.height};
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

void Form::ShowModal() {
    if (!hwnd_) Open();
    HWND self = hwnd_.get();
    disabled_ = std::make_unique<DisabledWindows>(self);
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
    if (disabled_) disabled_->Enable();
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
    case WM_CLOSE:
        OnClose();
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
    const int row = RowOf(id);
    const int controls = static_cast<int>(design_.controls.size());
    if (!from && code == 0 && row >= controls) {
        ClickRow(design_.menu[static_cast<std::size_t>(row - controls)].id);
    } else if (code == BN_CLICKED && row >= 0 && row < controls) {
        // BN_CLICKED and STN_CLICKED are both 0: a press or a label click.
        ClickRow(design_.controls[static_cast<std::size_t>(row)].id);
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
    for (std::size_t i = 0; i < layout_.lines.size(); ++i) {
        const PixelLine& line = layout_.lines[i];
        // Inside-solid keeps a wide line within its drawn extent.
        UniqueHpen pen(CreatePen(PS_INSIDEFRAME, line.width, ToColorref(design_.lines[i].colour)));
        HGDIOBJ old = SelectObject(dc, pen.get());
        MoveToEx(dc, line.x1, line.y1, nullptr);
        LineTo(dc, line.x2, line.y2);
        SelectObject(dc, old);
    }
    EndPaint(hwnd_.get(), &ps);
}

void Form::OnClose() { Unload(); }

void Form::OnNcDestroy() {
    HWND hwnd = hwnd_.release();
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    // The controls are gone by now, so their fonts and the icons may go too.
    fonts_.clear();
    pictureIcon_.reset();
    bigIcon_.reset();
    smallIcon_.reset();
    lastFocus_ = nullptr;
    if (disabled_) disabled_->Enable();
    host_.FormClosed();
}

}  // namespace qb::windows
