#include "windows/Dpi.h"

#include <atomic>
#include <string>

namespace qb::windows::dpi {

namespace {

std::atomic<bool> g_fallbacksOnly{false};

// MONITOR_DPI_TYPE's effective DPI, from shellscalingapi.h (8.1 and later).
constexpr int kMdtEffectiveDpi = 0;

FARPROC Find(HMODULE module, const char* name) {
    if (g_fallbacksOnly.load(std::memory_order_relaxed) || !module) return nullptr;
    return GetProcAddress(module, name);
}

template <class F>
F Function(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(Find(module, name)));
}

HMODULE User32() {
    static const HMODULE module = GetModuleHandleW(L"user32.dll");
    return module;
}

// Loaded by full path from the system folder, so no planted shcore.dll beside the program loads.
HMODULE Shcore() {
    static const HMODULE module = [] {
        wchar_t dir[MAX_PATH];
        const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return HMODULE{};
        return LoadLibraryW((std::wstring(dir, n) + L"\\shcore.dll").c_str());
    }();
    return module;
}

}  // namespace

void UseFallbacksOnly(bool on) { g_fallbacksOnly.store(on, std::memory_order_relaxed); }

unsigned ForSystem() {
    using GetDpiForSystemFn = UINT(WINAPI*)();
    if (const auto get = Function<GetDpiForSystemFn>(User32(), "GetDpiForSystem")) return get();
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<unsigned>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

unsigned ForWindow(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    if (const auto get = Function<GetDpiForWindowFn>(User32(), "GetDpiForWindow")) {
        if (const UINT dpi = get(window)) return dpi;
    }
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    if (const auto get = Function<GetDpiForMonitorFn>(Shcore(), "GetDpiForMonitor")) {
        UINT x = 0, y = 0;
        const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        if (SUCCEEDED(get(monitor, kMdtEffectiveDpi, &x, &y)) && y) return y;
    }
    return ForSystem();
}

int SystemMetric(int index, unsigned dpi) {
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    if (const auto get = Function<GetSystemMetricsForDpiFn>(User32(), "GetSystemMetricsForDpi"))
        return get(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(ForSystem()));
}

bool AdjustWindowRect(RECT& rect, DWORD style, bool menu, DWORD exStyle, unsigned dpi) {
    using AdjustFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    if (const auto adjust = Function<AdjustFn>(User32(), "AdjustWindowRectExForDpi"))
        return adjust(&rect, style, menu, exStyle, dpi);
    return AdjustWindowRectEx(&rect, style, menu, exStyle);
}

}  // namespace qb::windows::dpi
