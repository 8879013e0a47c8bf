// qbshow: runs Quillbox.exe on the given arguments where nobody can see its windows, prints what a
// user would have seen (each message box, then the clipboard text or the side file's path) and
// answers each box: OK, and Yes to the large-file question unless QB_ANSWER=no. A progress window
// is only noted, and left to close by itself; the parts window of a file sent in parts is
// described by its summary line and closed.
// QB_PROGRAM names another program to run in Quillbox's place.
// Without arguments it describes the options window instead (title, controls, menu), saves a
// picture of it as a BMP file where QB_SHOT says, and closes it.
// QB_RESTORE names a .uue file to restore through the options window's File menu (from the
// clipboard, its text put there first, with QB_RESTORE_CLIPBOARD=1), saved where
// QB_RESTORE_TO says, with the time to the outcome box less the dialogs' time (the benchmark);
// QB_RELAY names a file to send from one Quillbox to another over this clipboard, saved where
// QB_RESTORE_TO says, with the time from the sender's start to the receiver's Save As.
// QB_IDLE=1 only shows the options window and gives its working set. QB_SHOT saves a picture of
// the options window, or of a restore's outcome box, as a BMP file.
#include <windows.h>

#include <atomic>
#include <thread>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Driver.h"
#include "windows/OptionsWindowDesign.h"
#include "windows/PartsWindowDesign.h"

namespace {

void Print(const std::wstring& s) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);  // a script may wait on a line while the run goes on
}

std::wstring FromAnsi(const std::string& s) {
    const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::wstring TextOf(HWND w) {
    wchar_t text[256] = {};
    GetWindowTextW(w, text, 256);
    return text;
}

// The window as the screen shows it, as a 24-bit BMP file.
bool SaveShot(HWND window, const wchar_t* path) {
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top, stride = (w * 3 + 3) & ~3;
    BITMAPINFOHEADER info{sizeof info, w, h, 1, 24, BI_RGB, static_cast<DWORD>(stride * h), 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr), dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bmp);
    BitBlt(dc, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof file + sizeof info + info.biSizeImage), 0, 0,
                          sizeof file + sizeof info};
    FILE* out = _wfopen(path, L"wb");
    const bool saved = out && std::fwrite(&file, sizeof file, 1, out) && std::fwrite(&info, sizeof info, 1, out) &&
                       std::fwrite(bits, info.biSizeImage, 1, out);
    if (out) std::fclose(out);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return saved;
}

// Menus can only be read inside their own process: qbmenu.dll, hooked into it, writes them out.
void PrintMenu(HWND window) {
    wchar_t self[MAX_PATH];
    std::wstring dll(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    dll.replace(dll.rfind(L'\\'), std::wstring::npos, L"\\qbmenu.dll");
    const std::wstring text = dll.substr(0, dll.size() - 3) + L"txt";
    DeleteFileW(text.c_str());
    HMODULE module = LoadLibraryW(dll.c_str());
    const auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module, "ReadMenu")));
    HHOOK hook = proc ? SetWindowsHookExW(WH_GETMESSAGE, proc, module, GetWindowThreadProcessId(window, nullptr)) : nullptr;
    PostMessageW(window, WM_NULL, 0x514D, 0);
    for (int i = 0; i < 50 && GetFileAttributesW(text.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
    if (hook) UnhookWindowsHookEx(hook);
    FILE* in = _wfopen(text.c_str(), L"rb");
    if (!in) {
        Print(L"  (could not be read)\n");
        return;
    }
    char buffer[4096];
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, in);
    std::fclose(in);
    std::fwrite(buffer, 1, n, stdout);
}

// The options window of the process, once it shows; null if it has not within a minute.
// A window of the program's forms (the options window, the parts window), waited for up to
// `timeoutMs`.
HWND WaitForFormWindow(DWORD pid, int timeoutMs) {
    struct Search {
        DWORD pid;
        HWND found;
    } s{pid, nullptr};
    for (int i = 0; i < timeoutMs / 5 && !s.found; ++i, Sleep(5)) {
        EnumWindows([](HWND w, LPARAM lp) {
            auto* s = reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            wchar_t cls[64] = {};
            GetClassNameW(w, cls, 64);
            if (owner == s->pid && IsWindowVisible(w) && std::wstring(cls) == L"QuillboxForm") s->found = w;
            return TRUE;
        }, reinterpret_cast<LPARAM>(&s));
    }
    return s.found;
}

