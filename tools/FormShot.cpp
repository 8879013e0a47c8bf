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
#include "encode/PartSources.h"
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
    qb::encode::PartsToShow shown{L"照片备份.zip", 4'000, std::make_unique<qb::encode::PartsInMemory>(std::move(parts))};
    // The receiving window as it stands with three of fifteen parts in.
    qb::restore::Gathering receiving;
    receiving.receiver = std::make_unique<qb::relay::Receiver>(
        qb::uue::PartMarker{0, 15, 15 * 450, {}, std::nullopt}, L"照片备份.zip");
    for (const std::uint32_t k : {1u, 3u, 4u}) receiving.receiver->Keep(k, 450);
    receiving.receiver->Took({{4}, 0, 0, 0, {}});
    receiving.store = std::make_unique<qb::restore::PartStore>(platform, *receiving.receiver);
    const std::wstring_view which = argv[1];
    if (which == L"main") {
        form = std::make_unique<qb::windows::OptionsWindow>(host, platform);
    } else if (which == L"sending") {
        form = std::make_unique<qb::windows::PartsWindow>(host, platform, shown);
    } else if (which == L"receiving") {
        form = std::make_unique<qb::windows::ReceivingWindow>(host, platform, receiving);
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
