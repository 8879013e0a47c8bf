#include "windows/ReceivingWindow.h"

#include <commctrl.h>

#include "platform/Failure.h"
#include "product/ExitCodes.h"
#include "product/Numbers.h"
#include "product/RestoreTexts.h"
#include "product/Texts.h"

namespace qb::windows {

using namespace product::text;
using State = relay::Receiver::State;

ReceivingWindow::ReceivingWindow(FormHost& host, platform::Platform& platform, restore::Gathering& gathering)
    : FormOf(host, receiving_window::kDesign), platform_(platform), gathering_(gathering) {}

ReceivingWindow::~ReceivingWindow() { Stop(); }

void ReceivingWindow::Load() {
    SetText(Id::heading, gathering_.receiver->Heading());
    SendMessageW(Control(Id::bar), PBM_SETRANGE32, 0, static_cast<LPARAM>(gathering_.receiver->Set().count));
    const bool allIn = gathering_.receiver->CurrentState() == State::kAllIn;
    ShowWindow(Control(Id::saveButton), allIn ? SW_SHOW : SW_HIDE);
    Carry(std::exchange(gathering_.first, {}));
    if (allIn) return;  // back after Save As: nothing more is to come
    listener_ = std::make_unique<ClipboardListener>(Window());
    // The answer to the first text went out before this window listened: whatever the other end
    // put since is read once the window shows.
    PostMessageW(Window(), WM_CLIPBOARDUPDATE, 0, 0);
}

void ReceivingWindow::Render() {
    const relay::Receiver& receiver = *gathering_.receiver;
    SendMessageW(Control(Id::bar), PBM_SETRANGE32, 0, static_cast<LPARAM>(receiver.Set().count));
    SetText(Id::progress, receiver.Counts());
    SetText(Id::state, receiver.Line());
    SendMessageW(Control(Id::bar), PBM_SETPOS, receiver.Kept(), 0);
}

void ReceivingWindow::Carry(const relay::Receiver::Actions& actions) {
    if (actions.answer) {
        const std::u16string line(actions.answer->begin(), actions.answer->end());
        try {
            platform_.clipboard.PutLine(line);
            changes_.Put(line);
        } catch (const platform::Error& e) {
            gathering_.receiver->Failed(platform::FailureReport(kCannotSetClipboard, e));
        }
    }
    Render();
    if (actions.hash) {
        auto digest = std::make_shared<platform::Sha256Digest>();
        StartWork([this, digest] { *digest = gathering_.store->Hash(progress_.get()); },
                  [this, digest] {
                      KillTimer(Window(), 1);
                      Carry(gathering_.receiver->Hashed(*digest));
                  },
                  gathering_.receiver->Set().size);
        SendMessageW(Control(Id::bar), PBM_SETRANGE32, 0, 1000);
        SendMessageW(Control(Id::bar), PBM_SETPOS, 0, 0);
        SetTimer(Window(), 1, 100, nullptr);
    }
    if (actions.close) {
        listener_.reset();
        toSave_ = gathering_.receiver->CurrentState() == State::kAllIn;
        Unload();
    }
}

void ReceivingWindow::ClipboardChanged() {
    if (worker_.joinable()) {
        changedMeanwhile_ = true;
        return;
    }
    if (gathering_.receiver->CurrentState() != State::kGathering) return;
    if (!changes_.Unread(platform_.clipboard.Sequence())) return;
    std::shared_ptr<restore::ScratchBytes> copy;
    try {
        platform_.clipboard.ReadText([&](std::u16string_view text) {
            if (changes_.Ours(text)) return;
            platform::JobProgress copying(text.size() * 2);
            copy = platform::AsStep(kCannotRestore, product::kDeliveryFailed,
                                    [&] { return restore::CopyText(platform_.files, text, copying); });
        });
    } catch (const platform::Error& e) {
        // Another program held the clipboard too long: the person copies the part again.
        gathering_.receiver->Failed(platform::FailureReport(kCannotReadClipboard, e));
        Render();
        return;
    } catch (...) {
        gathering_.failure = std::current_exception();
        Unload();
        return;
    }
    if (!copy) return;
    auto arrival = std::make_shared<relay::Arrival>();
    StartWork(
        [this, copy, arrival] {
            restore::EncodedText text(*copy);
            *arrival = gathering_.store->Take(text, *progress_);
        },
        [this, arrival] { Carry(gathering_.receiver->Took(*arrival)); });
}

void ReceivingWindow::StartWork(std::function<void()> work, std::function<void()> then, std::uint64_t total) {
    progress_ = std::make_unique<platform::JobProgress>(total);
    then_ = std::move(then);
    failure_ = nullptr;
    const HWND window = Window();
    worker_ = platform_.process.StartWorker([this, work = std::move(work), window] {
        try {
            work();
        } catch (...) {
            failure_ = std::current_exception();
        }
        PostMessageW(window, kWorkDone, 0, 0);
    });
    if (!worker_.joinable()) {
        // Out of threads: the work is done here, the window held meanwhile.
        try {
            work();
        } catch (...) {
            failure_ = std::current_exception();
        }
        WorkDone();
    }
}

void ReceivingWindow::WorkDone() {
    if (worker_.joinable()) worker_.join();
    if (failure_) {
        gathering_.failure = failure_;
        listener_.reset();
        Unload();
        return;
    }
    if (const auto then = std::exchange(then_, nullptr)) then();
    if (std::exchange(changedMeanwhile_, false) && IsLoaded()) ClipboardChanged();
}

void ReceivingWindow::Stop() {
    if (!worker_.joinable()) return;
    progress_->RequestStop();
    worker_.join();
    then_ = nullptr;
}

void ReceivingWindow::Click(Id id) {
    switch (id) {
    case Id::saveButton:
        toSave_ = true;
        Unload();
        break;
    case Id::cancelButton:
        if (MayClose()) Unload();
        break;
    case Id::heading: case Id::progress: case Id::bar: case Id::state: break;
    }
}

bool ReceivingWindow::MayClose() {
    // Parts that arrive while the question is up are taken and answered as usual.
    if (gathering_.receiver->Kept() > 0) {
        namespace st = platform::style;
        const std::wstring question = std::wstring(kDiscardBefore) + product::GroupedDigits(gathering_.receiver->Kept()) +
                                      std::wstring(kDiscardAfter);
        if (platform_.ui.Message(question, st::kYesNo | st::kDefaultSecond) != platform::kAnswerYes) return false;
    }
    Stop();
    return true;
}

HWND ReceivingWindow::FirstFocus() {
    return IsWindowVisible(Control(Id::saveButton)) ? Control(Id::saveButton) : Window();
}

void ReceivingWindow::Tick() {
    if (!progress_ || progress_->Total() == 0) return;
    const std::uint64_t done = std::min(progress_->Done(), progress_->Total());
    SendMessageW(Control(Id::bar), PBM_SETPOS, static_cast<WPARAM>(done * 1000 / progress_->Total()), 0);
}

}  // namespace qb::windows