// The options window of the process: waits up to a minute for it, describes it, saves its
// picture and closes it. Returns false if it never appeared.
bool DescribeOptionsWindow(qb::testing::RunningQuillbox& run) {
    const HWND window = WaitForFormWindow(run.ProcessId(), 60000);
    if (!window) return false;
    Sleep(1500);  // let it finish painting
    RECT client;
    GetClientRect(window, &client);
    Print(L"window: \"" + TextOf(window) + L"\", client area " + std::to_wstring(client.right) + L" x " +
          std::to_wstring(client.bottom) + L" pixels\n");
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        const bool box = (GetWindowLongW(c, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX;
        Print(L"  " + std::wstring(box ? L"check box" : L"button") + L" \"" + TextOf(c) + L"\": " +
              (IsWindowEnabled(c) ? L"enabled" : L"disabled") +
              (box ? (SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED ? L", checked" : L", unchecked") : L"") +
              L", at " + std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L" size " +
              std::to_wstring(r.right - r.left) + L" x " + std::to_wstring(r.bottom - r.top) + L"\n");
    }
    Print(L"menu:\n");
    PrintMenu(window);
    const wchar_t* shot = _wgetenv(L"QB_SHOT");
    if (shot && *shot && SaveShot(window, shot)) Print(L"screenshot: " + std::wstring(shot) + L"\n");
    PostMessageW(window, WM_CLOSE, 0, 0);
    return true;
}


void PrintTimes(const qb::testing::RunningQuillbox& run) {
    Print(L"  time to this box: " + std::to_wstring(run.MillisecondsToLastBox()) + L" ms\n");
    Print(L"  time spent answering before it: " + std::to_wstring(run.MillisecondsAnswering()) + L" ms\n");
    Print(L"  peak working set: " + std::to_wstring(run.PeakWorkingSet()) + L" bytes\n");
}

// Puts the file's bytes on the clipboard as a Unicode text, as a program that copied it would.
bool FileToClipboard(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    const auto bytes = static_cast<SIZE_T>(size.QuadPart);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (bytes + 1) * sizeof(wchar_t));
    auto* text = static_cast<wchar_t*>(GlobalLock(memory));
    std::string piece(1 << 20, '\0');
    SIZE_T at = 0;
    for (DWORD got = 0; ReadFile(file, piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr) && got;)
        for (DWORD i = 0; i < got; ++i) text[at++] = static_cast<unsigned char>(piece[i]);
    text[at] = L'\0';
    GlobalUnlock(memory);
    CloseHandle(file);
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    const bool set = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    return set;
}

