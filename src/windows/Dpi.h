#pragma once
// DPI for windows on every Windows from 7 SP1 on. The per-monitor functions arrived in Windows 8.1
// and 10 1607, so each is looked up at run time, with a stand-in where it is missing; importing
// any of them would stop the program from starting at all on older systems.

#include <windows.h>

namespace qb::windows::dpi {

// The DPI the system scales for: GetDpiForSystem, else the screen's LOGPIXELSY.
unsigned ForSystem();

// The DPI of the window's monitor: GetDpiForWindow (10 1607), else GetDpiForMonitor from shcore
// (8.1), else the system's.
unsigned ForWindow(HWND window);

// GetSystemMetricsForDpi, else the system-DPI metric scaled to `dpi`.
int SystemMetric(int index, unsigned dpi);

// AdjustWindowRectExForDpi, else AdjustWindowRectEx, which frames for the system DPI.
bool AdjustWindowRect(RECT& rect, DWORD style, bool menu, DWORD exStyle, unsigned dpi);

// Makes every look-up above answer "missing", so tests can run the stand-ins on a new system.
void UseFallbacksOnly(bool on);

}  // namespace qb::windows::dpi
