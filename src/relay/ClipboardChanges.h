#pragma once
// Which clipboard changes a window of the conversation reads: each change once, by the
// clipboard's sequence number, and never the text it put there itself. The number taken just
// after our own change may already be another program's (whoever reads our line and copies at
// once), so a change is told ours by its text, not by its number.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qb::relay {

class ClipboardChanges {
public:
    // Whether the change numbered `sequence` is still to be read; it counts as read from now on.
    bool Unread(std::uint32_t sequence) {
        if (read_ && sequence == *read_) return false;
        read_ = sequence;
        return true;
    }
    // We put `text` on the clipboard.
    void Put(std::u16string text) { own_ = std::move(text); }
    // Whether `text` is the one we put last, whoever wrote it there.
    bool Ours(std::u16string_view text) const { return !own_.empty() && text == own_; }

private:
    std::optional<std::uint32_t> read_;
    std::u16string own_;
};

}  // namespace qb::relay
