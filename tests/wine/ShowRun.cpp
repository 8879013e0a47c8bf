// qbshow: runs Quillbox.exe on the given arguments where nobody can see its windows, prints what a
// user would have seen (each message box, then the clipboard text or the side file's path) and
// answers each box: OK, and Yes to the large-file question unless QB_ANSWER=no. A progress window
// is only noted, and left to close by itself.
// QB_PROGRAM names another program to run in Quillbox's place.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Driver.h"

namespace {

void Print(const std::wstring& s) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    std::fwrite(out.data(), 1, out.size(), stdout);
}

std::wstring FromAnsi(const std::string& s) {
    const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

}  // namespace

int wmain(int, wchar_t**) {
    using namespace qb::testing;
    std::wstring args = GetCommandLineW();
    // Everything after our own name goes to Quillbox unchanged.
    args = args[0] == L'"' ? args.substr(args.find(L'"', 1) + 1) : args.substr(std::min(args.find(L' '), args.size()));
    args.erase(0, args.find_first_not_of(L' '));

    const std::string sentinel = "\x01qbshow\x01";
    SetClipboardText(sentinel);
    // QB_PROGRAM runs another program in Quillbox's place (a floor, or another build), for timing.
    const wchar_t* other = _wgetenv(L"QB_PROGRAM");
    RunningQuillbox run(other && *other ? WholeCommandLine{L"\"" + std::wstring(other) + L"\" " + args}
                      : WholeCommandLine{L"\"" QB_EXE L"\" " + args});
    const char* answer = std::getenv("QB_ANSWER");
    const bool timing = std::getenv("QB_TIME") != nullptr;
    std::size_t progressShown = 0;
    // A progress window is never pressed: the driver passes it by, and only says it was there.
    while (auto box = run.WaitForBox(600000)) {
        for (; progressShown < run.ProgressWindowsSeen(); ++progressShown) Print(L"(progress window)\n");
        Print(L"[" + box->caption + L"] " + box->text + L"\n");
        if (timing) {
            Print(L"  time to this box: " + std::to_wstring(run.MillisecondsToLastBox()) + L" ms\n");
            Print(L"  time spent answering before it: " + std::to_wstring(run.MillisecondsAnswering()) + L" ms\n");
            Print(L"  peak working set: " + std::to_wstring(run.PeakWorkingSet()) + L" bytes\n");
        }
        const bool question = box->buttons.size() == 2;
        run.Press(*box, question ? (answer && std::string(answer) == "no" ? IDNO : IDYES) : IDOK);
        if (question) Print(answer && std::string(answer) == "no" ? L"  -> 否\n" : L"  -> 是\n");
    }
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