// The File menu's restore from a .uue file, as a user goes through it: the Open dialog gets `uue`,
// Save As gets `to`, and the outcome box is read with the times. Any other box ends the run.
// With `fromClipboard`, the file's text goes on the clipboard first and the restore reads it from
// there. With an empty `uue`, the idle program: its working set once the window has had time to
// paint.
int RestoreThroughMenu(const std::wstring& uue, const std::wstring& to, bool fromClipboard) {
    using namespace qb::testing;
    LARGE_INTEGER freq, start, shown;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    RunningQuillbox run(L"");
    HWND main = WaitForFormWindow(run.ProcessId(), 60000);
    if (!main) {
        Print(L"the options window did not appear within a minute\n");
        return 3;
    }
    QueryPerformanceCounter(&shown);
    Print(L"options window found at: " +
          std::to_wstring(1000 * (shown.QuadPart - start.QuadPart) / freq.QuadPart) + L" ms\n");
    if (uue.empty()) {
        Sleep(1000);
        Print(L"idle working set: " + std::to_wstring(run.PeakWorkingSet()) + L" bytes\n");
        PostMessageW(main, WM_CLOSE, 0, 0);
        return static_cast<int>(run.WaitForExit());
    }
    namespace options = qb::windows::options_window;
    if (fromClipboard && !FileToClipboard(uue)) {
        Print(L"the text could not be put on the clipboard\n");
        return 3;
    }
    const auto item = fromClipboard ? options::Id::menuRestoreClipboard : options::Id::menuRestoreFile;
    PostMessageW(main, WM_COMMAND, qb::windows::CommandOf(options::kDesign, item), 0);
    int answered = fromClipboard ? 1 : 0;
    while (auto box = run.WaitForBox(600000)) {
        // A box with a name box is a file dialog: Open first, then Save As.
        const std::wstring& path = answered == 0 ? uue : to;
        if (answered < 2 && run.Choose(*box, path)) {
            ++answered;
            Print(L"[" + box->caption + L"] -> " + path + L"\n  found at: " +
                  std::to_wstring(run.MillisecondsToLastBox()) + L" ms\n");
            continue;
        }
        if (run.ProgressWindowsSeen()) Print(L"(progress window)\n");
        Print(L"[" + box->caption + L"] " + box->text + L"\n");
        PrintTimes(run);
        const wchar_t* shot = _wgetenv(L"QB_SHOT");
        if (shot && *shot) {
            Sleep(1000);  // let it finish painting
            if (SaveShot(box->hwnd, shot)) Print(L"screenshot: " + std::wstring(shot) + L"\n");
        }
        run.Press(*box, IDOK);
        break;
    }
    PostMessageW(main, WM_CLOSE, 0, 0);
    const DWORD code = run.WaitForExit();
    Print(L"exit code: " + std::to_wstring(code) + L"\n");
    return static_cast<int>(code);
}

// The file sent from one Quillbox to another over this clipboard, as between the two ends of a
// remote desktop: the sender started on it, and the receiver's 从剪切板还原文件 chosen once the
// first text is there (part 1; or the whole text, once the sender's box is answered). Prints the
// time from the sender's start to the receiver's Save As, and the parts the sender's window
// says arrived; the file is saved where `to` says.
int RelayThroughClipboard(const std::wstring& file, const std::wstring& to) {
    using namespace qb::testing;
    RunningQuillbox receiver(L"");
    const HWND main = WaitForFormWindow(receiver.ProcessId(), 60000);
    if (!main) return 3;
    SetClipboardText("\x01qbshow\x01");
    LARGE_INTEGER freq, start, saved;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    // The clipboard's last change before Save As is the receiver's last answer: watched by its
    // sequence number alone, which takes no lock from the two ends.
    std::atomic<bool> watching{true};
    std::atomic<LONGLONG> lastChange{start.QuadPart};
    std::thread watch([&] {
        for (DWORD seen = GetClipboardSequenceNumber(); watching; Sleep(1)) {
            if (const DWORD now = GetClipboardSequenceNumber(); now != seen) {
                LARGE_INTEGER at;
                QueryPerformanceCounter(&at);
                seen = now;
                lastChange = at.QuadPart;
            }
        }
    });
    struct Join {
        std::atomic<bool>& watching;
        std::thread& watch;
        ~Join() {
            watching = false;
            watch.join();
        }
    } join{watching, watch};
    RunningQuillbox sender(L"\"" + file + L"\"");
    for (int i = 0; !ClipboardText().starts_with("#Quillbox part 1/"); ++i) {
        if (auto box = sender.WaitForBox(1)) {
            sender.Press(*box, IDOK);
            break;
        }
        if (i == 600000) return 3;
    }
    namespace options = qb::windows::options_window;
    PostMessageW(main, WM_COMMAND, qb::windows::CommandOf(options::kDesign, options::Id::menuRestoreClipboard), 0);
    const auto save = receiver.WaitForBox(60000);
    QueryPerformanceCounter(&saved);
    watching = false;
    if (!save || !receiver.Choose(*save, to)) {
        // Where it stands: each window's lines, and what the clipboard holds.
        for (const DWORD pid : {sender.ProcessId(), receiver.ProcessId()})
            EnumWindows([](HWND w, LPARAM pid) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner != static_cast<DWORD>(pid) || !IsWindowVisible(w)) return TRUE;
                for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) Print(L"  " + TextOf(c) + L"\n");
                return TRUE;
            }, static_cast<LPARAM>(pid));
        Print(L"clipboard: " + FromAnsi(ClipboardText().substr(0, 100)) + L"\nno Save As within a minute\n");
        return 3;
    }
    Print(L"sender's start to Save As: " + std::to_wstring(1000 * (saved.QuadPart - start.QuadPart) / freq.QuadPart) +
          L" ms\n");
    Print(L"sender's start to the last answer: " +
          std::to_wstring(1000 * (lastChange.load() - start.QuadPart) / freq.QuadPart) + L" ms\n");
    if (const HWND sending = WaitForFormWindow(sender.ProcessId(), 1000)) {
        wchar_t state[64] = {};
        GetDlgItemTextW(sending, qb::windows::CommandOf(qb::windows::parts_window::kDesign,
                                                        qb::windows::parts_window::Id::state), state, 64);
        Print(L"sender: " + std::wstring(state) + L"\n");
        PostMessageW(sending, WM_CLOSE, 0, 0);
    }
    if (const auto outcome = receiver.WaitForBox(600000)) {
        Print(L"[" + outcome->caption + L"] " + outcome->text + L"\n");
        receiver.Press(*outcome, IDOK);
    }
    PostMessageW(main, WM_CLOSE, 0, 0);
    receiver.WaitForExit();
    return static_cast<int>(sender.WaitForExit());
}

