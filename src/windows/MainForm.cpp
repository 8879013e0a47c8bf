#include "windows/MainForm.h"

#include <array>

#include "product/AppInfo.h"
#include "product/ExitCodes.h"
#include "shell/ContextMenu.h"
#include "windows/SecondForm.h"

namespace qb::windows {
namespace {

constexpr std::array kControls{
    ControlDesign{L"c1", ControlKind::CheckBox, L"添加到文件的右键菜单", 210, 150, 2385, 405, 2},
    ControlDesign{L"e", ControlKind::Button, L"退出(&X)", 1770, 720, 1095, 375, 1},
    ControlDesign{L"a", ControlKind::Button, L"应用(&A)", 210, 720, 1095, 375, 0},
};

constexpr std::array kMenu{
    MenuDesign{L"file", 0, L"文件(&F)"},
    MenuDesign{L"ap", 1, L"应用(&A)"},
    MenuDesign{L"line1", 1, L"-"},
    MenuDesign{L"ex", 1, L"退出(&X)"},
    MenuDesign{L"help", 0, L"帮助(&H)"},
    MenuDesign{L"manual", 1, L"使用指南(&M)"},
    MenuDesign{L"home", 1, L"软件主页(&H)"},
    MenuDesign{L"line2", 1, L"-"},
    MenuDesign{L"about", 1, L"关于Quillbox(&A)"},
};

// Neither button answers Enter or Esc.
constexpr FormDesign kMainForm{
    product::kTitle, Border::Sizable, 3195, 1335, kControls, {}, L"", L"", kMenu,
};

}  // namespace

MainForm::MainForm(Session& session, platform::Platform& platform)
    : Form(session, kMainForm), platform_(platform), about_(session) {}

void MainForm::Load() { Form_Load(); }

void MainForm::Click(std::wstring_view control) {
    if (control == L"c1") c1_Click();
    else if (control == L"a" || control == L"ap") a_Click();  // File, Apply: even while disabled
    else if (control == L"e" || control == L"ex") e_Click();
    else if (control == L"manual") manual_Click();
    else if (control == L"home") home_Click();
    else if (control == L"about") about_Click();
}

void MainForm::Form_Load() {
    // A failed registry look-up must not keep the window from opening: it then shows unchecked.
    try {
        if (shell::IsInContextMenu(platform_)) SetValue(L"c1", 1);
    } catch (const std::exception&) {
    }
    // Last, so Apply starts disabled whatever the check box shows.
    SetEnabled(L"a", false);
}

void MainForm::c1_Click() { SetEnabled(L"a", true); }

void MainForm::a_Click() {
    // Each step reports its own outcome; nothing here may stop half-way, and the window keeps
    // its state afterwards.
    try {
        if (Value(L"c1") == 1) shell::AddToContextMenu(platform_);
        else shell::RemoveFromContextMenu(platform_);
    } catch (const std::exception&) {
    }
}

void MainForm::e_Click() { platform_.process.ExitNow(product::kDelivered); }

void MainForm::manual_Click() {
    SecondForm guide(session());
    guide.ShowModal();
}

void MainForm::home_Click() {
    // Hidden show command, and no report if the page cannot be opened.
    platform_.launcher.ShellOpen(reinterpret_cast<std::uintptr_t>(Window()), product::kHomePage, 0);
}

void MainForm::about_Click() { about_.Show(); }

int RunSetupRoad(platform::Platform& platform) {
    Session session(GetModuleHandleW(nullptr), platform.launcher);
    MainForm form(session, platform);
    form.Show();
    return RunMessageLoop(session);
}

}  // namespace qb::windows
