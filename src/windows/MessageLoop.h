#pragma once
// The program's message loops: the one the set-up road runs, and the one a modal form runs while
// the program's other windows are disabled.

#include <windows.h>

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

// Runs while `open` holds. A quit seen here is posted again for the outer loop.
void RunModalLoop(FormHost& host, const std::function<bool()>& open);

// The thread's other visible windows, disabled while a modal window is open. Enable them again
// before the modal window is destroyed, so that activation passes to one of them rather than to
// another program.
class DisabledWindows {
public:
    explicit DisabledWindows(HWND modal);
    ~DisabledWindows() { Enable(); }
    DisabledWindows(const DisabledWindows&) = delete;
    DisabledWindows& operator=(const DisabledWindows&) = delete;

    void Enable();
    // The window that was active when the modal one opened; null if it was none of the others.
    HWND PreviouslyActive() const { return previouslyActive_; }

private:
    static BOOL CALLBACK Collect(HWND hwnd, LPARAM self);

    HWND modal_;
    HWND previouslyActive_ = nullptr;
    std::vector<HWND> windows_;
};

}  // namespace qb::windows
