#include <windows.h>

#include "pipeline/MainModule.h"
#include "platform/win32/Win32Platform.h"
#include "windows/MainForm.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    qb::platform::win32::Win32Platform system;
    auto platform = system.Get();
    return qb::pipeline::Main(GetCommandLineW(), platform, &qb::windows::RunSetupRoad);
}
