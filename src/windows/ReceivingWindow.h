#pragma once
// The receiving window: a file's parts gathered as the person copies each over, every change of
// the clipboard read; it closes by itself once they are all in. 取消, Esc and the close box end
// it with nothing kept.

#include <memory>

#include "platform/Ui.h"
#include "windows/ClipboardListener.h"
#include "windows/Form.h"
#include "windows/ReceivingWindowDesign.h"

namespace qb::windows {

class ReceivingWindow final : public FormOf<receiving_window::Id> {
public:
    using Id = receiving_window::Id;
    ReceivingWindow(FormHost& host, platform::PartsToReceive& parts);
    // Whether it closed because nothing more was to come, not at the person's word.
    bool Finished() const { return finished_; }

protected:
    void Load() override;
    void Click(Id id) override;
    void ClipboardChanged() override;

private:
    void ShowCounts();

    platform::PartsToReceive& parts_;
    std::unique_ptr<ClipboardListener> listener_;
    bool finished_ = false;
};

}  // namespace qb::windows
