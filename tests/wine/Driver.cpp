#include "Driver.h"

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <stdexcept>

namespace qb::testing {
namespace {

std::wstring ClassOf(HWND w) {
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    return name;
}

struct Canvas {
    HDC dc = CreateCompatibleDC(nullptr);
    DWORD* bits = nullptr;
    HBITMAP bmp;
    HGDIOBJ old;
    Canvas() {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        old = SelectObject(dc, bmp);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    std::vector<DWORD> Pixels() const {
        std::vector<DWORD> px(bits, bits + 32 * 32);
        for (auto& p : px) p &= 0xFFFFFF;
        return px;
    }
};

// Icon handles belong to the process that loaded them, so the icon is recognised by what the box
// shows on screen: its pixels against each standard icon drawn on the same background.
Icon Classify(HWND iconControl) {
    RedrawWindow(iconControl, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    Canvas shown;
    RECT r;
    GetWindowRect(iconControl, &r);
    HDC screen = GetDC(nullptr);
    BitBlt(shown.dc, 0, 0, 32, 32, screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    const auto px = shown.Pixels();
    const std::pair<LPCWSTR, Icon> known[] = {
        {IDI_HAND, Icon::kError}, {IDI_EXCLAMATION, Icon::kExclamation}, {IDI_ASTERISK, Icon::kInformation}};
    for (const auto& [id, kind] : known) {
        Canvas ref;
        std::fill_n(ref.bits, 32 * 32, px[0]);
        DrawIconEx(ref.dc, 0, 0, LoadIconW(nullptr, id), 32, 32, 0, nullptr, DI_NORMAL);
        if (ref.Pixels() == px) return kind;
    }
    return Icon::kOther;
}

Box ReadBox(HWND box) {
    Box b;
    b.hwnd = box;
    b.caption = WindowText(box);
    wchar_t text[4096] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 4096);
    b.text = text;
    std::wstring lines;  // a progress window's, which has no text of its own
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c)) continue;
        const std::wstring cls = ClassOf(c);
        const LONG style = GetWindowLongW(c, GWL_STYLE);
        if (_wcsicmp(cls.c_str(), L"Button") == 0) {
            b.buttons.push_back({GetDlgCtrlID(c), WindowText(c), (style & 0x0F) == BS_DEFPUSHBUTTON});
        } else if (_wcsicmp(cls.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
            if (SendMessageW(c, STM_GETICON, 0, 0)) b.icon = Classify(c);
        } else if (_wcsicmp(cls.c_str(), L"Static") == 0 && GetWindowTextLengthW(c)) {
            lines += (lines.empty() ? L"" : L"\n") + WindowText(c);
        }
    }
    if (b.text.empty()) b.text = lines;
    std::sort(b.buttons.begin(), b.buttons.end(), [](auto& x, auto& y) { return x.id < y.id; });
    return b;
}

struct Search {
    DWORD pid;
    HWND skip;
    HWND box = nullptr;
    HWND progress = nullptr;
    std::vector<std::wstring>* others;
    std::vector<HWND>* progressSeen;
};

BOOL CALLBACK FindWindows(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != s->pid || !IsWindowVisible(w)) return TRUE;
    const std::wstring cls = ClassOf(w);
    // Wine's task dialog holds its bar as a child; Windows' nests it deeper.
    if (cls == L"#32770" && FindWindowExW(w, nullptr, PROGRESS_CLASSW, nullptr)) {
        s->progress = w;
        auto& seen = *s->progressSeen;
        if (std::find(seen.begin(), seen.end(), w) == seen.end()) seen.push_back(w);
    } else if (cls == L"#32770") {
        if (!s->box && w != s->skip) s->box = w;
    } else if (std::find(s->others->begin(), s->others->end(), cls) == s->others->end()) {
        s->others->push_back(cls);
    }
    return TRUE;
}

}  // namespace

RunningQuillbox::RunningQuillbox(const std::wstring& arguments)
    : RunningQuillbox(WholeCommandLine{L"\"" QB_EXE L"\" " + arguments}) {}

RunningQuillbox::RunningQuillbox(const WholeCommandLine& commandLine) {
    std::wstring line = commandLine.text;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    QueryPerformanceCounter(&started_);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_))
        throw std::runtime_error("CreateProcess failed");
}

