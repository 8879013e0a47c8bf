#include "windows/OptionsWindow.h"

#include <functional>
#include <utility>

#include "platform/Error.h"
#include "platform/win32/UniqueHandle.h"
#include "product/AppInfo.h"
#include "product/ExitCodes.h"
#include "shell/ContextMenu.h"
#include "windows/PartSettings.h"
#include "windows/ReceiverScript.h"
#include "windows/ReceivingWindow.h"
#include "windows/UsageGuide.h"

namespace qb::windows {

OptionsWindow::OptionsWindow(FormHost& host, platform::Platform& platform)
    : FormOf(host, options_window::kDesign), platform_(platform),
      about_(host, platform.launcher) {}

void OptionsWindow::Click(Id id) {
    switch (id) {
    case Id::addToMenuBox: OnAddToMenuToggled(); break;
    case Id::applyButton: case Id::menuApply: OnApply(); break;
    case Id::menuRestoreClipboard: OnRestore(restore::From::kClipboard); break;
    case Id::menuRestoreFile: OnRestore(restore::From::kFile); break;
    case Id::menuPartSettings: OnPartSettings(); break;
    case Id::menuCopyScript:
        RunJob([](platform::Platform& p) { PutReceiverScript(p, 0); });
        break;
    case Id::exitButton: case Id::menuExit: OnExit(); break;
    case Id::menuGuide: OnGuide(); break;
    case Id::menuHomePage: OnHomePage(); break;
    case Id::menuAbout: OnAbout(); break;
    case Id::fileMenu: case Id::fileMenuSeparator: case Id::restoreMenuSeparator:
    case Id::partsMenuSeparator:
    case Id::helpMenu: case Id::helpMenuSeparator:
        break;
    }
}

void OptionsWindow::Load() {
    // A failed registry look-up must not keep the window from opening: it then shows unchecked.
    try {
        if (shell::IsInContextMenu(platform_)) SetChecked(Id::addToMenuBox, true);
    } catch (const std::exception&) {
    }
    // The shield says that Apply will ask for an administrator's consent.
    if (shell::ApplyNeedsElevation(platform_))
        ShowShield(Id::applyButton);
    // Last, so Apply starts disabled whatever the check box shows.
    SetEnabled(Id::applyButton, false);
}

void OptionsWindow::OnAddToMenuToggled() { SetEnabled(Id::applyButton, true); }

// Boxes are not shown once the Windows session ends: nobody is there to answer them.
class OptionsWindow::JobUi final : public platform::Ui {
public:
    JobUi(OptionsWindow& window, platform::Ui& inner) : window_(window), inner_(inner) {}
    int Message(std::wstring_view text, unsigned style) override {
        return window_.sessionEnding_ ? 0 : inner_.Message(text, style);
    }
    void WaitForJob(std::wstring_view heading, platform::JobProgress& progress,
                    std::chrono::milliseconds after) override {
        window_.WaitForJob(inner_, heading, progress, after);
    }
    void ShowProgress(std::wstring_view heading, platform::JobProgress& progress) override {
        inner_.ShowProgress(heading, progress);
    }
private:
    OptionsWindow& window_;
    platform::Ui& inner_;
};

void OptionsWindow::RunJob(const std::function<void(platform::Platform&)>& job) {
    // Another program's WM_COMMAND or BM_CLICK still reaches a held window.
    if (busy_) return;
    busy_ = true;
    struct Done {
        bool& busy;
        ~Done() { busy = false; }
    } done{busy_};
    JobUi ui(*this, platform_.ui);
    platform::Platform p = platform_.WithUi(ui);
    job(p);
    if (std::exchange(closeHeld_, false)) Unload();
}

void OptionsWindow::OnApply() {
    // Apply catches its own failures and reports them; the window keeps its state afterwards.
    RunJob([this](platform::Platform& p) {
        shell::Apply(Checked(Id::addToMenuBox) ? shell::Step::kAdd : shell::Step::kRemove, p,
                     reinterpret_cast<std::uintptr_t>(Window()),
                     [this](platform::StartedProgram& copy) {
                         WaitModally(host(), reinterpret_cast<HANDLE>(copy.Handle()));
                     });
    });
}

void OptionsWindow::OnRestore(restore::From from) {
    RunJob([this, from](platform::Platform& p) {
        const auto owner = reinterpret_cast<std::uintptr_t>(Window());
        auto gathering = restore::RunRestore(from, p, owner);
        if (!gathering) return;
        // Until the file is saved, or the person gives the parts up; at the session's end nothing
        // is saved: the parts go with the scratch file.
        for (bool again = true; again && !sessionEnding_;) {
            ReceivingWindow receiving(host(), p, *gathering);
            receiving_ = &receiving;
            struct Forget {
                ReceivingWindow*& receiving;
                ~Forget() { receiving = nullptr; }
            } forget{receiving_};
            receiving.ShowModal();
            // Saved, or a failure to report: a file not the sender's, a full disk.
            const bool finish = receiving.ToSave() || gathering->failure ||
                                gathering->receiver->CurrentState() == relay::Receiver::State::kMismatch;
            again = finish && !sessionEnding_ && restore::FinishGathering(*gathering, p, owner);
        }
    });
}

void OptionsWindow::WaitForJob(platform::Ui& ui, std::wstring_view heading,
                               platform::JobProgress& progress, std::chrono::milliseconds after) {
    pass_ = &progress;
    struct Forget {
        platform::JobProgress& progress;
        platform::JobProgress*& pass;
        ~Forget() {
            progress.OnFinish({});
            pass = nullptr;
        }
    } forget{progress, pass_};
    // A pass that ends within a moment shows no window; the options window keeps painting.
    const platform::win32::UniqueHandle ended(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!ended) platform::ThrowLastError(L"CreateEvent");
    progress.OnFinish([event = ended.get()] { SetEvent(event); });
    bool done = false;
    try {
        done = WaitModally(host(), ended.get(), after);
    } catch (...) {
        // The pass works on what the caller holds: it must end before the failure goes up.
        progress.RequestStop();
        progress.WaitFinished();
        throw;
    }
    if (done || progress.StopRequested()) return progress.WaitFinished();
    const HeldWindows held;
    ui.ShowProgress(heading, progress);
}

// Windows may end the process as soon as this returns: a restore stops here and now, and takes its
// temporary files with it before it lets go.
void OptionsWindow::SessionEnding() {
    sessionEnding_ = true;
    if (receiving_) receiving_->Close();
    if (pass_) {
        pass_->RequestStop();
        pass_->WaitFinished();
    }
}

bool OptionsWindow::MayClose() {
    // A close during a restore stops it; the window closes once the restore has ended.
    if (pass_) pass_->RequestStop();
    if (receiving_) receiving_->Close();  // nothing received is kept
    closeHeld_ = busy_;
    return !busy_;
}

void OptionsWindow::OnExit() { platform_.process.ExitNow(product::kDelivered); }

void OptionsWindow::OnPartSettings() {
    PartSettings settings(host(), platform_);
    settings.ShowModal();
}

void OptionsWindow::OnGuide() {
    UsageGuide guide(host());
    guide.ShowModal();
}

void OptionsWindow::OnHomePage() {
    // Hidden show command, and no report if the page cannot be opened.
    platform_.launcher.ShellOpen(reinterpret_cast<std::uintptr_t>(Window()), product::kHomePage,
                                 SW_HIDE);
}

void OptionsWindow::OnAbout() { about_.Show(); }

int RunSetupRoad(platform::Platform& platform) {
    FormHost host(GetModuleHandleW(nullptr));
    OptionsWindow window(host, platform);
    window.Show();
    return RunMessageLoop(host);
}

}  // namespace qb::windows
