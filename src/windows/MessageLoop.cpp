#include "windows/MessageLoop.h"

#include <string_view>
#include <utility>

#include "platform/Error.h"

namespace qb::windows {
namespace {

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

// False once WM_QUIT arrives.
bool PumpOne(FormHost& host, MSG& msg) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) platform::ThrowLastError(L"GetMessage");
    if (got == 0) return false;
    Dispatch(msg);
    host.RethrowFailure();
    return true;
}

}  // namespace

void FormHost::FormClosed() {
    if (--openForms_ == 0) PostQuitMessage(0);
}

void FormHost::Fail(std::exception_ptr failure) {
    if (!failure_) failure_ = std::move(failure);
    // Wake the loop even if the failing message was the last one for a while.
    PostMessageW(nullptr, WM_NULL, 0, 0);
}

void FormHost::RethrowFailure() {
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

int RunMessageLoop(FormHost& host) {
    MSG msg;
    while (PumpOne(host, msg)) {
    }
    return static_cast<int>(msg.wParam);
}

void RunModalLoop(FormHost& host, const std::function<bool()>& open) {
    MSG msg;
    while (open()) {
        if (!PumpOne(host, msg)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
    }
}

DisabledWindows::DisabledWindows(HWND modal) : modal_(modal) {
    EnumThreadWindows(GetCurrentThreadId(), &DisabledWindows::Collect,
                      reinterpret_cast<LPARAM>(this));
    HWND active = GetActiveWindow();
    for (HWND w : windows_) {
        if (w == active) previouslyActive_ = w;
        EnableWindow(w, FALSE);
    }
}

void DisabledWindows::Enable() {
    for (HWND w : std::exchange(windows_, {})) {
        if (IsWindow(w)) EnableWindow(w, TRUE);
    }
}

BOOL CALLBACK DisabledWindows::Collect(HWND hwnd, LPARAM self) {
    auto* me = reinterpret_cast<DisabledWindows*>(self);
    if (hwnd != me->modal_ && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
        me->windows_.push_back(hwnd);
    }
    return TRUE;
}

}  // namespace qb::windows
