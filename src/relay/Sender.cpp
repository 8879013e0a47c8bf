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
    // The person put a part: the repeats are counted afresh.
    repeats_ = 0;
    switch (button) {
    case Button::kAgain: return current_ ? Want(current_, state_ == State::kAllIn ? state_ : State::kByHand) : 0;
    case Button::kPrevious: return CanGoBack() ? Want(current_ - 1, State::kByHand) : 0;
    case Button::kNext: return CanGoOn() ? Want(current_ + 1, State::kByHand) : 0;
    }
    return 0;
}

std::uint32_t Sender::Heard(std::u16string_view text) {
    if (state_ == State::kAllIn) return 0;
    const auto answer = uue::ParseAnswer(text);
    if (!answer || answer->count != count_ || answer->sha256 != sha256_) return 0;
    received_ = answer->part;
    if (answer->next == 0) {
        state_ = State::kAllIn;
        lastPut_ = true;
        line_ = std::wstring(kAllReceivedBefore) + product::GroupedDigits(count_) + std::wstring(kAllReceivedAfter);
        return 0;
    }
    repeats_ = last_ == answer ? repeats_ + 1 : 0;
    last_ = answer;
    if (repeats_ > kMaxRepeats) {
        state_ = State::kStalled;
        current_ = answer->next;
        line_ = std::wstring(kNotReceivedBefore) + std::to_wstring(answer->next) + std::wstring(kNotReceivedAfter);
        return 0;
    }
    return Want(answer->next, State::kRelaying);
}

void Sender::Put(std::uint32_t part) {
    current_ = part;
    lastPut_ = lastPut_ || part == count_;
    if (state_ != State::kAllIn) state_ = pendingWhy_;
    if (state_ == State::kRelaying)
        line_ = std::wstring(kRelayedBefore) + std::to_wstring(received_) + std::wstring(kRelayedMiddle) +
                std::to_wstring(part) + std::wstring(kRelayedAfter);
    else
        line_ = std::wstring(kPartPutBefore) + std::to_wstring(part) +
                std::wstring(part == count_ ? kLastPartPutAfter : kPartPutAfter);
}

int Sender::ExitCode() const { return lastPut_ ? product::kDelivered : product::kDeclined; }

}  // namespace qb::relay
