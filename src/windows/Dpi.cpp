#include "windows/Dpi.h"

#include <string>

#include "platform/win32/SystemLibrary.h"

namespace qb::windows::dpi {

namespace {

// MONITOR_DPI_TYPE's effective DPI, from shellscalingapi.h (8.1 and later).
constexpr int kMdtEffectiveDpi = 0;

template <class F>
F Function(HMODULE module, const char* name, Functions use) {
    return use == Functions::kStandInsOnly ? nullptr : platform::win32::FindFunction<F>(module, name);
}

HMODULE User32() {
    static const HMODULE module = GetModuleHandleW(L"user32.dll");
    return module;
}

HMODULE Shcore() {
    static const HMODULE module = platform::win32::LoadSystemLibrary(L"shcore.dll");
    return module;
}

}  // namespace

unsigned ForSystem(Functions use) {
    using GetDpiForSystemFn = UINT(WINAPI*)();
    if (const auto get = Function<GetDpiForSystemFn>(User32(), "GetDpiForSystem", use)) return get();
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<unsigned>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

unsigned ForWindow(HWND window, Functions use) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    if (const auto get = Function<GetDpiForWindowFn>(User32(), "GetDpiForWindow", use)) {
        if (const UINT dpi = get(window)) return dpi;
    }
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    if (const auto get = Function<GetDpiForMonitorFn>(Shcore(), "GetDpiForMonitor", use)) {
        UINT x = 0, y = 0;
        const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        if (SUCCEEDED(get(monitor, kMdtEffectiveDpi, &x, &y)) && y) return y;
    }
    return ForSystem(use);
}

int SystemMetric(int index, unsigned dpi, Functions use) {
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    if (const auto get = Function<GetSystemMetricsForDpiFn>(User32(), "GetSystemMetricsForDpi", use))
        return get(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(ForSystem(use)));
}

bool AdjustWindowRect(RECT& rect, DWORD style, bool menu, DWORD exStyle, unsigned dpi,
                      Functions use) {
    using AdjustFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    if (const auto adjust = Function<AdjustFn>(User32(), "AdjustWindowRectExForDpi", use))
        return adjust(&rect, style, menu, exStyle, dpi);
    return AdjustWindowRectEx(&rect, style, menu, exStyle);
}

}  // namespace qb::windows::dpi
