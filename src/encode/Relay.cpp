#include "encode/Relay.h"

#include <algorithm>
#include <string>

namespace qb::encode {

Relay::Reaction Relay::Heard(std::u16string_view text) {
    // An answer is one short ASCII line; a part or any other text is passed over unread.
    constexpr std::size_t kLongest = 200;
    if (text.size() > kLongest || !text.starts_with(u"#Quillbox got part ")) return {};
    if (std::any_of(text.begin(), text.end(), [](char16_t c) { return c > 0x7F; })) return {};
    const auto ack = uue::ParseAcknowledgement(std::string(text.begin(), text.end()));
    if (!ack || ack->count != count_ || ack->sha256 != sha256_) return {};
    if (ack->next == 0) return {Reaction::Kind::kAllIn, 0, ack->part};
    repeats_ = last_ == ack ? repeats_ + 1 : 0;
    last_ = ack;
    if (repeats_ > kMaxRepeats) return {Reaction::Kind::kStalled, ack->next, ack->part};
    return {Reaction::Kind::kPut, ack->next, ack->part};
}

}  // namespace qb::encode
