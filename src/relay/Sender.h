#pragma once
// The sending end of the conversation: which part goes on the clipboard, at the person's word or
// at the other end's answer, and what the parts window says. The window feeds it what happens and
// carries out what it asks; nothing here touches the system.
//
// Where both ends share one clipboard, the receiving end answers every part it reads with
// "#Quillbox got part K/N sha256=HEX next=J" and the part it asks for goes on the clipboard by
// itself. Any program may write the clipboard, so an answer is believed only as far as what this
// window did allows, someone else's copy pauses the relay rather than fighting the person for
// the clipboard, and a loop without end is cut short for the person to decide.

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
        kByHand,    // no answer heard: the person carries the parts over
        kRelaying,  // the other end's answers ask for the parts
        kPaused,    // someone else's copy replaced the part: the person resumes it
        kStalled,   // the answers kept asking for parts that did not arrive: the person decides
        kAllIn,     // the other end has every part, checked
    };
    enum class Button { kAgain, kPrevious, kNext };
    // An answer would put a part this many times since the highest part asked for last rose: the
    // person is asked instead.
    static constexpr int kMostPuts = 5;

    Sender(std::uint32_t count, const std::array<std::uint8_t, 32>& sha256) : count_(count), sha256_(sha256) {}

    // Each of these gives the part to put on the clipboard now, or 0 for none; the window then
    // says how the put went.
    std::uint32_t Opened() { return Want(1, State::kByHand); }
    std::uint32_t Pressed(Button button);
    // A clipboard text that is not the part this window put last.
    std::uint32_t Heard(std::u16string_view text);
    void Put(std::uint32_t part);
    void PutFailed(std::wstring report) { line_ = std::move(report); }
    // This window put the receiver script on the clipboard: the first "#Quillbox ready" after it
    // is the script's, and asks for the lowest part not yet acknowledged.
    void ScriptPut();

    State CurrentState() const { return state_; }
    std::uint32_t Current() const { return current_; }
    std::uint32_t Count() const { return count_; }
    const std::wstring& Line() const { return line_; }
    bool CanGoBack() const { return state_ != State::kAllIn && current_ > 1; }
    bool CanGoOn() const { return state_ != State::kAllIn && current_ < count_; }
    bool CanPutAgain() const { return state_ != State::kAllIn; }
    // Closed now: whether to ask first (the other end may still lack parts), and the exit code a
    // close gives (after a Yes, where it asks).
    bool AskBeforeClosing() const { return !lastPut_ || (heard_ && state_ != State::kAllIn); }
    int ExitCode() const;

private:
    std::uint32_t Want(std::uint32_t part, State why);

    std::uint32_t count_;
    std::array<std::uint8_t, 32> sha256_;
    State state_ = State::kByHand;
    State pendingWhy_ = State::kByHand;
    std::uint32_t current_ = 0;   // the part put last
    std::uint32_t asked_ = 0;     // the part the last answer asked for
    std::uint32_t received_ = 0;  // the part the last answer said was kept
    std::uint32_t highest_ = 0;   // the highest part asked for since the count began
    int puts_ = 0;                // parts put for answers since then
    bool lastPut_ = false;
    bool heard_ = false;  // an answer for this file came
    bool scriptPut_ = false;  // the script went out and its "ready" has not come yet
    std::wstring line_;
};

}  // namespace qb::relay
