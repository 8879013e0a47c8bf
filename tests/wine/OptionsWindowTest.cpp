// The options window in-process over real windows and the prefix's real registry.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/MainModule.h"
#include "product/AppInfo.h"
#include "product/ExitCodes.h"
#include "Recorders.h"
#include "platform/Error.h"
#include "platform/win32/Win32Platform.h"
#include "shell/ContextMenu.h"
#include "windows/OptionsWindow.h"

namespace qb::windows {
namespace {

constexpr char kVerbKey[] = "*\\Shell\\Quillbox(&U)";

class TestProcess : public platform::Process {
public:
    struct Exited {};
    platform::ProgramLocation location{L"C:\\Tools", L"Quillbox"};
    bool elevated = true;
    platform::ProgramLocation Location() override { return location; }
    bool IsElevated() override { return elevated; }
    [[noreturn]] void ExitNow(int) override { throw Exited{}; }
};

// A registry that refuses to be read, to show loading goes on regardless.
class BrokenRegistry : public platform::win32::Win32Registry {
public:
    platform::OpenedKey OpenKey(platform::RegistryRoot, const std::string&) override {
        throw platform::Error(L"RegOpenKeyA", 5, L"拒绝访问。");
    }
};

void RemoveEntry() {
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "*\\Shell\\Quillbox(&U)\\Command");
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kVerbKey);
}

bool EntryPresent() {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, kVerbKey, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

using Id = OptionsWindow::Id;

// A menu item's click, as the menu sends it.
void Choose(const OptionsWindow& form, Id item) {
    SendMessageW(form.Window(), WM_COMMAND, MAKEWPARAM(form.CommandId(item), 0), 0);
}

std::wstring MenuText(HMENU menu, UINT position) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
    return (GetMenuState(menu, position, MF_BYPOSITION) & MF_SEPARATOR) ? L"-" : text;
}

std::function<void()> g_whileModal;
void CALLBACK RunWhileModal(HWND, UINT, UINT_PTR, DWORD) {
    if (auto step = std::exchange(g_whileModal, nullptr)) step();
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveEntry();
        MSG msg;  // a quit left by an earlier test's last window
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    void TearDown() override { RemoveEntry(); }
    platform::Platform Get(platform::Registry& registry) {
        return {ui, files, clipboard, launcher, registry, process};
    }

    testing::FakeUi ui;
    platform::win32::Win32Files files;
    platform::win32::Win32Clipboard clipboard;
    testing::FakeLauncher launcher;
    platform::win32::Win32Registry registry;
    TestProcess process;
};

