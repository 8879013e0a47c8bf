#include "relay/Receiver.h"

#include "platform/FileNames.h"
#include "product/Numbers.h"
#include "product/RestoreTexts.h"

namespace qb::relay {

using namespace product::text;

std::wstring PartList(const std::vector<std::uint32_t>& first, std::size_t total) {
    std::wstring list;
    for (std::size_t i = 0; i < first.size() && i < 10; ++i)
        list += (i ? std::wstring(kPartsListSeparator) : L"") + std::to_wstring(first[i]);
    if (total > 10) list += std::wstring(kPartsMissingMore) + product::GroupedDigits(total);
    return list;
}

std::string Receiver::AnswerLine() const {
    return uue::FormatAnswer({last_, set_.count, set_.sha256, parts_.FirstMissing()});
}

Receiver::Actions Receiver::Took(const Arrival& a) {
    if (state_ != State::kGathering) return {};
    if (!a.kept.empty()) last_ = a.kept.back();
    if (a.damagedPart)
        line_ = std::wstring(kPartDamagedBefore) + std::to_wstring(a.damagedPart) + std::wstring(kPartDamagedMiddle) +
                std::to_wstring(a.damagedLine) + std::wstring(kPartDamagedAfter);
    else if (!a.kept.empty() && !parts_.Complete())
        line_ = Counts() + std::wstring(kCopyBefore) + std::to_wstring(parts_.FirstMissing()) + std::wstring(kCopyAfter);
    else if (a.repeated)
        line_ = std::wstring(kPartRepeatedBefore) + std::to_wstring(a.repeated) + std::wstring(kPartRepeatedAfter);
    else if (!a.otherSet.empty())
        line_ = std::wstring(kOtherSetBefore) + platform::ShownName(a.otherSet) + std::wstring(kOtherSetAfter);
    // Every text that held a part of the file is answered, a damaged one too, so that a relay
    // puts it again by itself; with nothing kept there is nothing to answer with.
    if ((a.kept.empty() && !a.repeated && !a.damagedPart) || parts_.Count() == 0) return {};
    // The last answer tells the sender the file has arrived: only once it has, whole.
    if (parts_.Complete()) {
        state_ = State::kChecking;
        line_ = kCheckingJoined;
        return {std::nullopt, true, false};
    }
    return {AnswerLine(), false, false};
}

Receiver::Actions Receiver::Hashed(const std::array<std::uint8_t, 32>& digest) {
    if (state_ != State::kChecking) return {};
    joined_ = digest;
    if (digest != set_.sha256) {
        state_ = State::kMismatch;
        return {std::nullopt, false, true};
    }
    state_ = State::kAllIn;
    line_ = std::wstring(kAllPartsInBefore) + product::GroupedDigits(set_.count) + std::wstring(kAllPartsInAfter);
    return {AnswerLine(), false, true};
}

std::wstring Receiver::Heading() const {
    return std::wstring(kReceivingBefore) + platform::ShownName(name_) + std::wstring(kReceivingMiddle) +
           product::GroupedDigits(set_.count) + std::wstring(kReceivingAfter);
}

std::wstring Receiver::Counts() const {
    const std::wstring text = std::wstring(kReceivedBefore) + product::GroupedDigits(parts_.Count());
    if (parts_.Complete()) return text + std::wstring(kReceivedAfter);
    return text + std::wstring(kReceivedMissing) + PartList(parts_.Missing(10), set_.count - parts_.Count()) +
           std::wstring(kReceivedAfter);
}

}  // namespace qb::relay
