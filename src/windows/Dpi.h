#pragma once
// DPI for windows on every Windows from 7 SP1 on. The per-monitor functions arrived in Windows 8.1
// and 10 1607, so each is looked up at run time, with a stand-in where it is missing; importing
// any of them would stop the program from starting at all on older systems.

#include <windows.h>

namespace qb::windows::dpi {

// Which functions to look for: the newest the system has, or only the stand-ins (as on Windows 7),
// which tests ask for to compare the two on one system.
enum class Functions { kNewest, kStandInsOnly };

// The DPI the system scales for: GetDpiForSystem, else the screen's LOGPIXELSY.
unsigned ForSystem(Functions use = Functions::kNewest);

// The DPI of the window's monitor: GetDpiForWindow (10 1607), else GetDpiForMonitor from shcore
// (8.1), else the system's.
unsigned ForWindow(HWND window, Functions use = Functions::kNewest);

// GetSystemMetricsForDpi, else the system-DPI metric scaled to `dpi`.
int SystemMetric(int index, unsigned dpi, Functions use = Functions::kNewest);

// AdjustWindowRectExForDpi, else AdjustWindowRectEx, which frames for the system DPI.
bool AdjustWindowRect(RECT& rect, DWORD style, bool menu, DWORD exStyle, unsigned dpi,
                      Functions use = Functions::kNewest);

}  // namespace qb::windows::dpi
