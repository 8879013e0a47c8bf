#pragma once
// The parts window: a file sent in parts, one part on the clipboard at a time. It carries out what
// the sending end of the conversation decides: part 1 goes there as the window opens, 下一段 and
// 上一段 put the next or the one before, 再放一次 the same again, and where both ends share one
// clipboard the other end's answers put the part it asks for.

#include <cstdint>
#include <memory>
#include <string>

#include "encode/PartSources.h"
#include "platform/Platform.h"
#include "relay/ClipboardChanges.h"
#include "relay/Sender.h"
#include "windows/ClipboardListener.h"
#include "windows/Form.h"
#include "windows/PartsWindowDesign.h"

namespace qb::windows {

class PartsWindow final : public FormOf<parts_window::Id> {
public:
    using Id = parts_window::Id;
    PartsWindow(FormHost& host, platform::Platform& platform, encode::PartsToShow& shown);
    int ExitCode() const { return sender_.ExitCode(); }

protected:
    void Load() override;
    void Click(Id id) override;
    void ClipboardChanged() override;
    // Before the other end has every part, a close asks first.
    bool MayClose() override;
    // 下一段, the default button, rather than the first in tab order.
    HWND FirstFocus() override { return Control(Id::nextButton); }

private:
    // Puts part `part` on the clipboard, if there is one to put, and shows the sender's state.
    void Put(std::uint32_t part);
    void Render();

    platform::Platform& platform_;
    encode::PartsToShow& shown_;
    relay::Sender sender_;
    relay::ClipboardChanges changes_;
    std::unique_ptr<ClipboardListener> listener_;
};

// Shows the parts window and runs it until it is closed; returns the exit code its closing gives.
int RunPartsWindow(platform::Platform& platform, encode::PartsToShow& shown);

}  // namespace qb::windows
