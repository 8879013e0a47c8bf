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
      limit_(limit), parts_(parts), relay_(parts.Count(), parts.Sha256()) {}

void PartsWindow::Load() {
    const std::wstring limit = platform::GroupedDigits(limit_);
    SetText(Id::summary, platform::ShownName(name_) + std::wstring(kPartsSummaryBefore) +
                             platform::GroupedDigits(parts_.Count()) + std::wstring(kPartsSummaryMiddle) + limit +
                             std::wstring(kPartsSummaryAfter));
    SendMessageW(Control(Id::bar), PBM_SETRANGE32, 0, static_cast<LPARAM>(parts_.Count()));
    // Listening first: the other end may answer part 1 at once.
    try {
        listener_ = std::make_unique<ClipboardListener>(Window());
    } catch (const platform::Error&) {
        // No relay where the system cannot tell the window: the buttons still work.
    }
    Put(1);
}

bool PartsWindow::Put(std::uint32_t part) {
    current_ = part;
    const std::uint32_t count = parts_.Count();
    SetEnabled(Id::previousButton, !allIn_ && part > 1);
    SetEnabled(Id::nextButton, !allIn_ && part < count);
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
        return false;
    }
    lastPut_ = lastPut_ || part == count;
    SetText(Id::state, std::wstring(kPartPutBefore) + std::to_wstring(part) +
                           std::wstring(part == count ? kLastPartPutAfter : kPartPutAfter));
    return true;
}

void PartsWindow::Click(Id id) {
    switch (id) {
    case Id::againButton: Put(current_); break;
    case Id::previousButton:
        if (current_ > 1) Put(current_ - 1);
        break;
    case Id::nextButton:
        if (current_ < parts_.Count()) Put(current_ + 1);
        break;
    case Id::closeButton: Unload(); return;
    case Id::summary: case Id::state: case Id::bar: return;
    }
    relay_.ByHand();
}

void PartsWindow::ClipboardChanged() {
    // Every change but one already read is looked at, our own parts too (in place, nothing copied;
    // a part is never an answer): the number read just after our own change may already be the
    // other end's answer, and passing over it would stop the relay.
    const std::uint32_t sequence = platform_.clipboard.Sequence();
    if (sequence == read_ || allIn_) return;
    read_ = sequence;
    encode::Relay::Reaction heard;
    try {
        platform_.clipboard.ReadText([&](std::u16string_view text) { heard = relay_.Heard(text); });
    } catch (const platform::Error&) {
        return;  // held by another program too long: its answer comes again with the next text
    }
    using Kind = encode::Relay::Reaction::Kind;
    const std::wstring part = std::to_wstring(heard.part);
    switch (heard.kind) {
    case Kind::kNone: return;
    case Kind::kPut:
        if (Put(heard.part))
            SetText(Id::state, std::wstring(kRelayedBefore) + std::to_wstring(heard.received) +
                                   std::wstring(kRelayedMiddle) + part + std::wstring(kRelayedAfter));
        return;
    case Kind::kAllIn:
        allIn_ = lastPut_ = true;
        SetEnabled(Id::previousButton, false);
        SetEnabled(Id::nextButton, false);
        SendMessageW(Control(Id::bar), PBM_SETPOS, parts_.Count(), 0);
        SetText(Id::state, std::wstring(kAllReceivedBefore) + platform::GroupedDigits(parts_.Count()) +
                               std::wstring(kAllReceivedAfter));
        return;
    case Kind::kStalled:
        SetText(Id::state, std::wstring(kNotReceivedBefore) + part + std::wstring(kNotReceivedAfter));
        return;
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
