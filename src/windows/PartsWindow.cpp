#include "windows/PartsWindow.h"

#include <commctrl.h>

#include <cstring>

#include "platform/Failure.h"
#include "platform/FileNames.h"
#include "platform/Numbers.h"
#include "product/Texts.h"
#include "windows/MessageLoop.h"

namespace qb::windows {

using namespace product::text;

PartsWindow::PartsWindow(FormHost& host, platform::Platform& platform, std::wstring name,
                         std::uint64_t limit, platform::PartsToShow& parts)
    : FormOf(host, parts_window::kDesign), platform_(platform), name_(std::move(name)),
      limit_(limit), parts_(parts) {}

void PartsWindow::Load() {
    const std::wstring limit = platform::GroupedDigits(limit_);
    SetText(Id::summary, platform::ShownName(name_) + std::wstring(kPartsSummaryBefore) +
                             std::to_wstring(parts_.Count()) + std::wstring(kPartsSummaryMiddle) + limit +
                             std::wstring(kPartsSummaryAfter));
    SendMessageW(Control(Id::bar), PBM_SETRANGE32, 0, static_cast<LPARAM>(parts_.Count()));
    Put(1);
}

void PartsWindow::Put(std::uint32_t part) {
    current_ = part;
    const std::uint32_t count = parts_.Count();
    SetEnabled(Id::previousButton, part > 1);
    SetEnabled(Id::nextButton, part < count);
    SendMessageW(Control(Id::bar), PBM_SETPOS, part, 0);
    try {
        const std::string text = parts_.Text(part);
        // Kept out of the clipboard history, which would otherwise fill with parts.
        auto target = platform_.clipboard.Text(text.size(), true);
        std::memcpy(target->Bytes().data(), text.data(), text.size());
        target->Open([] { return false; });
        target->Commit();
    } catch (const platform::Error& e) {
        SetText(Id::state, platform::FailureReport(kCannotSetClipboard, e));
        return;
    }
    lastPut_ = lastPut_ || part == count;
    SetText(Id::state, std::wstring(kPartPutBefore) + std::to_wstring(part) +
                           std::wstring(part == count ? kLastPartPutAfter : kPartPutAfter));
}

void PartsWindow::Click(Id id) {
    switch (id) {
    case Id::previousButton:
        if (current_ > 1) Put(current_ - 1);
        break;
    case Id::nextButton:
        if (current_ < parts_.Count()) Put(current_ + 1);
        break;
    case Id::closeButton: Unload(); break;
    case Id::summary: case Id::state: case Id::bar: break;
    }
}

bool RunPartsWindow(platform::Platform& platform, std::wstring_view name, std::uint64_t limit,
                    platform::PartsToShow& parts) {
    FormHost host(GetModuleHandleW(nullptr));
    PartsWindow window(host, platform, std::wstring(name), limit, parts);
    window.ShowWithoutFocus();
    RunMessageLoop(host);
    return window.LastPut();
}

}  // namespace qb::windows
