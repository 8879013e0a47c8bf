#pragma once
// The receiving end of the conversation: which parts of one file are in, what each text that
// brought one of them is answered with, when the joined file is checked, and what the receiving
// window says. The window and the part store feed it what happens and carry out what it asks;
// nothing here touches the system.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "relay/SetRules.h"
#include "uue/PartLines.h"

namespace qb::relay {

// Part numbers as a report lists them: the first ten of `total`, then how many in all.
std::wstring PartList(const std::vector<std::uint32_t>& first, std::size_t total);

// What one text brought of the file being received, as the part store took it.
struct Arrival {
    std::vector<std::uint32_t> kept;  // new parts kept, in the order they came
    std::uint32_t repeated = 0;       // the last part that was in already
    std::uint32_t damagedPart = 0;    // the last part cut or damaged on the way, and its line
    std::uint64_t damagedLine = 0;
    std::wstring otherSet;            // the name of another file whose parts it held
};

class Receiver {
public:
    enum class State {
        kGathering,  // parts still missing
        kChecking,   // every part in: the joined file's digest is being worked out
        kAllIn,      // every part in and the file the sender's: the last answer is out
        kMismatch,   // every part in, but the joined file is not the sender's
    };
    // What the window does next.
    struct Actions {
        std::optional<std::string> answer;  // put this line on the clipboard
        bool hash = false;                  // work out the joined file's SHA-256
        bool close = false;                 // nothing more is to come
    };

    Receiver(const uue::PartMarker& set, std::wstring name) : set_(set), name_(std::move(name)) {}

    // Part `part` of this file came whole: whether it is in already, and whether it fits beside
    // the parts in (then it is kept).
    bool Has(std::uint32_t part) const { return parts_.Has(part); }
    bool Keep(std::uint32_t part, std::uint64_t length) { return parts_.Take(part, length).has_value(); }

    // A text was read to its end; `arrival` is what it brought.
    Actions Took(const Arrival& arrival);
    Actions Hashed(const std::array<std::uint8_t, 32>& digest);
    // The clipboard could not be read or written: said, and the person copies again.
    void Failed(std::wstring report) { line_ = std::move(report); }

    State CurrentState() const { return state_; }
    // The joined file's digest, once worked out.
    const std::array<std::uint8_t, 32>& Joined() const { return joined_; }
    const uue::PartMarker& Set() const { return set_; }
    const std::wstring& Name() const { return name_; }
    std::uint32_t Kept() const { return parts_.Count(); }
    const PartsInHand& Parts() const { return parts_; }
    // The window's lines: which file, how many parts are in and which are missing, and what the
    // last text brought.
    std::wstring Heading() const;
    std::wstring Counts() const;
    const std::wstring& Line() const { return line_; }

private:
    std::string AnswerLine() const;

    uue::PartMarker set_;
    std::wstring name_;
    PartsInHand parts_{set_};
    std::uint32_t last_ = 0;  // the part kept last
    State state_ = State::kGathering;
    std::array<std::uint8_t, 32> joined_{};
    std::wstring line_;
};

}  // namespace qb::relay
