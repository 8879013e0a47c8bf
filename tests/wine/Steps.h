#pragma once
// Steps run one per timer tick inside whatever message loop is running, modal ones included, so a
// test can act while a window or a message box holds the thread.

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

namespace qb::testing {

inline std::vector<std::function<void()>> g_steps;

inline void CALLBACK RunNextStep(HWND, UINT, UINT_PTR, DWORD) {
    if (g_steps.empty()) return;
    auto step = std::move(g_steps.front());
    g_steps.erase(g_steps.begin());
    step();
}

}  // namespace qb::testing
