#include "windows/PartsWindow.h"

#include <commctrl.h>

#include <cstring>

#include "platform/Failure.h"
#include "platform/FileNames.h"
#include "product/Numbers.h"
#include "product/Texts.h"
#include "windows/MessageLoop.h"
#include "windows/ReceiverScript.h"

namespace qb::windows {

using namespace product::text;

PartsWindow::PartsWindow(FormHost& host, platform::Platform& platform, encode::PartsToShow& shown)
    : FormOf(host, parts_window::kDesign), platform_(platform), shown_(shown),
      sender_(shown.parts->Count(), shown.parts->Sha256()) {}

void PartsWindow::Load() {
    const std::wstring count = product::GroupedDigits(sender_.Count());
    SetText(Id::summary, (shown_.sideFile.empty()
                              ? platform::ShownName(shown_.name) + std::wstring(kPartsSummaryBefore) + count +
                                    std::wstring(kPartsSummaryMiddle)
                              : std::wstring(kSideFilePartsBefore) + platform::ShownName(shown_.sideFile) +
                                    std::wstring(kSideFilePartsMiddle) + count + std::wstring(kSideFilePartsAfter)) +
                             product::GroupedDigits(shown_.limit) + std::wstring(kPartsSummaryAfter));
    SendMessageW(Control(Id::bar), PBM_SETRANGE32, 0, static_cast<LPARAM>(sender_.Count()));
    // Listening first: the other end may answer part 1 at once.
    try {
        listener_ = std::make_unique<ClipboardListener>(Window());
    } catch (const platform::Error&) {
        // No relay where the system cannot tell the window: the buttons still work.
    }
    Put(sender_.Opened());
}

void PartsWindow::Put(std::uint32_t part) {
    if (part) {
        try {
            const std::string text = shown_.parts->Text(part);
            // Kept out of the clipboard history, which would otherwise fill with parts.
            auto target = platform_.clipboard.Text(text.size(), true);
            std::memcpy(target->Bytes().data(), text.data(), text.size());
            target->Open([] { return false; });
            target->Commit();
            const std::wstring put = platform::FromAnsi(text);
            changes_.Put({put.begin(), put.end()});
            sender_.Put(part);
        } catch (const platform::Error& e) {
            sender_.PutFailed(platform::FailureReport(kCannotSetClipboard, e));
        }
    }
    Render();
}

void PartsWindow::Render() {
    SetEnabled(Id::previousButton, sender_.CanGoBack());
    SetEnabled(Id::nextButton, sender_.CanGoOn());
    SetEnabled(Id::againButton, sender_.CanPutAgain());
    const bool allIn = sender_.CurrentState() == relay::Sender::State::kAllIn;
    SendMessageW(Control(Id::bar), PBM_SETPOS, allIn ? sender_.Count() : sender_.Current(), 0);
    SetText(Id::state, sender_.Line());
}

void PartsWindow::Click(Id id) {
    using Button = relay::Sender::Button;
    switch (id) {
    case Id::againButton: Put(sender_.Pressed(Button::kAgain)); break;
    case Id::previousButton: Put(sender_.Pressed(Button::kPrevious)); break;
    case Id::nextButton: Put(sender_.Pressed(Button::kNext)); break;
    case Id::closeButton:
        if (MayClose()) Unload();
        break;
    case Id::scriptButton:
        PutReceiverScript(platform_, platform::style::kTaskModal, [this](std::u16string script) {
            changes_.Put(std::move(script));
            sender_.ScriptPut();
            Render();
        });
        break;
    case Id::summary: case Id::state: case Id::bar: case Id::otherEnd: break;
    }
}

void PartsWindow::ClipboardChanged() {
    if (!changes_.Unread(platform_.clipboard.Sequence())) return;
    std::uint32_t part = 0;
    bool heard = false;
    try {
        platform_.clipboard.ReadText([&](std::u16string_view text) {
            if (changes_.Ours(text)) return;
            heard = true;
            part = sender_.Heard(text);
        });
    } catch (const platform::Error&) {
        return;  // held by another program too long: its answer comes again with the next text
    }
    if (heard) Put(part);
}

bool PartsWindow::MayClose() {
    if (!sender_.AskBeforeClosing()) return true;
    namespace st = platform::style;
    return platform_.ui.Message(kCloseEarly, st::kYesNo | st::kDefaultSecond | st::kTaskModal) == platform::kAnswerYes;
}

int RunPartsWindow(platform::Platform& platform, encode::PartsToShow& shown) {
    FormHost host(GetModuleHandleW(nullptr));
    PartsWindow window(host, platform, shown);
    window.ShowWithoutFocus();
    RunMessageLoop(host);
    return window.ExitCode();
}

}  // namespace qb::windows
