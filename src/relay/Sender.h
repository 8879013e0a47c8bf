#pragma once
// The sending end of the conversation: which part goes on the clipboard, at the person's word or
// at the other end's answer, and what the parts window says. The window feeds it what happens and
// carries out what it asks; nothing here touches the system.
//
// Where both ends share one clipboard, the receiving end answers every part it reads with
// "#Quillbox got part K/N sha256=HEX next=J" and the part it asks for goes on the clipboard by
// itself. A loop without end is cut short: the same answer over and over gets part J again only
// so often, then the person decides.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "uue/PartLines.h"

namespace qb::relay {

class Sender {
public:
    enum class State {
        kByHand,    // the part put last went at the person's word
        kRelaying,  // the other end's answer asked for the part put last
        kStalled,   // the same answer kept asking for a part: the person decides
        kAllIn,     // the other end has every part, checked
    };
    enum class Button { kAgain, kPrevious, kNext };
    // How often the same part is put again for the same answer before the person is asked.
    static constexpr int kMaxRepeats = 3;

    Sender(std::uint32_t count, const std::array<std::uint8_t, 32>& sha256) : count_(count), sha256_(sha256) {}

    // Each of these gives the part to put on the clipboard now, or 0 for none; the window then
    // says how the put went.
    std::uint32_t Opened() { return Want(1, State::kByHand); }
    std::uint32_t Pressed(Button button);
    // A clipboard text that is not our own.
    std::uint32_t Heard(std::u16string_view text);
    void Put(std::uint32_t part);
    void PutFailed(std::wstring report) { line_ = std::move(report); }

    State CurrentState() const { return state_; }
    std::uint32_t Current() const { return current_; }
    std::uint32_t Count() const { return count_; }
    const std::wstring& Line() const { return line_; }
    bool CanGoBack() const { return state_ != State::kAllIn && current_ > 1; }
    bool CanGoOn() const { return state_ != State::kAllIn && current_ < count_; }
    // Closed now: 0 once the last part was put on the clipboard (or the other end has them all),
    // else the code of a job left unfinished.
    int ExitCode() const;

private:
    std::uint32_t Want(std::uint32_t part, State why);

    std::uint32_t count_;
    std::array<std::uint8_t, 32> sha256_;
    State state_ = State::kByHand;
    State pendingWhy_ = State::kByHand;
    std::uint32_t current_ = 0;
    std::uint32_t received_ = 0;  // the part the last answer said was kept
    bool lastPut_ = false;
    std::optional<uue::Answer> last_;
    int repeats_ = 0;
    std::wstring line_;
};

}  // namespace qb::relay
