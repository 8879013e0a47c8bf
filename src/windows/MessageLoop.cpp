#include "windows/MessageLoop.h"

#include <algorithm>
#include <optional>
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

bool WaitModally(FormHost& host, HANDLE object, std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const bool forever = timeout == std::chrono::milliseconds::max();
    const auto deadline = forever ? Clock::time_point::max() : Clock::now() + timeout;
    std::optional<WPARAM> quit;
    bool signalled = false;
    {
        const HeldWindows held;
        for (;;) {
            DWORD wait = INFINITE;
            if (!forever) {
                const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
                if (left.count() <= 0) break;
                wait = static_cast<DWORD>(std::min<long long>(left.count(), INFINITE - 1));
            }
            const DWORD woke = MsgWaitForMultipleObjects(1, &object, FALSE, wait, QS_ALLINPUT);
            if (woke == WAIT_OBJECT_0) {
                signalled = true;
                break;
            }
            if (woke == WAIT_FAILED) platform::ThrowLastError(L"MsgWaitForMultipleObjects");
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    quit = msg.wParam;
                    continue;
                }
                Dispatch(msg);
                host.RethrowFailure();
            }
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(*quit));
    return signalled;
}

HeldWindows::HeldWindows(HWND modal) : modal_(modal), focus_(GetFocus()) {
    EnumThreadWindows(GetCurrentThreadId(), &HeldWindows::Collect, reinterpret_cast<LPARAM>(this));
    HWND active = GetActiveWindow();
    for (HWND w : windows_) {
        if (w == active) previouslyActive_ = w;
        EnableWindow(w, FALSE);
    }
    // Windows takes the focus from the children of a disabled window, but not every system does:
    // a key must not reach a button of a held window.
    if (focus_ && IsWindow(focus_) && GetFocus() == focus_) {
        const HWND root = GetAncestor(focus_, GA_ROOT);
        if (std::find(windows_.begin(), windows_.end(), root) != windows_.end()) SetFocus(nullptr);
    }
}

void HeldWindows::Release() {
    const bool held = !windows_.empty();
    for (HWND w : std::exchange(windows_, {})) {
        if (IsWindow(w)) EnableWindow(w, TRUE);
    }
    // Back where it was, unless something else has taken it meanwhile.
    if (held && focus_ && IsWindow(focus_) && !GetFocus() && !modal_) SetFocus(focus_);
}

BOOL CALLBACK HeldWindows::Collect(HWND hwnd, LPARAM self) {
    auto* me = reinterpret_cast<HeldWindows*>(self);
    if (hwnd != me->modal_ && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
        me->windows_.push_back(hwnd);
    }
    return TRUE;
}

}  // namespace qb::windows
