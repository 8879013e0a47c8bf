#include "windows/OptionsWindow.h"

#include "product/AppInfo.h"
#include "product/ExitCodes.h"
#include "shell/ContextMenu.h"
#include "windows/UsageGuide.h"

namespace qb::windows {

OptionsWindow::OptionsWindow(FormHost& host, platform::Platform& platform)
    : FormOf(host, options_window::kDesign), platform_(platform), about_(host, platform.launcher) {}

void OptionsWindow::Click(Id id) {
    switch (id) {
    case Id::addToMenuBox: OnAddToMenuToggled(); break;
    case Id::applyButton: case Id::menuApply: OnApply(); break;
    case Id::exitButton: case Id::menuExit: OnExit(); break;
    case Id::menuGuide: OnGuide(); break;
    case Id::menuHomePage: OnHomePage(); break;
    case Id::menuAbout: OnAbout(); break;
    case Id::fileMenu: case Id::fileMenuSeparator: case Id::helpMenu: case Id::helpMenuSeparator:
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

void OptionsWindow::OnApply() {
    // Apply catches its own failures and reports them; the window keeps its state afterwards.
    shell::Apply(Checked(Id::addToMenuBox) ? shell::Step::kAdd : shell::Step::kRemove, platform_,
                 reinterpret_cast<std::uintptr_t>(Window()), [this](platform::StartedProgram& copy) {
                     WaitModally(host(), reinterpret_cast<HANDLE>(copy.Handle()));
                 });
}

void OptionsWindow::OnExit() { platform_.process.ExitNow(product::kDelivered); }

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