// A file sent to the receiver script on another end of this clipboard: the sender started on it,
// its 对方没有Quillbox pressed and the box answered ("script put" is printed then, for the other
// end to start); then the sender's state line once the other end has every part, or after two
// minutes, and its exit code.
int SendToScript(const std::wstring& file) {
    using namespace qb::testing;
    namespace parts = qb::windows::parts_window;
    RunningQuillbox sender(L"\"" + file + L"\"");
    const HWND window = WaitForFormWindow(sender.ProcessId(), 60000);
    if (!window) return 3;
    const auto control = [&](parts::Id id) { return GetDlgItem(window, qb::windows::CommandOf(parts::kDesign, id)); };
    PostMessageW(control(parts::Id::scriptButton), BM_CLICK, 0, 0);
    const auto box = sender.WaitForBox();
    if (!box) return 3;
    Print(L"[" + box->caption + L"] " + box->text + L"\nscript put\n");
    sender.Press(*box, IDOK);
    std::wstring state;
    for (int i = 0; i < 1200 && !(state = TextOf(control(parts::Id::state))).starts_with(L"对方已收到全部"); ++i) Sleep(100);
    Print(L"sender: " + state + L"\n");
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (const auto ask = sender.WaitForBox(1000)) sender.Press(*ask, IDYES);
    const DWORD code = sender.WaitForExit();
    Print(L"exit code: " + std::to_wstring(code) + L"\n");
    return static_cast<int>(code);
}

}  // namespace

