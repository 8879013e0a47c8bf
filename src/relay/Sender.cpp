#include "relay/Sender.h"

#include "product/ExitCodes.h"
#include "product/Numbers.h"
#include "product/Texts.h"

namespace qb::relay {

using namespace product::text;

std::uint32_t Sender::Want(std::uint32_t part, State why) {
    current_ = part;
    pendingWhy_ = why;
    return part;
}

std::uint32_t Sender::Pressed(Button button) {
    // The person put a part: the puts are counted afresh.
    highest_ = 0;
    puts_ = 0;
    const State why = heard_ ? State::kRelaying : State::kByHand;
    switch (button) {
    case Button::kAgain:
        if (!CanPutAgain()) return 0;
        return Want(heard_ && asked_ ? asked_ : current_, why);
    case Button::kPrevious: return CanGoBack() ? Want(current_ - 1, State::kByHand) : 0;
    case Button::kNext: return CanGoOn() ? Want(current_ + 1, State::kByHand) : 0;
    }
    return 0;
}

void Sender::ScriptPut() {
    scriptPut_ = true;
    if (state_ != State::kAllIn) {
        state_ = State::kByHand;
        line_ = kWaitingForScript;
    }
}

std::uint32_t Sender::Heard(std::u16string_view text) {
    if (scriptPut_ && uue::IsReady(text)) {
        // As good as an answer: nothing paused, nothing counted towards a stall.
        scriptPut_ = false;
        heard_ = true;
        return Want(asked_ ? asked_ : 1, State::kRelaying);
    }
    const auto answer = uue::ParseAnswer(text);
    if (!answer || answer->count != count_ || answer->sha256 != sha256_) {
        // Someone else's copy: the part is gone from the clipboard, and the person may need what
        // they copied, so it is not put back unasked.
        if (state_ == State::kByHand || state_ == State::kRelaying) {
            state_ = State::kPaused;
            line_ = heard_ ? std::wstring(kRelayPaused)
                           : std::wstring(kReplacedBefore) + std::to_wstring(current_) + std::wstring(kReplacedAfter);
        }
        return 0;
    }
    if (answer->next == 0) {
        // A real receiver answers the text it just read: the part this window put last.
        if (answer->part != current_ || state_ == State::kAllIn) {
            if (state_ != State::kAllIn) line_ = kStrangeAllIn;
            return 0;
        }
        heard_ = true;
        state_ = State::kAllIn;
        line_ = std::wstring(kAllReceivedBefore) + product::GroupedDigits(count_) + std::wstring(kAllReceivedAfter);
        return 0;
    }
    heard_ = true;
    received_ = answer->part;
    asked_ = answer->next;
    if (asked_ > highest_) {
        highest_ = asked_;
        puts_ = 0;
    }
    if (++puts_ >= kMostPuts) {
        state_ = State::kStalled;
        line_ = std::wstring(kNotReceivedBefore) + std::to_wstring(asked_) + std::wstring(kNotReceivedAfter);
        return 0;
    }
    return Want(asked_, State::kRelaying);
}

void Sender::Put(std::uint32_t part) {
    current_ = part;
    lastPut_ = lastPut_ || part == count_;
    state_ = pendingWhy_;
    if (state_ == State::kRelaying && received_)
        line_ = std::wstring(kRelayedBefore) + std::to_wstring(received_) + std::wstring(kRelayedMiddle) +
                std::to_wstring(part) + std::wstring(kRelayedAfter);
    else
        line_ = std::wstring(kPartPutBefore) + std::to_wstring(part) +
                std::wstring(part == count_ ? kLastPartPutAfter : kPartPutAfter);
}

int Sender::ExitCode() const { return AskBeforeClosing() ? product::kDeclined : product::kDelivered; }

}  // namespace qb::relay
