// The relay's floor: two bare programs taking turns on one clipboard, doing only what a relay
// must. The sender puts N texts of CHARS characters as Quillbox puts a part (CF_TEXT with its
// locale), the receiver reads each whole as Unicode and puts a 100-character answer, which the
// sender reads before it puts the next. Both listen as Quillbox's windows do
// (AddClipboardFormatListener) and never read a change of their own (by the sequence number).
// The sender prints the time from its start to the last answer.
//   qbrelayfloor receive
//   qbrelayfloor send N CHARS
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

int g_parts = 0, g_next = 1;
std::size_t g_chars = 0;
bool g_sender = false;
DWORD g_own = 0;  // the clipboard's sequence number just after our own put
LARGE_INTEGER g_start, g_freq;

std::wstring Read(HWND window) {
    std::wstring text;
    for (int i = 0; i < 2000 && !OpenClipboard(window); ++i) Sleep(1);
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT))
        if (const auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
            text.assign(p, wcsnlen(p, GlobalSize(h) / sizeof(wchar_t)));
            GlobalUnlock(h);
        }
    CloseClipboard();
    return text;
}

void Put(HWND window, const std::string& text) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    HGLOBAL locale = GlobalAlloc(GMEM_MOVEABLE, sizeof(LCID));
    *static_cast<LCID*>(GlobalLock(locale)) = GetSystemDefaultLCID();
    GlobalUnlock(locale);
    for (int i = 0; i < 100 && !OpenClipboard(window); ++i) Sleep(1);
    EmptyClipboard();
    SetClipboardData(CF_TEXT, memory);
    SetClipboardData(CF_LOCALE, locale);
    // Kept out of the clipboard history, as Quillbox keeps its parts and answers.
    HGLOBAL zero = GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
    *static_cast<DWORD*>(GlobalLock(zero)) = 0;
    GlobalUnlock(zero);
    SetClipboardData(RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"), zero);
    CloseClipboard();
    g_own = GetClipboardSequenceNumber();
}

void PutPart(HWND window) {
    std::string text = "#floor part " + std::to_string(g_next) + "/" + std::to_string(g_parts) + "\r\n";
    text.resize(g_chars, 'M');
    Put(window, text);
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    if (message != WM_CLIPBOARDUPDATE) return DefWindowProcW(window, message, wp, lp);
    // A bare end never reads what it put itself.
    if (GetClipboardSequenceNumber() == g_own) return 0;
    const std::wstring text = Read(window);
    if (g_sender) {
        const std::wstring answer = L"#floor got " + std::to_wstring(g_next) + L"/";
        if (!text.starts_with(answer)) return 0;
        if (g_next++ == g_parts) {
            LARGE_INTEGER now;
            QueryPerformanceCounter(&now);
            std::printf("last answer: %lld ms\n", 1000 * (now.QuadPart - g_start.QuadPart) / g_freq.QuadPart);
            PostQuitMessage(0);
            return 0;
        }
        PutPart(window);
    } else if (text.starts_with(L"#floor part ")) {
        const int part = _wtoi(text.c_str() + 12);
        std::string answer = "#floor got " + std::to_string(part) + "/" + std::to_string(_wtoi(text.c_str() + text.find(L'/') + 1)) + " ";
        answer.resize(100, 'a');
        Put(window, answer);
        if (part == _wtoi(text.c_str() + text.find(L'/') + 1)) PostQuitMessage(0);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    QueryPerformanceFrequency(&g_freq);
    QueryPerformanceCounter(&g_start);
    g_sender = argc == 4 && std::wcscmp(argv[1], L"send") == 0;
    if (!g_sender && !(argc == 2 && std::wcscmp(argv[1], L"receive") == 0)) {
        std::fwprintf(stderr, L"usage: qbrelayfloor receive | send N CHARS\n");
        return 2;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = Procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"qbrelayfloor";
    RegisterClassW(&wc);
    const HWND window = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    AddClipboardFormatListener(window);
    if (g_sender) {
        g_parts = _wtoi(argv[2]);
        g_chars = static_cast<std::size_t>(_wtoi(argv[3]));
        PutPart(window);
    } else {
        std::printf("listening\n");
        std::fflush(stdout);
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    RemoveClipboardFormatListener(window);
    return 0;
}
