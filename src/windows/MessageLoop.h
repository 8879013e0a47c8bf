#pragma once
// The program's message loops: the one the set-up road runs, and the one a modal form runs while
// the program's other windows are disabled.

#include <windows.h>

#include <chrono>
#include <exception>
#include <functional>
#include <vector>

namespace qb::windows {

// The window class of every form; the loops give forms the dialog keys.
inline constexpr wchar_t kFormClass[] = L"QuillboxForm";

// What every form of one program shares: the module, the count of open forms (the process ends
// when it drops to zero) and a failure raised inside a window procedure, which the message loops
// hand on to whoever runs them.
class FormHost {
public:
    explicit FormHost(HINSTANCE instance) : instance_(instance) {}
    FormHost(const FormHost&) = delete;
    FormHost& operator=(const FormHost&) = delete;

    HINSTANCE Instance() const { return instance_; }
    int OpenForms() const { return openForms_; }

    void FormOpened() { ++openForms_; }
    void FormClosed();

    // Exceptions must not cross the system's frames between DispatchMessage and our window
    // procedures, so they are parked here and rethrown by the loop.
    void Fail(std::exception_ptr failure);
    void RethrowFailure();

private:
    HINSTANCE instance_;
    int openForms_ = 0;
    std::exception_ptr failure_;
};

// Runs until WM_QUIT, with Tab, Enter and Esc working on every form; returns the quit code.
// Rethrows a failure raised while handling a message.
int RunMessageLoop(FormHost& host);

// Runs while `open` holds. A quit seen here is posted again for the outer loop, and ends this one.
void RunModalLoop(FormHost& host, const std::function<bool()>& open);

// The one modal wait: holds the thread's windows (below) and runs their messages, so they keep
// painting, until `object` is signalled or `timeout` has passed; true if it was signalled. A quit
// seen meanwhile is held and posted again afterwards, so a wait is never cut short.
bool WaitModally(FormHost& host, HANDLE object,
                 std::chrono::milliseconds timeout = std::chrono::milliseconds::max());

// The thread's visible windows, held while something modal runs: disabled, the keyboard focus
// taken from them, so no key and no click reaches them, and given back on every path. `modal`, a
// window of our own shown over them, is left out. Give them back before a modal window is
// destroyed, so that activation passes to one of them rather than to another program.
class HeldWindows {
public:
    explicit HeldWindows(HWND modal = nullptr);
    ~HeldWindows() { Release(); }
    HeldWindows(const HeldWindows&) = delete;
    HeldWindows& operator=(const HeldWindows&) = delete;

    void Release();
    // The window that was active when the hold began; null if it was none of the held ones.
    HWND PreviouslyActive() const { return previouslyActive_; }

private:
    static BOOL CALLBACK Collect(HWND hwnd, LPARAM self);

    HWND modal_;
    HWND previouslyActive_ = nullptr;
    HWND focus_ = nullptr;
    std::vector<HWND> windows_;
};

}  // namespace qb::windows