TEST_F(MainWindow, LayoutMenusAndStylesMatchTheDesign) {
    auto p = Get(registry);
    FormHost host(GetModuleHandleW(nullptr));
    OptionsWindow form(host, p);
    form.Show();
    HWND w = form.Window();
    wchar_t caption[64];
    GetWindowTextW(w, caption, 64);
    EXPECT_EQ(std::wstring(caption), L"Quillbox");
    const LONG style = GetWindowLongW(w, GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    // Where the controls stand at each DPI is the layout's business; here, what they are.
    for (auto [id, text] : {std::pair{Id::addToMenuBox, L"添加到文件的右键菜单"}, std::pair{Id::exitButton, L"退出(&X)"},
                            std::pair{Id::applyButton, L"应用(&A)"}}) {
        HWND c = form.Control(id);
        ASSERT_NE(c, nullptr) << text;
        EXPECT_EQ(form.Text(id), text);
        EXPECT_EQ(GetWindowLongW(c, GWL_STYLE) & 0x0F, id == Id::addToMenuBox ? BS_AUTOCHECKBOX : BS_PUSHBUTTON)
            << "neither button is the default";
    }

    HMENU bar = GetMenu(w);
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    EXPECT_EQ(MenuText(bar, 0), L"文件(&F)");
    EXPECT_EQ(MenuText(bar, 1), L"帮助(&H)");
    const std::vector<std::wstring> file = {L"应用(&A)", L"-", L"退出(&X)"};
    const std::vector<std::wstring> help = {L"使用指南(&M)", L"软件主页(&H)", L"-", L"关于Quillbox(&A)"};
    for (const auto& [index, items] : {std::pair{0, file}, std::pair{1, help}}) {
        HMENU sub = GetSubMenu(bar, index);
        ASSERT_EQ(GetMenuItemCount(sub), static_cast<int>(items.size()));
        for (UINT i = 0; i < items.size(); ++i) EXPECT_EQ(MenuText(sub, i), items[i]);
    }
    form.Unload();
}

TEST_F(MainWindow, LoadingShowsTheEntryAndAlwaysDisablesApply) {
    auto p = Get(registry);
    FormHost host(GetModuleHandleW(nullptr));
    {
        OptionsWindow absent(host, p);
        absent.Show();
        EXPECT_FALSE(absent.Checked(Id::addToMenuBox));
        EXPECT_FALSE(absent.IsEnabled(Id::applyButton));
        absent.Unload();
    }
    ASSERT_TRUE(shell::AddToContextMenu(p));
    ASSERT_TRUE(EntryPresent());
    {
        OptionsWindow present(host, p);
        present.Show();
        EXPECT_TRUE(present.Checked(Id::addToMenuBox));
        EXPECT_FALSE(present.IsEnabled(Id::applyButton));
        present.Unload();
    }
    BrokenRegistry broken;
    auto failing = Get(broken);
    OptionsWindow opensAnyway(host, failing);
    opensAnyway.Show();
    EXPECT_TRUE(IsWindowVisible(opensAnyway.Window())) << "a failed look-up must not stop loading";
    EXPECT_FALSE(opensAnyway.Checked(Id::addToMenuBox));
    EXPECT_FALSE(opensAnyway.IsEnabled(Id::applyButton));
    opensAnyway.Unload();
}

TEST_F(MainWindow, ApplyWritesOrRemovesTheEntryAndLeavesTheWindowAsItWas) {
    auto p = Get(registry);
    FormHost host(GetModuleHandleW(nullptr));
    OptionsWindow form(host, p);
    form.Show();

    // File, Apply works while the button is disabled: the entry is absent, so it removes.
    Choose(form, Id::menuApply);
    ASSERT_EQ(ui.Texts(), std::vector<std::wstring>{L"删除注册表失败"});

    // Two clicks on the box leave it as it was, but Apply enabled for good.
    SendMessageW(form.Control(Id::addToMenuBox), BM_CLICK, 0, 0);
    EXPECT_TRUE(form.IsEnabled(Id::applyButton));
    SendMessageW(form.Control(Id::addToMenuBox), BM_CLICK, 0, 0);
    EXPECT_FALSE(form.Checked(Id::addToMenuBox));
    EXPECT_TRUE(form.IsEnabled(Id::applyButton));

    SendMessageW(form.Control(Id::addToMenuBox), BM_CLICK, 0, 0);
    SendMessageW(form.Control(Id::applyButton), BM_CLICK, 0, 0);
    EXPECT_EQ(ui.Texts().back(), L"已经添加到右键菜单");
    EXPECT_TRUE(EntryPresent());
    EXPECT_TRUE(form.Checked(Id::addToMenuBox));
    EXPECT_TRUE(form.IsEnabled(Id::applyButton)) << "Apply stays enabled after applying";

    SendMessageW(form.Control(Id::addToMenuBox), BM_CLICK, 0, 0);
    Choose(form, Id::menuApply);
    EXPECT_EQ(ui.Texts().back(), L"右键菜单已经清除");
    EXPECT_FALSE(EntryPresent());
    EXPECT_FALSE(form.Checked(Id::addToMenuBox));
    form.Unload();
}

// Under Wine every process is a full administrator, "runas" starts the program without a prompt
// and the shield draws nothing: this process decides "not elevated" itself, and the shield is
// seen as the request for it.
TEST_F(MainWindow, NotElevatedApplyHasQuillboxExeDoTheStepWhileTheWindowWaits) {
    process.elevated = false;
    process.location = platform::LocationOfProgram(QB_EXE);
    platform::win32::Win32Launcher real;
    platform::Platform p{ui, files, clipboard, real, registry, process};
    FormHost host(GetModuleHandleW(nullptr));
    OptionsWindow form(host, p);
    static bool shield = false;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, [](int code, WPARAM wp, LPARAM lp) {
        shield |= reinterpret_cast<const CWPSTRUCT*>(lp)->message == BCM_SETSHIELD;
        return CallNextHookEx(nullptr, code, wp, lp);
    }, nullptr, GetCurrentThreadId());
    form.Show();
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(shield);
    bool held = false;
    g_whileModal = [&] { held = !IsWindowEnabled(form.Window()); };
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, &RunWhileModal);
    SendMessageW(form.Control(Id::addToMenuBox), BM_CLICK, 0, 0);
    Choose(form, Id::menuApply);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(held) << "the window took input while the second copy ran";
    EXPECT_TRUE(EntryPresent());
    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{L"已经添加到右键菜单"});
    form.Unload();
}

