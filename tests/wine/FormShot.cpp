// Not a test: opens one form (or the progress window), writes its window rectangle as WxH+X+Y to a file so a script can
// grab that part of the screen, and keeps the form open for the given number of milliseconds.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string_view>
#include <thread>

#include "platform/win32/Win32Platform.h"
#include "product/AppInfo.h"
#include "windows/AboutBox.h"
#include "windows/OptionsWindow.h"
#include "windows/UsageGuide.h"

namespace {

void WriteRect(HWND window, const wchar_t* file) {
    RECT r;
    GetWindowRect(window, &r);
    if (FILE* out = _wfopen(file, L"w")) {
        std::fprintf(out, "%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
        std::fclose(out);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fwprintf(stderr, L"usage: qbformshot about|guide|main|progress RECT_FILE MILLISECONDS\n");
        return 2;
    }
    qb::platform::win32::Win32Platform system(qb::product::kTitle);
    auto platform = system.Get();
    if (std::wstring_view(argv[1]) == L"progress") {
        // A job 12 MB into a 28 MB file, standing still until the time is up.
        qb::platform::JobProgress progress(30'000'000);
        progress.Add(12'600'000);
        std::thread closer([&] {
            HWND window = nullptr;
            for (int i = 0; i < 200 && !(window = FindWindowW(L"#32770", L"Quillbox")); ++i) Sleep(25);
            Sleep(300);  // a task dialog sizes itself to its texts after it is created
            WriteRect(window, argv[2]);
            Sleep(static_cast<DWORD>(_wtoi(argv[3])));
            progress.Finish();
        });
        system.ui.ShowProgress(L"正在转换 照片备份.zip", progress);
        closer.join();
        return 0;
    }
    qb::windows::FormHost host(GetModuleHandleW(nullptr));
    std::unique_ptr<qb::windows::Form> form;
    const std::wstring_view which = argv[1];
    if (which == L"main") {
        form = std::make_unique<qb::windows::OptionsWindow>(host, platform);
    } else if (which == L"about") {
        form = std::make_unique<qb::windows::AboutBox>(host, system.launcher);
    } else {
        form = std::make_unique<qb::windows::UsageGuide>(host);
    }
    form->Show();
    UpdateWindow(form->Window());

    WriteRect(form->Window(), argv[2]);
    SetTimer(nullptr, 0, static_cast<UINT>(_wtoi(argv[3])),
             [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); });
    return qb::windows::RunMessageLoop(host);
}
