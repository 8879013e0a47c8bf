#pragma once
// The options window of a start without a file: whether the Explorer entry should exist, Apply,
// the restore of files from UUE text, Exit, and a Help menu with the usage guide, the home page
// and the About box.

#include <chrono>
#include <functional>
#include <string_view>

#include "platform/JobProgress.h"
#include "platform/Platform.h"
#include "restore/RestoreJob.h"
#include "windows/AboutBox.h"
#include "windows/Form.h"
#include "windows/OptionsWindowDesign.h"

namespace qb::windows {

class ReceivingWindow;

class OptionsWindow final : public FormOf<options_window::Id> {
public:
    using Id = options_window::Id;
    OptionsWindow(FormHost& host, platform::Platform& platform);

protected:
    void Load() override;
    void Click(Id id) override;
    bool MayClose() override;
    void SessionEnding() override;

private:
    void OnAddToMenuToggled();
    // The button, or File > Apply, which works even while the button is disabled.
    void OnApply();
    // File > 从剪切板还原文件 and 从UUE文件还原: one restore, its dialogs over this window.
    void OnRestore(restore::From from);
    // Runs Apply or a restore, one at a time, its boxes quiet once the session ends; a close that
    // came meanwhile is done afterwards.
    void RunJob(const std::function<void(platform::Platform&)>& job);
    // The Ui a job runs under, and how it waits for a pass on a worker: the window held and
    // painting, the pass's progress window once it runs long, and a close stopping it.
    class JobUi;
    void WaitForJob(platform::Ui& ui, std::wstring_view heading, platform::JobProgress& progress,
                    std::chrono::milliseconds after);
    // File > 分段设置: the parts setting, modal over this window.
    void OnPartSettings();
    void OnExit();
    void OnGuide();
    void OnHomePage();
    void OnAbout();

    platform::Platform& platform_;
    AboutBox about_;
    // The pass of a restore now running, which a close stops.
    platform::JobProgress* pass_ = nullptr;
    ReceivingWindow* receiving_ = nullptr;  // the receiving window, while it is open
    // While a step runs, waited for with the window held: a second one is not started, and a
    // close waits until the step has ended and its box has been answered.
    bool busy_ = false;
    bool closeHeld_ = false;
    bool sessionEnding_ = false;
};

// The set-up road once the home page is launched: shows the options window and runs the
// program's messages until no window is left or Exit ends the process. Returns the exit code.
int RunSetupRoad(platform::Platform& platform);

}  // namespace qb::windows