RunningQuillbox::~RunningQuillbox() {
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
    WaitForSingleObject(pi_.hProcess, 5000);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
}

std::optional<Box> RunningQuillbox::WaitForBox(DWORD timeoutMs, bool progressWindow) {
    const ULONGLONG until = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < until) {
        // The box answered last may linger for a moment while it closes.
        Search s{pi_.dwProcessId, lastBox_, nullptr, nullptr, &otherWindows_, &progressWindows_};
        EnumWindows(FindWindows, reinterpret_cast<LPARAM>(&s));
        if (progressWindow && s.progress) {
            Sleep(50);
            return ReadBox(s.progress);
        }
        if (!progressWindow && s.box) {
            msToLastBox_ = Elapsed();
            Sleep(50);  // let the box finish laying out and drawing its controls
            lastBox_ = s.box;
            Box box = ReadBox(s.box);
            box.progressOpen = s.progress != nullptr;
            return box;
        }
        if (WaitForSingleObject(pi_.hProcess, 5) == WAIT_OBJECT_0) return std::nullopt;
    }
    return std::nullopt;
}

double RunningQuillbox::Elapsed() const {
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    return 1000.0 * static_cast<double>(now.QuadPart - started_.QuadPart) /
           static_cast<double>(freq.QuadPart);
}

void RunningQuillbox::Press(const Box& box, int buttonId) {
    if (box.hwnd == lastBox_) msAnswering_ += Elapsed() - msToLastBox_;
    PostMessageW(GetDlgItem(box.hwnd, buttonId), BM_CLICK, 0, 0);
}

bool RunningQuillbox::Choose(const Box& dialog, const std::wstring& path) {
    const double answered = Elapsed();
    if (!ChooseInFileDialog(dialog.hwnd, path)) return false;
    if (dialog.hwnd == lastBox_) msAnswering_ += answered - msToLastBox_;
    return true;
}

DWORD RunningQuillbox::WaitForExit(DWORD timeoutMs) {
    WaitForSingleObject(pi_.hProcess, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
}

std::size_t RunningQuillbox::PeakWorkingSet() const {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(pi_.hProcess, &counters, sizeof counters) ? counters.PeakWorkingSetSize : 0;
}

Outcome RunAndConfirm(const std::wstring& arguments) {
    RunningQuillbox run(arguments);
    Outcome out{};
    auto box = run.WaitForBox();
    if (!box) throw std::runtime_error("no message box appeared");
    out.box = *box;
    run.Press(*box, IDOK);
    out.exitCode = run.WaitForExit();
    out.otherWindows = run.OtherWindows();
    out.progressWindows = run.ProgressWindowsSeen();
    return out;
}

bool ChooseInFileDialog(HWND dialog, const std::wstring& path) {
    // The classic dialogs' name box is cmb13 (an editable combo box) or edt1; the item dialog's
    // is an edit control of its own.
    HWND name = GetDlgItem(dialog, 0x47C);
    if (!name) name = GetDlgItem(dialog, 0x480);
    if (!name) name = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
    if (!name) return false;
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return true;
}

std::string ClipboardText() {
    for (int i = 0; i < 50 && !OpenClipboard(nullptr); ++i) Sleep(20);
    std::string text;
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        const char* p = static_cast<const char*>(GlobalLock(h));
        text.assign(p, strnlen(p, GlobalSize(h)));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return text;
}

std::wstring UnicodeClipboardText() {
    for (int i = 0; i < 50 && !OpenClipboard(nullptr); ++i) Sleep(20);
    std::wstring text;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        const auto* p = static_cast<const wchar_t*>(GlobalLock(h));
        text.assign(p, wcsnlen(p, GlobalSize(h) / sizeof(wchar_t)));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return text;
}

void SetClipboardText(const std::string& text) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    for (int i = 0; i < 50 && !OpenClipboard(owner); ++i) Sleep(20);
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(h), text.c_str(), text.size() + 1);
    GlobalUnlock(h);
    SetClipboardData(CF_TEXT, h);
    CloseClipboard();
    DestroyWindow(owner);
}

}  // namespace qb::testing
