#pragma once
// The receiving window: a file's parts gathered as the person copies each over. It carries out
// what the receiving end of the conversation decides: every change of the clipboard is copied
// out and its parts taken on a worker while the window stays responsive, each text that brought
// one answered, and the joined file checked once all are in; then it closes by itself for Save
// As. It opens again, with 保存, when Save As saved nothing. 取消, Esc and the close box ask
// before they throw received parts away; the end of the session does not.

#include <exception>
#include <functional>
#include <memory>
#include <thread>

#include "platform/Platform.h"
#include "relay/ClipboardChanges.h"
#include "restore/RestoreJob.h"
#include "windows/ClipboardListener.h"
#include "windows/Form.h"
#include "windows/ReceivingWindowDesign.h"

namespace qb::windows {

class ReceivingWindow final : public FormOf<receiving_window::Id> {
public:
    using Id = receiving_window::Id;
    ReceivingWindow(FormHost& host, platform::Platform& platform, restore::Gathering& gathering);
    ~ReceivingWindow() override;
    // Stops whatever a worker is doing and closes the window, keeping nothing.
    void Close() {
        Stop();
        Unload();
    }
    // Whether it closed for the file to be saved.
    bool ToSave() const { return toSave_; }

protected:
    void Load() override;
    void Click(Id id) override;
    void ClipboardChanged() override;
    void WorkDone() override;
    // While the joined file is hashed, its bar counts the bytes.
    void Tick() override;
    bool MayClose() override;
    // Nothing is focused, so that a stray Enter throws nothing away.
    HWND FirstFocus() override;

private:
    void Carry(const relay::Receiver::Actions& actions);
    // Runs `work` on a worker, then `then` on this window's thread; whatever `work` throws ends
    // the gathering.
    void StartWork(std::function<void()> work, std::function<void()> then, std::uint64_t total = 0);
    void Stop();
    void Render();

    platform::Platform& platform_;
    restore::Gathering& gathering_;
    relay::ClipboardChanges changes_;
    std::unique_ptr<ClipboardListener> listener_;
    std::unique_ptr<platform::JobProgress> progress_;
    std::jthread worker_;
    std::function<void()> then_;
    std::exception_ptr failure_;
    bool changedMeanwhile_ = false;  // the clipboard changed while a worker ran
    bool toSave_ = false;
};

}  // namespace qb::windows
