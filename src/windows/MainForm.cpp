#include "windows/MainForm.h"

#include "product/AppInfo.h"
#include "product/ExitCodes.h"
#include "shell/ContextMenu.h"
#include "windows/SecondForm.h"

namespace qb::windows {

MainForm::MainForm(Session& session, platform::Platform& platform)
    : FormOf(session, main_form::kDesign), platform_(platform), about_(session, platform.launcher) {}

void MainForm::Load() { Form_Load(); }

void MainForm::Click(Id id) {
    switch (id) {
    case Id::c1: c1_Click(); break;
    case Id::a: a_Click(); break;
    case Id::ap: ap_Click(); break;
    case Id::e: e_Click(); break;
    case Id::ex: ex_Click(); break;
    case Id::manual: manual_Click(); break;
    case Id::home: home_Click(); break;
    case Id::about: about_Click(); break;
    case Id::file: case Id::line1: case Id::help: case Id::line2: break;  // menus and separators
    }
}

void MainForm::Form_Load() {
    // A failed registry look-up must not keep the window from opening: it then shows unchecked.
    try {
        if (shell::IsInContextMenu(platform_)) SetValue(Id::c1, 1);
    } catch (const std::exception&) {
    }
    // Last, so Apply starts disabled whatever the check box shows.
    SetEnabled(Id::a, false);
}

void MainForm::c1_Click() { SetEnabled(Id::a, true); }

void MainForm::a_Click() {
    // The add and remove steps catch their own failures and report them; the window keeps its
    // state afterwards.
    if (Value(Id::c1) == 1) shell::AddToContextMenu(platform_);
    else shell::RemoveFromContextMenu(platform_);
}

// File, Apply: runs Apply even while the button is disabled.
void MainForm::ap_Click() { a_Click(); }

void MainForm::ex_Click() { e_Click(); }

void MainForm::e_Click() { platform_.process.ExitNow(product::kDelivered); }

void MainForm::manual_Click() {
    SecondForm guide(session());
    guide.ShowModal();
}

void MainForm::home_Click() {
    // Hidden show command, and no report if the page cannot be opened.
    platform_.launcher.ShellOpen(reinterpret_cast<std::uintptr_t>(Window()), product::kHomePage,
                                 SW_HIDE);
}

void MainForm::about_Click() { about_.Show(); }

int RunSetupRoad(platform::Platform& platform) {
    Session session(GetModuleHandleW(nullptr));
    MainForm form(session, platform);
    form.Show();
    return RunMessageLoop(session);
}

}  // namespace qb::windows