int wmain(int, wchar_t**) {
    using namespace qb::testing;
    std::wstring args = GetCommandLineW();
    // Everything after our own name goes to Quillbox unchanged.
    args = args[0] == L'"' ? args.substr(args.find(L'"', 1) + 1) : args.substr(std::min(args.find(L' '), args.size()));
    args.erase(0, args.find_first_not_of(L' '));
    const wchar_t* restore = _wgetenv(L"QB_RESTORE");
    const wchar_t* restoreTo = _wgetenv(L"QB_RESTORE_TO");
    const wchar_t* idle = _wgetenv(L"QB_IDLE");
    const wchar_t* fromClipboard = _wgetenv(L"QB_RESTORE_CLIPBOARD");
    if (idle && *idle) return RestoreThroughMenu(L"", L"", false);
    if (const wchar_t* script = _wgetenv(L"QB_TO_SCRIPT"); script && *script) return SendToScript(script);
    if (const wchar_t* relay = _wgetenv(L"QB_RELAY"); relay && *relay)
        return RelayThroughClipboard(relay, restoreTo ? restoreTo : L"");
    if (restore && *restore)
        return RestoreThroughMenu(restore, restoreTo ? restoreTo : L"", fromClipboard && *fromClipboard);

    const std::string sentinel = "\x01qbshow\x01";
    SetClipboardText(sentinel);
    // QB_PROGRAM runs another program in Quillbox's place (a floor, or another build), for timing.
    const wchar_t* other = _wgetenv(L"QB_PROGRAM");
    RunningQuillbox run(other && *other ? WholeCommandLine{L"\"" + std::wstring(other) + L"\" " + args}
                      : WholeCommandLine{L"\"" QB_EXE L"\" " + args});
    if (args.empty()) {
        const bool shown = DescribeOptionsWindow(run);
        if (!shown) Print(L"the options window did not appear within a minute\n");
        const DWORD code = run.WaitForExit(shown ? 20000 : 0);
        Print(L"exit code: " + std::to_wstring(code) + L"\n");
        return shown ? static_cast<int>(code) : 3;
    }
    const char* answer = std::getenv("QB_ANSWER");
    const bool timing = std::getenv("QB_TIME") != nullptr;
    std::size_t progressShown = 0;
    LARGE_INTEGER freq, start, now;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, run.ProcessId());
    // A progress window is never pressed: the driver passes it by, and only says it was there.
    // A file sent in parts ends in the parts window (after the large-file question, if any),
    // which is described and closed.
    for (int waited = 0; waited < 600000; waited += 200) {
        if (const HWND parts = WaitForFormWindow(run.ProcessId(), 5)) {
            QueryPerformanceCounter(&now);
            for (; progressShown < run.ProgressWindowsSeen(); ++progressShown) Print(L"(progress window)\n");
            Sleep(200);  // let it put part 1 and show its lines
            Print(L"(parts window) " + TextOf(GetDlgItem(parts, qb::windows::CommandOf(qb::windows::parts_window::kDesign,
                                                                       qb::windows::parts_window::Id::summary))) + L"\n");
            if (timing) {
                Print(L"  time to the parts window: " +
                      std::to_wstring(1000 * (now.QuadPart - start.QuadPart) / freq.QuadPart) + L" ms\n");
                Print(L"  time spent answering before it: " + std::to_wstring(run.MillisecondsAnswering()) + L" ms\n");
            }
            PostMessageW(parts, WM_CLOSE, 0, 0);
            // Closed before the other end has every part, it asks first.
            if (const auto ask = run.WaitForBox(2000)) {
                Print(L"[" + ask->caption + L"] " + ask->text + L"\n  -> 是\n");
                run.Press(*ask, IDYES);
            }
            break;
        }
        const auto box = run.WaitForBox(200);
        if (!box) {
            if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) break;
            continue;
        }
        for (; progressShown < run.ProgressWindowsSeen(); ++progressShown) Print(L"(progress window)\n");
        Print(L"[" + box->caption + L"] " + box->text + L"\n");
        if (timing) PrintTimes(run);
        const bool question = box->buttons.size() == 2;
        run.Press(*box, question ? (answer && std::string(answer) == "no" ? IDNO : IDYES) : IDOK);
        if (question) Print(answer && std::string(answer) == "no" ? L"  -> 否\n" : L"  -> 是\n");
    }
    CloseHandle(process);
    const DWORD code = run.WaitForExit();
    const std::string clip = ClipboardText();
    if (clip != sentinel && !clip.empty()) {
        Print(L"--- clipboard ---\n" + FromAnsi(clip) + L"\n--- end of clipboard ---\n");
    } else if (!args.empty()) {
        std::wstring path = args;
        std::erase(path, L'"');
        if (GetFileAttributesW((path + L".uue").c_str()) != INVALID_FILE_ATTRIBUTES && code == 0)
            Print(L"side file: " + path + L".uue\n");
    }
    Print(L"exit code: " + std::to_wstring(code) + L"\n");
    return static_cast<int>(code);
}
