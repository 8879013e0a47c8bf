#pragma once
// The sending end of a relay over a clipboard both ends share: the other end answers every part
// it receives with "#Quillbox got part K/N sha256=HEX next=J", and the parts window puts part J
// on the clipboard by itself. A loop without end is cut short: the same answer over and over gets
// part J again only so often, then the person decides.

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/Hash.h"
#include "uue/Parts.h"

namespace qb::encode {

class Relay {
public:
    // How often the same part is put again for the same answer before the person is asked.
    static constexpr int kMaxRepeats = 3;

    Relay(std::uint32_t count, const platform::Sha256Digest& sha256) : count_(count), sha256_(sha256) {}

    struct Reaction {
        enum class Kind {
            kNone,     // not an answer about this file
            kPut,      // put `part`: the other end has kept `received` and wants it next
            kAllIn,    // the other end has every part, checked
            kStalled,  // `part` was put again kMaxRepeats times for this answer: the person decides
        };
        Kind kind = Kind::kNone;
        std::uint32_t part = 0;
        std::uint32_t received = 0;
    };
    // What a text the clipboard brought asks for.
    Reaction Heard(std::u16string_view text);
    // The person put a part: the repeats are counted afresh.
    void ByHand() { repeats_ = 0; }

private:
    std::uint32_t count_;
    platform::Sha256Digest sha256_;
    std::optional<uue::Acknowledgement> last_;
    int repeats_ = 0;
};

}  // namespace qb::encode
