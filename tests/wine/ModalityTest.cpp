// A box over the options window must hold off the whole program until it is answered. Pressed
// with real input: under Wine, BM_CLICK and a posted WM_COMMAND reach a disabled window's controls
// anyway, so only the mouse shows what a user could do.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

#include "app/MainModule.h"
#include "platform/win32/Win32Platform.h"
#include "product/AppInfo.h"
#include "Recorders.h"
#include "Steps.h"

namespace {

using qb::testing::g_steps;
using qb::testing::RunNextStep;

std::vector<HWND> ThreadWindows(const wchar_t* className) {
    struct Search {
        const wchar_t* className;
        std::vector<HWND> found;
    } search{className, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) {
            auto* s = reinterpret_cast<Search*>(p);
            wchar_t name[64] = {};
            GetClassNameW(w, name, 64);
            if (IsWindowVisible(w) && (s->className == nullptr) != (lstrcmpW(name, s->className) == 0))
                s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

POINT Centre(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void MouseClick(POINT at) {
    const int w = GetSystemMetrics(SM_CXSCREEN) - 1, h = GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT input[3] = {};
    for (auto& i : input) {
        i.type = INPUT_MOUSE;
        i.mi.dx = MulDiv(at.x, 65535, w);
        i.mi.dy = MulDiv(at.y, 65535, h);
        i.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    input[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    SendInput(3, input, sizeof(INPUT));
}

class KeepRunning : public qb::platform::Process {
public:
    qb::platform::ProgramLocation Location() override { return {L"C:\\Tools", L"Quillbox"}; }
    bool IsElevated() override { return true; }
    [[noreturn]] void ExitNow(int) override { std::abort(); }
};

TEST(Modality, ApplysBoxDisablesTheProgramSoASecondApplyDoesNothing) {
    qb::platform::win32::Win32Platform system(qb::product::kTitle);
    qb::testing::FakeLauncher launcher;
    KeepRunning process;
    qb::platform::Platform p{system.ui, system.files, system.clipboard, launcher, system.registry, process};

    HWND main = nullptr, apply = nullptr;
    std::vector<HWND> boxesAtFirst, boxesAfterSecondClick, boxesAtEnd;
    bool enabledUnderBox = true, enabledAfterBox = false;
    g_steps = {
        [&] {
            const auto windows = ThreadWindows(nullptr);
            ASSERT_EQ(windows.size(), 1u);
            main = windows[0];
            MouseClick(Centre(FindWindowExW(main, nullptr, L"Button", L"添加到文件的右键菜单")));
        },
        [&] {
            apply = FindWindowExW(main, nullptr, L"Button", L"应用(&A)");
            ASSERT_TRUE(IsWindowEnabled(apply)) << "the check box was not clicked";
            MouseClick(Centre(apply));
        },
        [&] {
            boxesAtFirst = ThreadWindows(L"#32770");
            enabledUnderBox = IsWindowEnabled(main);
            // Out of the way, so the second click lands on Apply and not on the box.
            for (HWND box : boxesAtFirst) SetWindowPos(box, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            MouseClick(Centre(apply));
        },
        [&] {
            boxesAfterSecondClick = ThreadWindows(L"#32770");
            for (HWND box : boxesAfterSecondClick) PostMessageW(box, WM_COMMAND, IDOK, 0);
        },
        [&] {
            enabledAfterBox = IsWindowEnabled(main);
            boxesAtEnd = ThreadWindows(L"#32770");
            for (HWND box : boxesAtEnd) PostMessageW(box, WM_COMMAND, IDOK, 0);
        },
        [&] { PostMessageW(main, WM_CLOSE, 0, 0); },
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 250, RunNextStep);
    EXPECT_EQ(qb::app::Main(L"Quillbox.exe", p), 0);
    KillTimer(nullptr, timer);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "*\\Shell\\Quillbox(&U)\\Command");
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "*\\Shell\\Quillbox(&U)");

    EXPECT_TRUE(g_steps.empty()) << "the program ended before every step ran";
    ASSERT_EQ(boxesAtFirst.size(), 1u) << "Apply showed no box";
    EXPECT_FALSE(enabledUnderBox) << "the options window takes input under Apply's box";
    EXPECT_EQ(boxesAfterSecondClick.size(), 1u) << "a second Apply ran under the first one's box";
    EXPECT_TRUE(enabledAfterBox);
    EXPECT_TRUE(boxesAtEnd.empty());
}

}  // namespace
