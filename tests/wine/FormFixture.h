#pragma once
// Forms in-process over real windows: one program's host, the platform its forms run on, a thread
// that each test finds as if nothing had run before it, and the windows the thread shows.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/Platform.h"
#include "Driver.h"
#include "Steps.h"
#include "TestPlatform.h"
#include "windows/MessageLoop.h"

namespace qb::testing {

// The thread's visible windows of one window class, or of any class for null.
inline std::vector<HWND> ThreadWindows(const wchar_t* className) {
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
            if (IsWindowVisible(w) && (!s->className || lstrcmpW(name, s->className) == 0))
                s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class FormTest : public ::testing::Test {
protected:
    // The quit a host posts when its last form goes, or a step never reached, would end or drive
    // the next test's loop.
    void SetUp() override { Drain(); }
    void TearDown() override { Drain(); }
    static void Drain() {
        g_steps.clear();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT) DispatchMessageW(&msg);
        }
    }

    Win32System sys;
    platform::Platform p = sys.Get();
    windows::FormHost host{GetModuleHandleW(nullptr)};
};

}  // namespace qb::testing
