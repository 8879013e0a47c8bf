#pragma once
// Forms in-process over real windows: one program's host, the platform its forms run on, and a
// thread that each test finds as if nothing had run before it.

#include <gtest/gtest.h>

#include <windows.h>

#include "platform/Platform.h"
#include "Steps.h"
#include "TestPlatform.h"
#include "windows/MessageLoop.h"

namespace qb::testing {

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
