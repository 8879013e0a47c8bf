// Not a test: opens one form, writes its window rectangle as WxH+X+Y to a file so a script can
// grab that part of the screen, and keeps the form open for the given number of milliseconds.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/win32/Win32Platform.h"
#include "product/AppInfo.h"
#include "windows/AboutBox.h"
#include "windows/OptionsWindow.h"
#include "windows/PartSettings.h"
#include "windows/PartsWindow.h"
#include "windows/ReceivingWindow.h"
#include "encode/Parts.h"
#include "windows/UsageGuide.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fwprintf(stderr, L"usage: qbformshot about|guide|main|parts|sending|receiving RECT_FILE MILLISECONDS\n");
        return 2;
    }
    qb::platform::win32::Win32Platform system(qb::product::kTitle);
    auto platform = system.Get();
    qb::windows::FormHost host(GetModuleHandleW(nullptr));
    std::unique_ptr<qb::windows::Form> form;
    // The parts window over a made-up file of 60,000 bytes in 4,000-character parts.
    auto layout = qb::encode::LayOutParts(60'000, L"照片备份.zip", 4'000);
    qb::encode::PartsInMemory parts(*layout, std::vector<std::uint8_t>(60'000, 7));
    // The receiving window as it stands with three of fifteen parts in, one damaged on the way.
    struct Receiving : qb::platform::PartsToReceive {
        std::uint32_t Count() const override { return 15; }
        std::uint32_t Kept() const override { return 3; }
        std::wstring Heading() const override { return L"正在接收 照片备份.zip（共 15 段）"; }
        std::wstring Progress() const override {
            return L"已收到 3 段，还缺第 2、5、6、7、8、9、10、11、12、13 等 12 段";
        }
        std::wstring State() const override { return L"第 2 段已损坏（第 57 行），请重新复制这一段。"; }
        bool ClipboardChanged() override { return false; }
    } receiving;
    const std::wstring_view which = argv[1];
    if (which == L"main") {
        form = std::make_unique<qb::windows::OptionsWindow>(host, platform);
    } else if (which == L"sending") {
        form = std::make_unique<qb::windows::PartsWindow>(host, platform, L"照片备份.zip", 4'000, parts);
    } else if (which == L"receiving") {
        form = std::make_unique<qb::windows::ReceivingWindow>(host, receiving);
    } else if (which == L"parts") {
        form = std::make_unique<qb::windows::PartSettings>(host, platform);
    } else if (which == L"about") {
        form = std::make_unique<qb::windows::AboutBox>(host, system.launcher);
    } else {
        form = std::make_unique<qb::windows::UsageGuide>(host);
    }
    form->Show();
    UpdateWindow(form->Window());

    RECT r;
    GetWindowRect(form->Window(), &r);
    if (FILE* out = _wfopen(argv[2], L"w")) {
        std::fprintf(out, "%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
        std::fclose(out);
    }
    SetTimer(nullptr, 0, static_cast<UINT>(_wtoi(argv[3])),
             [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); });
    return qb::windows::RunMessageLoop(host);
}