TEST_F(MainWindow, EveryMenuItemReachesTheHandlerOfItsName) {
    auto p = Get(registry);
    FormHost host(GetModuleHandleW(nullptr));
    OptionsWindow form(host, p);
    form.Show();
    Choose(form, Id::menuHomePage);
    ASSERT_EQ(launcher.opened.size(), 1u);
    EXPECT_EQ(launcher.opened[0].first, product::kHomePage);
    EXPECT_EQ(launcher.opened[0].second, 0) << "show command 0, as the shell is asked";
    EXPECT_NE(launcher.owners[0], 0u) << "the main window is the owner";

    Choose(form, Id::menuAbout);
    Choose(form, Id::menuAbout);
    int aboutBoxes = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM count) {
            wchar_t text[64] = {};
            GetWindowTextW(w, text, 64);
            if (IsWindowVisible(w) && std::wstring(text) == L"关于 Quillbox") ++*reinterpret_cast<int*>(count);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&aboutBoxes));
    EXPECT_EQ(aboutBoxes, 1) << "one About box, shown again rather than twice";
    EXPECT_TRUE(IsWindowEnabled(form.Window())) << "the About box is modeless";

    // Exit ends the process at once: the end reaches whoever runs the loop.
    Choose(form, Id::menuExit);
    EXPECT_THROW(host.RethrowFailure(), TestProcess::Exited);
    SendMessageW(form.Control(Id::exitButton), BM_CLICK, 0, 0);
    EXPECT_THROW(host.RethrowFailure(), TestProcess::Exited);
    EXPECT_NO_THROW(host.RethrowFailure());

    std::wstring guide;
    g_whileModal = [&] {
        wchar_t text[64] = {};
        GetWindowTextW(GetForegroundWindow(), text, 64);
        guide = text;
        PostMessageW(GetForegroundWindow(), WM_CLOSE, 0, 0);
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, &RunWhileModal);
    Choose(form, Id::menuGuide);
    KillTimer(nullptr, timer);
    EXPECT_EQ(guide, L"Quillbox 使用指南");
    EXPECT_TRUE(IsWindowEnabled(form.Window()));
    form.Unload();
}

TEST_F(MainWindow, ClosingTheWindowLeavesTheProgramRunningWhileTheAboutBoxIsOpen) {
    auto p = Get(registry);
    FormHost host(GetModuleHandleW(nullptr));
    OptionsWindow form(host, p);
    form.Show();
    Choose(form, Id::menuAbout);
    SendMessageW(form.Window(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(host.OpenForms(), 1) << "the About box keeps the program alive";
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    HWND about = FindWindowW(nullptr, L"关于 Quillbox");
    ASSERT_NE(about, nullptr);
    SendMessageW(about, WM_CLOSE, 0, 0);
    EXPECT_EQ(host.OpenForms(), 0);
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the last window ends it";
}

BOOL CALLBACK CloseIfOptionsWindow(HWND window, LPARAM) {
    wchar_t title[32] = {};
    GetWindowTextW(window, title, 32);
    if (IsWindowVisible(window) && product::kTitle == title) PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

void CALLBACK CloseOptionsWindow(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), CloseIfOptionsWindow, 0);
}

// A path must take the encoding road alone; no path, however quoted, launches the home page
// without taking the focus and then runs the options window until it is closed.
TEST_F(MainWindow, RoadChoiceFollowsTheCommandLine) {
    auto p = Get(registry);
    EXPECT_EQ(app::Main(L"Quillbox.exe Z:\\no\\such\\file.bin", p), product::kOpenFailed);
    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{L"文件打开失败"});
    EXPECT_TRUE(launcher.launched.empty());

    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseOptionsWindow);
    for (const std::wstring line :
         {L"Quillbox.exe", L"\"C:\\x y\\Quillbox.exe\"  ", L"Quillbox.exe \"\"\""})
        EXPECT_EQ(app::Main(line, p), product::kDelivered) << line;
    KillTimer(nullptr, timer);
    // By its full path: a bare name would find an explorer.exe in the program's folder first.
    const testing::FakeLauncher::Call home{
        L"\"C:\\windows\\explorer.exe\" " + std::wstring(product::kHomePage), SW_SHOWNOACTIVATE};
    EXPECT_EQ(launcher.launched, std::vector(3, home));
    EXPECT_EQ(ui.shown.size(), 1u) << "the set-up road reports nothing";
}

}  // namespace
}  // namespace qb::windows
