#include <windows.h>

#include "app/MainModule.h"
#include "platform/win32/Win32Platform.h"
#include "product/AppInfo.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    qb::platform::win32::Win32Platform system(qb::product::kTitle);
    auto platform = system.Get();
    return qb::app::Main(GetCommandLineW(), platform);
}
