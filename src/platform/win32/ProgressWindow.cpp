// The progress window of a long job: a task dialog with a bar, shown on this thread while the job
// runs on another. Not the shell's IProgressDialog: a task dialog needs no COM, runs modally on
// this thread, and tells of its Cancel through a callback rather than being polled for it.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "platform/win32/Win32Platform.h"

namespace qb::platform::win32 {
namespace {

using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// Only Common Controls 6 exports it, so it is looked up: an import would stop the program from
// starting wherever the manifest is not honoured. By name, not by path: the activation context
// the manifest sets up sends this load to the version 6 in the system's side-by-side store.
TaskDialogIndirectFn FindTaskDialog() {
    static const TaskDialogIndirectFn function = [] {
        const HMODULE module = LoadLibraryW(L"comctl32.dll");
        return module ? reinterpret_cast<TaskDialogIndirectFn>(reinterpret_cast<void*>(
                            GetProcAddress(module, "TaskDialogIndirect")))
                      : nullptr;
    }();
    return function;
}

constexpr int kBarSteps = 1000;

struct Shown {
    JobProgress& progress;
    std::wstring detail;
    int step = -1;
};

void Refresh(HWND dialog, Shown& shown) {
    const std::uint64_t total = shown.progress.Total();
    const int step =
        total ? static_cast<int>(shown.progress.Done() * kBarSteps / total) : kBarSteps;
    if (step != shown.step) {
        shown.step = step;
        SendMessageW(dialog, TDM_SET_PROGRESS_BAR_POS, static_cast<WPARAM>(step), 0);
    }
    std::wstring detail = shown.progress.DoneText();
    if (detail != shown.detail) {
        shown.detail = std::move(detail);
        SendMessageW(dialog, TDM_SET_ELEMENT_TEXT, TDE_CONTENT,
                     reinterpret_cast<LPARAM>(shown.detail.c_str()));
    }
}

HRESULT CALLBACK OnNotify(HWND dialog, UINT note, WPARAM, LPARAM, LONG_PTR data) {
    auto& shown = *reinterpret_cast<Shown*>(data);
    switch (note) {
    case TDN_CREATED:
        SendMessageW(dialog, TDM_SET_PROGRESS_BAR_RANGE, 0, MAKELPARAM(0, kBarSteps));
        // The job's end closes the window at once, from the job's thread; the press is told from
        // the user's by the job having finished.
        shown.progress.OnFinish([dialog] { PostMessageW(dialog, TDM_CLICK_BUTTON, IDCANCEL, 0); });
        Refresh(dialog, shown);
        break;
    case TDN_TIMER:  // about five times a second
        Refresh(dialog, shown);
        break;
    case TDN_BUTTON_CLICKED:
        if (!shown.progress.Finished()) shown.progress.RequestStop();
        break;
    case TDN_DESTROYED:
        shown.progress.OnFinish(nullptr);
        break;
    default:
        break;
    }
    return S_OK;
}

}  // namespace

void Win32Ui::ShowProgress(std::wstring_view heading, JobProgress& progress) {
    const TaskDialogIndirectFn taskDialog = FindTaskDialog();
    if (!taskDialog) return Ui::ShowProgress(heading, progress);
    const std::wstring instruction(heading);
    Shown shown{progress, progress.DoneText()};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hInstance = GetModuleHandleW(nullptr);
    // Cancel stops the job: there is nothing to undo, since nothing is delivered before the end.
    config.dwFlags = TDF_SHOW_PROGRESS_BAR | TDF_CALLBACK_TIMER | TDF_ALLOW_DIALOG_CANCELLATION;
    config.dwCommonButtons = TDCBF_CANCEL_BUTTON;
    config.pszWindowTitle = caption_.c_str();
    config.pszMainInstruction = instruction.c_str();
    config.pszContent = shown.detail.c_str();
    config.pfCallback = OnNotify;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(&shown);
    if (FAILED(taskDialog(&config, nullptr, nullptr, nullptr))) {
        progress.OnFinish(nullptr);
        return Ui::ShowProgress(heading, progress);
    }
    // Closed by the user in a way that told no button (a session ending, say): the same as Cancel.
    if (!progress.Finished()) progress.RequestStop();
}

}  // namespace qb::platform::win32
