#pragma once
// What the receiving window does with each change of the clipboard, without the window: the text
// copied out, its parts taken, the answer put and the joined file hashed when that is asked for.

#include <optional>
#include <string>

#include "relay/ClipboardChanges.h"
#include "restore/RestoreJob.h"

namespace qb::testing {

struct ReceivingEnd {
    explicit ReceivingEnd(platform::Platform& platform) : p(platform) {}
    platform::Platform& p;
    std::optional<restore::Gathering> gathering;
    relay::ClipboardChanges changes;

    std::u16string Now() {
        std::u16string now;
        p.clipboard.ReadText([&](std::u16string_view text) { now = text; });
        return now;
    }
    void Carry(const relay::Receiver::Actions& a) {
        if (a.answer) {
            p.clipboard.PutLine(std::u16string(a.answer->begin(), a.answer->end()));
            changes.Put(std::u16string(a.answer->begin(), a.answer->end()));
        }
        if (a.hash) Carry(gathering->receiver->Hashed(gathering->store->Hash(nullptr)));
    }
    // The first text is the restore's own; false if it gave nothing to gather.
    bool Start() {
        changes.Unread(p.clipboard.Sequence());
        gathering = restore::RunRestore(restore::From::kClipboard, p, 0);
        if (gathering) Carry(gathering->first);
        return gathering.has_value();
    }
    void Read() {
        if (!changes.Unread(p.clipboard.Sequence())) return;
        const std::u16string now = Now();
        if (changes.Ours(now)) return;
        platform::JobProgress progress(0);
        auto copy = restore::CopyText(p.files, now, progress);
        restore::EncodedText text(*copy);
        Carry(gathering->receiver->Took(gathering->store->Take(text, progress)));
    }
};

}  // namespace qb::testing
