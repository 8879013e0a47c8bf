#include <windows.h>

#include <exception>

#include "app/MainModule.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Win32Platform.h"
#include "product/AppInfo.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    qb::platform::win32::RestrictDllSearch();
    // Main reports everything itself; this catches what fails before it can run.
    try {
        qb::platform::win32::Win32Platform system(qb::product::kTitle);
        auto platform = system.Get();
        return qb::app::Main(GetCommandLineW(), platform);
    } catch (...) {
        qb::platform::win32::Win32Ui ui(qb::product::kTitle);
        return qb::app::ReportUnexpected(ui, std::current_exception());
    }
}
