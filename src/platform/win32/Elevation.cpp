// Whether this process is elevated, and the elevated second copy that does what it may not.
#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "platform/Error.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"

namespace qb::platform::win32 {
namespace {

// The thread's windows, disabled the way a task-modal box disables them, and enabled again.
class HeldWindows {
public:
    HeldWindows() {
        EnumThreadWindows(GetCurrentThreadId(), &HeldWindows::Hold, reinterpret_cast<LPARAM>(this));
    }
    ~HeldWindows() {
        for (HWND w : held_) {
            if (IsWindow(w)) EnableWindow(w, TRUE);
        }
        if (focus_ && IsWindow(focus_)) SetFocus(focus_);
    }
    HeldWindows(const HeldWindows&) = delete;
    HeldWindows& operator=(const HeldWindows&) = delete;

private:
    static BOOL CALLBACK Hold(HWND w, LPARAM self) {
        if (IsWindowVisible(w) && IsWindowEnabled(w)) {
            reinterpret_cast<HeldWindows*>(self)->held_.push_back(w);
            EnableWindow(w, FALSE);
        }
        return TRUE;
    }

    HWND focus_ = GetFocus();
    std::vector<HWND> held_;
};

// Dispatches the thread's messages, so its windows repaint, until `process` ends. A quit seen on
// the way is left for the loop that runs the program.
void WaitWithMessages(HANDLE process) {
    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) break;
        if (woke == WAIT_FAILED) ThrowLastError(L"MsgWaitForMultipleObjects");
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = msg.wParam;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

}  // namespace

bool Win32Process::IsElevated() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
        ThrowLastError(L"OpenProcessToken");
    const UniqueHandle token(raw);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size))
        ThrowLastError(L"GetTokenInformation");
    return elevation.TokenIsElevated != 0;
}

std::optional<std::uint32_t> Win32Launcher::RunElevated(std::uintptr_t owner,
                                                        const std::wstring& program,
                                                        std::wstring_view argument) {
    const std::wstring parameters(argument);
    const HeldWindows held;
    SHELLEXECUTEINFOW run{};
    run.cbSize = sizeof run;
    // No SEE_MASK_FLAG_NO_UI: it would hold back the consent prompt too.
    run.fMask = SEE_MASK_NOCLOSEPROCESS;
    // The owner brings the prompt to the front; without one it only flashes on the taskbar.
    run.hwnd = reinterpret_cast<HWND>(owner);
    run.lpVerb = L"runas";
    run.lpFile = program.c_str();
    run.lpParameters = parameters.c_str();
    run.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&run)) {
        const DWORD code = GetLastError();
        if (code == ERROR_CANCELLED) return std::nullopt;
        ThrowError(L"ShellExecuteEx", code);
    }
    const UniqueHandle process(run.hProcess);
    if (!process) ThrowError(L"ShellExecuteEx", ERROR_INVALID_HANDLE);
    WaitWithMessages(process.get());
    DWORD code = 0;
    if (!GetExitCodeProcess(process.get(), &code)) ThrowLastError(L"GetExitCodeProcess");
    return code;
}

}  // namespace qb::platform::win32
