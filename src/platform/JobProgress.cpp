#include "platform/JobProgress.h"

#include "product/Texts.h"

namespace qb::platform {

std::wstring JobProgress::DoneText() const {
    constexpr std::uint64_t kMb = 1'048'576;
    return std::wstring(product::text::kDone) + std::to_wstring(Done() / kMb) + L" MB / " +
           std::to_wstring(total_ / kMb) + L" MB";
}

bool JobProgress::RequestStop() {
    int expected = kRunning;
    return state_.compare_exchange_strong(expected, kStopping) || expected == kStopping;
}

bool JobProgress::BeginDelivery() {
    int expected = kRunning;
    return state_.compare_exchange_strong(expected, kDelivering) || expected == kDelivering;
}

void JobProgress::Finish() {
    const std::lock_guard lock(mutex_);
    finished_ = true;
    ended_.notify_all();
    if (wake_) wake_();
}

bool JobProgress::Finished() const {
    const std::lock_guard lock(mutex_);
    return finished_;
}

bool JobProgress::WaitFinished(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return ended_.wait_for(lock, timeout, [&] { return finished_; });
}

void JobProgress::WaitFinished() {
    std::unique_lock lock(mutex_);
    ended_.wait(lock, [&] { return finished_; });
}

void JobProgress::OnFinish(std::function<void()> wake) {
    const std::lock_guard lock(mutex_);
    wake_ = std::move(wake);
    if (finished_ && wake_) wake_();
}

}  // namespace qb::platform
