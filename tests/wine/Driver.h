#pragma once
// Drives Quillbox.exe the way a user would: starts it, finds the message boxes it shows, reads
// them, presses their buttons, and reads the clipboard afterwards. A progress window, a dialog with
// a progress bar, is told from the boxes and found only when asked for.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace qb::testing {

enum class Icon { kNone, kError, kExclamation, kInformation, kOther };

struct BoxButton {
    int id;
    std::wstring text;
    bool isDefault;
};

struct Box {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;
    std::vector<BoxButton> buttons;  // visible ones, in id order
    Icon icon = Icon::kNone;
    bool progressOpen = false;  // a progress window of the process still stood beside it
};

// A whole command line, program path included, run as given (the way Explorer runs a verb).
struct WholeCommandLine {
    std::wstring text;
};

class RunningQuillbox {
public:
    explicit RunningQuillbox(const std::wstring& arguments);
    explicit RunningQuillbox(const WholeCommandLine& commandLine);
    RunningQuillbox(const RunningQuillbox&) = delete;
    RunningQuillbox& operator=(const RunningQuillbox&) = delete;
    ~RunningQuillbox();

    // The next message box of the process; nothing if none appears in time or the process ends.
    // With `progressWindow`, the progress window instead; its text is its lines, one per line.
    std::optional<Box> WaitForBox(DWORD timeoutMs = 20000, bool progressWindow = false);
    std::size_t ProgressWindowsSeen() const { return progressWindows_.size(); }
    void Press(const Box& box, int buttonId);
    // Answers a file dialog the way ChooseInFileDialog does, counting the time it stood open as
    // Press does. False, and nothing counted, if `dialog` has no name box.
    bool Choose(const Box& dialog, const std::wstring& path);
    // The exit code once the process has ended; STILL_ACTIVE if it did not end in time.
    DWORD WaitForExit(DWORD timeoutMs = 20000);
    // Class names of visible top-level windows of the process that are not message boxes.
    const std::vector<std::wstring>& OtherWindows() const { return otherWindows_; }
    DWORD ProcessId() const { return pi_.dwProcessId; }
    // Milliseconds from just before the process was created to when the last box was found.
    // From just before process creation to the moment the last box was found.
    double MillisecondsToLastBox() const { return msToLastBox_; }
    // How long the boxes answered so far stood open before their answer: a user's time, not the
    // program's.
    double MillisecondsAnswering() const { return msAnswering_; }
    // The process's peak working set so far, in bytes.
    std::size_t PeakWorkingSet() const;

private:
    PROCESS_INFORMATION pi_{};
    HWND lastBox_ = nullptr;
    LARGE_INTEGER started_{};
    double msToLastBox_ = 0;
    double msAnswering_ = 0;
    double Elapsed() const;
    std::vector<std::wstring> otherWindows_;
    std::vector<HWND> progressWindows_;
};

// Runs Quillbox on `arguments`, presses OK on the single box it shows, and returns that box with
// the exit code.
struct Outcome {
    Box box;
    DWORD exitCode;
    std::vector<std::wstring> otherWindows;
    std::size_t progressWindows;
};
Outcome RunAndConfirm(const std::wstring& arguments);

// Types `path` into a file dialog's name box (Open, Save As or a folder picker) and presses Enter.
// False if the dialog has no name box.
bool ChooseInFileDialog(HWND dialog, const std::wstring& path);

inline std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string ClipboardText();               // CF_TEXT bytes, without the terminating NUL
std::wstring UnicodeClipboardText();       // CF_UNICODETEXT
void SetClipboardText(const std::string& text);

}  // namespace qb::testing
