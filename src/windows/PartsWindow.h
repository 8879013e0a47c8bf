#pragma once
// The parts window: a file sent in parts, one part on the clipboard at a time. Part 1 goes there
// as the window opens; 下一段 and 上一段 put the next or the one before, 再放一次 the same again.
// Where both ends share one clipboard, the other end's answers put the part it asks for.

#include <cstdint>
#include <memory>
#include <string>

#include "encode/Relay.h"
#include "platform/Platform.h"
#include "windows/ClipboardListener.h"
#include "windows/Form.h"
#include "windows/PartsWindowDesign.h"

namespace qb::windows {

class PartsWindow final : public FormOf<parts_window::Id> {
public:
    using Id = parts_window::Id;
    PartsWindow(FormHost& host, platform::Platform& platform, std::wstring name, std::uint64_t limit,
                platform::PartsToShow& parts);
    // Whether the last part has been put on the clipboard.
    bool LastPut() const { return lastPut_; }

protected:
    void Load() override;
    void Click(Id id) override;
    void ClipboardChanged() override;

private:
    // Puts part `part` on the clipboard; the state line says whether it is there. False if not.
    bool Put(std::uint32_t part);

    platform::Platform& platform_;
    std::wstring name_;
    std::uint64_t limit_;
    platform::PartsToShow& parts_;
    std::uint32_t current_ = 0;
    bool lastPut_ = false;
    encode::Relay relay_;
    bool allIn_ = false;  // the other end said it has every part
    std::unique_ptr<ClipboardListener> listener_;
    std::uint32_t read_ = 0;  // the clipboard's sequence number of the text last read
};

// Shows the parts window and runs it until it is closed; true if the last part had been put on
// the clipboard by then.
bool RunPartsWindow(platform::Platform& platform, std::wstring_view name, std::uint64_t limit,
                    platform::PartsToShow& parts);

}  // namespace qb::windows
