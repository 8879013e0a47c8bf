// The options window in-process over real windows and the prefix's real registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/MainModule.h"
#include "product/AppInfo.h"
#include "product/ExitCodes.h"
#include "Recorders.h"
#include "platform/Error.h"
#include "platform/win32/Win32Platform.h"
#include "shell/ContextMenu.h"
#include "windows/MainForm.h"

namespace qb::windows {
namespace {

constexpr char kVerbKey[] = "*\\Shell\\Quillbox(&U)";

class TestProcess : public platform::Process {
public:
    struct Exited {};
    platform::ProgramLocation Location() override { return {L"C:\\Tools", L"Quillbox"}; }
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

std::wstring MenuText(HMENU menu, UINT position) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
    return (GetMenuState(menu, position, MF_BYPOSITION) & MF_SEPARATOR) ? L"-" : text;
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
    Session session(GetModuleHandleW(nullptr), launcher);
    MainForm form(session, p);
    form.Show();
    HWND w = form.Window();
    wchar_t caption[64];
    GetWindowTextW(w, caption, 64);
    EXPECT_EQ(std::wstring(caption), L"Quillbox");
    const LONG style = GetWindowLongW(w, GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    RECT client;
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 213);
    EXPECT_EQ(client.bottom, 89);

    struct Expected {
        const wchar_t* name;
        const wchar_t* caption;
        RECT rect;  // left, top, width, height in pixels
    };
    for (const Expected& e : {Expected{L"c1", L"添加到文件的右键菜单", {14, 10, 159, 27}},
                              Expected{L"e", L"退出(&X)", {118, 48, 73, 25}},
                              Expected{L"a", L"应用(&A)", {14, 48, 73, 25}}}) {
        HWND c = form.Control(e.name);
        ASSERT_NE(c, nullptr) << e.name;
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(form.Text(e.name), e.caption);
        EXPECT_EQ(r.left, e.rect.left) << e.name;
        EXPECT_EQ(r.top, e.rect.top) << e.name;
        EXPECT_EQ(r.right - r.left, e.rect.right) << e.name;
        EXPECT_EQ(r.bottom - r.top, e.rect.bottom) << e.name;
        EXPECT_EQ(GetWindowLongW(c, GWL_STYLE) & 0x0F,
                  std::wstring(e.name) == L"c1" ? BS_AUTOCHECKBOX : BS_PUSHBUTTON)
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
    Session session(GetModuleHandleW(nullptr), launcher);
    {
        MainForm absent(session, p);
        absent.Show();
        EXPECT_EQ(absent.Value(L"c1"), 0);
        EXPECT_FALSE(absent.IsEnabled(L"a"));
        absent.Unload();
    }
    shell::AddToContextMenu(p);
    ASSERT_EQ(ui.Texts().back(), L"已经添加到右键菜单");
    ASSERT_TRUE(EntryPresent());
    {
        MainForm present(session, p);
        present.Show();
        EXPECT_EQ(present.Value(L"c1"), 1);
        EXPECT_FALSE(present.IsEnabled(L"a"));
        present.Unload();
    }
    BrokenRegistry broken;
    auto failing = Get(broken);
    MainForm opensAnyway(session, failing);
    opensAnyway.Show();
    EXPECT_TRUE(IsWindowVisible(opensAnyway.Window())) << "a failed look-up must not stop loading";
    EXPECT_EQ(opensAnyway.Value(L"c1"), 0);
    EXPECT_FALSE(opensAnyway.IsEnabled(L"a"));
    opensAnyway.Unload();
}

TEST_F(MainWindow, ApplyWritesOrRemovesTheEntryAndLeavesTheWindowAsItWas) {
    auto p = Get(registry);
    Session session(GetModuleHandleW(nullptr), launcher);
    MainForm form(session, p);
    form.Show();

    // File, Apply works while the button is disabled: the entry is absent, so it removes.
    form.PerformClick(L"ap");
    ASSERT_EQ(ui.Texts(), std::vector<std::wstring>{L"删除注册表失败"});

    // Two clicks on the box leave it as it was, but Apply enabled for good.
    SendMessageW(form.Control(L"c1"), BM_CLICK, 0, 0);
    EXPECT_TRUE(form.IsEnabled(L"a"));
    SendMessageW(form.Control(L"c1"), BM_CLICK, 0, 0);
    EXPECT_EQ(form.Value(L"c1"), 0);
    EXPECT_TRUE(form.IsEnabled(L"a"));

    SendMessageW(form.Control(L"c1"), BM_CLICK, 0, 0);
    SendMessageW(form.Control(L"a"), BM_CLICK, 0, 0);
    EXPECT_EQ(ui.Texts().back(), L"已经添加到右键菜单");
    EXPECT_TRUE(EntryPresent());
    EXPECT_EQ(form.Value(L"c1"), 1);
    EXPECT_TRUE(form.IsEnabled(L"a")) << "Apply stays enabled after applying";

    SendMessageW(form.Control(L"c1"), BM_CLICK, 0, 0);
    form.PerformClick(L"ap");
    EXPECT_EQ(ui.Texts().back(), L"右键菜单已经清除");
    EXPECT_FALSE(EntryPresent());
    EXPECT_EQ(form.Value(L"c1"), 0);
    form.Unload();
}

TEST_F(MainWindow, HelpMenuOpensTheHomePageHiddenAndTheAboutBoxBesideTheWindow) {
    auto p = Get(registry);
    Session session(GetModuleHandleW(nullptr), launcher);
    MainForm form(session, p);
    form.Show();
    form.PerformClick(L"home");
    ASSERT_EQ(launcher.opened.size(), 1u);
    EXPECT_EQ(launcher.opened[0].first, product::kHomePage);
    EXPECT_EQ(launcher.opened[0].second, 0) << "show command 0, as the shell is asked";
    EXPECT_NE(launcher.owners[0], 0u) << "the main window is the owner";

    form.PerformClick(L"about");
    form.PerformClick(L"about");
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

    EXPECT_THROW(form.PerformClick(L"ex"), TestProcess::Exited) << "Exit ends the process at once";
    EXPECT_THROW(form.PerformClick(L"e"), TestProcess::Exited);
    form.Unload();
}

TEST_F(MainWindow, ClosingTheWindowLeavesTheProgramRunningWhileTheAboutBoxIsOpen) {
    auto p = Get(registry);
    Session session(GetModuleHandleW(nullptr), launcher);
    MainForm form(session, p);
    form.Show();
    form.PerformClick(L"about");
    SendMessageW(form.Window(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(session.OpenForms(), 1) << "the About box keeps the program alive";
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    HWND about = FindWindowW(nullptr, L"关于 Quillbox");
    ASSERT_NE(about, nullptr);
    SendMessageW(about, WM_CLOSE, 0, 0);
    EXPECT_EQ(session.OpenForms(), 0);
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
    const testing::FakeLauncher::Call home{L"explorer.exe " + std::wstring(product::kHomePage),
                                           SW_SHOWNOACTIVATE};
    EXPECT_EQ(launcher.launched, std::vector(3, home));
    EXPECT_EQ(ui.shown.size(), 1u) << "the set-up road reports nothing";
}

}  // namespace
}  // namespace qb::windows
