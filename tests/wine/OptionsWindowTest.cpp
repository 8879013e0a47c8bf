// The options window in-process over real windows and the prefix's real registry.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "app/MainModule.h"
#include "product/AppInfo.h"
#include "product/ExitCodes.h"
#include "FormFixture.h"
#include "platform/Error.h"
#include "platform/win32/Win32Platform.h"
#include "shell/ContextMenu.h"
#include "windows/OptionsWindow.h"

namespace qb::windows {
namespace {

constexpr char kVerbKey[] = "*\\Shell\\Quillbox(&U)";

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
using options_window::kMenu;
using testing::g_steps;
using testing::ThreadWindows;
using testing::WindowText;

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
    // A popup's state holds its item count in the high byte, which can look like MF_SEPARATOR.
    const bool popup = GetSubMenu(menu, position) != nullptr;
    return !popup && (GetMenuState(menu, position, MF_BYPOSITION) & MF_SEPARATOR) ? L"-" : text;
}

// The menu bar as built, one entry per row in table order, with the command its item sends.
struct BuiltRow {
    int level;
    std::wstring caption;
    UINT command;
};
std::vector<BuiltRow> MenuRows(HWND window) {
    std::vector<BuiltRow> rows;
    HMENU bar = GetMenu(window);
    for (int m = 0; m < GetMenuItemCount(bar); ++m) {
        rows.push_back({0, MenuText(bar, m), 0});
        HMENU items = GetSubMenu(bar, m);
        for (int i = 0; i < GetMenuItemCount(items); ++i)
            rows.push_back({1, MenuText(items, i), GetMenuItemID(items, i)});
    }
    return rows;
}

// A click on the item the built menu has where the table puts `item`.
void Choose(const OptionsWindow& form, Id item) {
    const auto row = std::ranges::find(kMenu, RowId(item), &MenuDesign::id) - kMenu.begin();
    const UINT command = MenuRows(form.Window()).at(static_cast<std::size_t>(row)).command;
    SendMessageW(form.Window(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

class OptionsWindowTest : public testing::FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        RemoveEntry();
    }
    void TearDown() override {
        FormTest::TearDown();
        RemoveEntry();
    }

    OptionsWindow form{host, p};
};

TEST_F(OptionsWindowTest, NoControlOrMenuRowStraysFromTheDesignTable) {
    form.Show();
    HWND w = form.Window();
    EXPECT_EQ(WindowText(w), options_window::kDesign.caption);
    const LONG style = GetWindowLongW(w, GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    // Where the controls stand at each DPI is the layout's business; here, what they are.
    for (const ControlDesign& c : options_window::kControls) {
        const auto id = static_cast<Id>(c.id.value);
        EXPECT_EQ(form.Text(id), c.caption);
        EXPECT_EQ(GetWindowLongW(form.Control(id), GWL_STYLE) & 0x0F,
                  c.kind == ControlKind::CheckBox ? BS_AUTOCHECKBOX : BS_PUSHBUTTON)
            << "neither button is the default";
    }
    const auto built = MenuRows(w);
    ASSERT_EQ(built.size(), kMenu.size());
    for (std::size_t i = 0; i < built.size(); ++i) {
        EXPECT_EQ(built[i].level, kMenu[i].level) << i;
        EXPECT_EQ(built[i].caption, kMenu[i].caption) << i;
    }
}

TEST_F(OptionsWindowTest, LoadingShowsTheEntryAndAlwaysDisablesApply) {
    for (const bool present : {false, true}) {
        if (present) {
            ASSERT_TRUE(shell::AddToContextMenu(p));
        }
        ASSERT_EQ(EntryPresent(), present);
        form.Show();
        EXPECT_EQ(form.Checked(Id::addToMenuBox), present);
        EXPECT_FALSE(form.IsEnabled(Id::applyButton));
        form.Unload();
    }
    BrokenRegistry broken;
    auto failing = sys.Get({.registry = &broken});
    OptionsWindow opensAnyway(host, failing);
    opensAnyway.Show();
    EXPECT_TRUE(IsWindowVisible(opensAnyway.Window())) << "a failed look-up must not stop loading";
    EXPECT_FALSE(opensAnyway.Checked(Id::addToMenuBox));
    EXPECT_FALSE(opensAnyway.IsEnabled(Id::applyButton));
}

TEST_F(OptionsWindowTest, ApplyWritesOrRemovesTheEntryAndLeavesTheWindowAsItWas) {
    form.Show();

    // File, Apply works while the button is disabled: the entry is absent, so it removes.
    Choose(form, Id::menuApply);
    ASSERT_EQ(sys.ui.Texts(), std::vector<std::wstring>{L"删除注册表失败"});

    // Two clicks on the box leave it as it was, but Apply enabled for good.
    SendMessageW(form.Control(Id::addToMenuBox), BM_CLICK, 0, 0);
    EXPECT_TRUE(form.IsEnabled(Id::applyButton));
    SendMessageW(form.Control(Id::addToMenuBox), BM_CLICK, 0, 0);
    EXPECT_FALSE(form.Checked(Id::addToMenuBox));
    EXPECT_TRUE(form.IsEnabled(Id::applyButton));

    SendMessageW(form.Control(Id::addToMenuBox), BM_CLICK, 0, 0);
    SendMessageW(form.Control(Id::applyButton), BM_CLICK, 0, 0);
    EXPECT_EQ(sys.ui.Texts().back(), L"已经添加到右键菜单");
    EXPECT_TRUE(EntryPresent());
    EXPECT_TRUE(form.Checked(Id::addToMenuBox));
    EXPECT_TRUE(form.IsEnabled(Id::applyButton)) << "Apply stays enabled after applying";

    SendMessageW(form.Control(Id::addToMenuBox), BM_CLICK, 0, 0);
    Choose(form, Id::menuApply);
    EXPECT_EQ(sys.ui.Texts().back(), L"右键菜单已经清除");
    EXPECT_FALSE(EntryPresent());
    EXPECT_FALSE(form.Checked(Id::addToMenuBox));
}

// Under Wine every process is a full administrator, "runas" starts the program without a prompt
// and the shield draws nothing: this process decides "not elevated" itself, and the shield is
// seen as the request for it.
// While the copy runs, a second Apply (from the menu, or a message from anywhere) must not start a
// second copy, and a close must not swallow the outcome: real boxes, since one shown under a
// pending quit returns at once, which a recording box cannot see.
TEST_F(OptionsWindowTest, NotElevatedApplyWaitsForQuillboxExeAloneAndACloseMeanwhileWaitsForItsBox) {
    sys.process.elevated = false;
    sys.process.location = platform::LocationOfProgram(QB_EXE);
    platform::win32::Win32Launcher real;
    // Real boxes, each also counted: a box shown under a pending quit returns unseen.
    struct CountedBoxes final : platform::Ui {
        platform::win32::Win32Ui real{product::kTitle};
        int shown = 0;
        int Message(std::wstring_view text, unsigned style) override {
            ++shown;
            return real.Message(text, style);
        }
    } boxes;
    auto elevating = sys.Get({.ui = &boxes, .launcher = &real});
    OptionsWindow window(host, elevating);
    static bool shield = false;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, [](int code, WPARAM wp, LPARAM lp) {
        shield |= reinterpret_cast<const CWPSTRUCT*>(lp)->message == BCM_SETSHIELD;
        return CallNextHookEx(nullptr, code, wp, lp);
    }, nullptr, GetCurrentThreadId());
    window.Show();
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(shield);
    bool held = false, focusKept = true;
    std::vector<std::wstring> outcomes;
    std::function<void()> answer = [&] {
        const auto shown = ThreadWindows(L"#32770");
        if (shown.empty()) {
            g_steps.insert(g_steps.begin(), answer);  // not yet: the copy still runs
            return;
        }
        for (HWND box : shown) outcomes.push_back(WindowText(GetDlgItem(box, 0xFFFF)));
        for (HWND box : shown) PostMessageW(box, WM_COMMAND, IDOK, 0);
    };
    g_steps = {[&] {
                   held = !IsWindowEnabled(window.Window());
                   focusKept = GetFocus() && GetAncestor(GetFocus(), GA_ROOT) == window.Window();
                   Choose(window, Id::menuApply);  // nested: would start a second copy
                   PostMessageW(window.Window(), WM_CLOSE, 0, 0);
               },
               answer};
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, &testing::RunNextStep);
    SendMessageW(window.Control(Id::addToMenuBox), BM_CLICK, 0, 0);
    Choose(window, Id::menuApply);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(held) << "the window took input while the second copy ran";
    EXPECT_FALSE(focusKept) << "a key would still reach Apply";
    EXPECT_TRUE(EntryPresent());
    EXPECT_EQ(outcomes, std::vector<std::wstring>{L"已经添加到右键菜单"}) << "one copy, one box";
    EXPECT_EQ(boxes.shown, 1) << "a box was shown that nobody could see";
    EXPECT_FALSE(window.IsLoaded()) << "the close came during the wait and is done after the box";
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "no window is left";
}

TEST_F(OptionsWindowTest, EveryMenuItemReachesTheHandlerOfItsName) {
    form.Show();
    Choose(form, Id::menuHomePage);
    ASSERT_EQ(sys.launcher.opened.size(), 1u);
    EXPECT_EQ(sys.launcher.opened[0].first, product::kHomePage);
    EXPECT_EQ(sys.launcher.opened[0].second, 0) << "show command 0, as the shell is asked";
    EXPECT_NE(sys.launcher.owners[0], 0u) << "the main window is the owner";

    // The receiver script goes on the clipboard exactly as the repository keeps it, CRLF and all.
    Choose(form, Id::menuCopyScript);
    EXPECT_EQ(sys.ui.Texts().back(), std::wstring(product::text::kScriptPut));
    std::string put;
    if (OpenClipboard(nullptr)) {
        if (const HANDLE text = GetClipboardData(CF_TEXT)) put = static_cast<const char*>(GlobalLock(text));
        CloseClipboard();
    }
    std::ifstream file(std::filesystem::path(QB_SCRIPT), std::ios::binary);
    EXPECT_EQ(put, std::string(std::istreambuf_iterator<char>(file), {}));
    EXPECT_NE(put.find("\r\n& {\r\n"), std::string::npos);

    Choose(form, Id::menuAbout);
    Choose(form, Id::menuAbout);
    EXPECT_EQ(std::ranges::count(ThreadWindows(nullptr), L"关于 Quillbox", &WindowText), 1)
        << "one About box, shown again rather than twice";
    EXPECT_TRUE(IsWindowEnabled(form.Window())) << "the About box is modeless";

    // Exit ends the process at once: the end reaches whoever runs the loop.
    Choose(form, Id::menuExit);
    EXPECT_THROW(host.RethrowFailure(), testing::FakeProcess::Exited);
    SendMessageW(form.Control(Id::exitButton), BM_CLICK, 0, 0);
    EXPECT_THROW(host.RethrowFailure(), testing::FakeProcess::Exited);
    EXPECT_NO_THROW(host.RethrowFailure());

    std::wstring guide;
    g_steps = {[&] {
        wchar_t text[64] = {};
        GetWindowTextW(GetForegroundWindow(), text, 64);
        guide = text;
        PostMessageW(GetForegroundWindow(), WM_CLOSE, 0, 0);
    }};
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, &testing::RunNextStep);
    Choose(form, Id::menuGuide);
    KillTimer(nullptr, timer);
    EXPECT_EQ(guide, L"Quillbox 使用指南");
    EXPECT_TRUE(IsWindowEnabled(form.Window()));
}

TEST_F(OptionsWindowTest, ClosingTheWindowLeavesTheProgramRunningWhileTheAboutBoxIsOpen) {
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

// Keys as the keyboard sends them to the focused window, through the loop that gives a form its
// dialog keys: pressed in turn, released in reverse.
void PressTogether(std::initializer_list<WORD> keys) {
    std::vector<WORD> order(keys);
    order.insert(order.end(), std::rbegin(keys), std::rend(keys));
    std::vector<INPUT> input(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wVk = order[i];
        input[i].ki.dwFlags = i < keys.size() ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

TEST_F(OptionsWindowTest, AnAccessKeyThatReachesNothing) {
    form.Show();
    g_steps = {[] { PressTogether({VK_MENU, 'F'}); PressTogether({'A'}); },
               [] { PressTogether({VK_MENU, 'X'}); },
               [] { PostQuitMessage(0); }};
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, &testing::RunNextStep);
    EXPECT_THROW(RunMessageLoop(host), testing::FakeProcess::Exited) << "Alt+X is Exit";
    KillTimer(nullptr, timer);
    EXPECT_EQ(sys.ui.Texts(), std::vector<std::wstring>{L"删除注册表失败"}) << "Alt+F, A is File, Apply";
}

// A path must take the encoding road alone; no path, however quoted, launches the home page
// without taking the focus and then runs the options window until it is closed.
TEST_F(OptionsWindowTest, RoadChoiceFollowsTheCommandLine) {
    EXPECT_EQ(app::Main(L"Quillbox.exe Z:\\no\\such\\file.bin", p), product::kOpenFailed);
    EXPECT_EQ(sys.ui.Texts(), std::vector<std::wstring>{L"文件打开失败"});
    EXPECT_TRUE(sys.launcher.launched.empty());

    const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        for (HWND w : ThreadWindows(nullptr))
            if (WindowText(w) == product::kTitle) PostMessageW(w, WM_CLOSE, 0, 0);
    });
    for (const std::wstring line :
         {L"Quillbox.exe", L"\"C:\\x y\\Quillbox.exe\"  ", L"Quillbox.exe \"\"\""})
        EXPECT_EQ(app::Main(line, p), product::kDelivered) << line;
    KillTimer(nullptr, timer);
    // By its full path: a bare name would find an explorer.exe in the program's folder first.
    const testing::FakeLauncher::Call home{
        L"\"C:\\windows\\explorer.exe\" " + std::wstring(product::kHomePage), SW_SHOWNOACTIVATE};
    EXPECT_EQ(sys.launcher.launched, std::vector(3, home));
    EXPECT_EQ(sys.ui.shown.size(), 1u) << "the set-up road reports nothing";
}

}  // namespace
}  // namespace qb::windows
