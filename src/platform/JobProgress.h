#pragma once
// How far a long job has come and what the user asked of it, shared by the thread doing the job,
// the progress window and the thread waiting for both.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace qb::platform {

class JobProgress {
public:
    explicit JobProgress(std::uint64_t total) : total_(total) {}
    JobProgress(const JobProgress&) = delete;
    JobProgress& operator=(const JobProgress&) = delete;

    std::uint64_t Total() const { return total_; }
    std::uint64_t Done() const { return done_.load(std::memory_order_relaxed); }
    void Add(std::uint64_t bytes) { done_.fetch_add(bytes, std::memory_order_relaxed); }
    // "已完成 X MB / Y MB", in whole MB rounded down, as the size limit counts them.
    std::wstring DoneText() const;

    // The user's stop counts only until the job begins to deliver; true if it counted.
    bool RequestStop();
    bool StopRequested() const { return state_.load() == kStopping; }
    // The job commits to delivering: a stop from now on no longer counts. False if one came first.
    bool BeginDelivery();

    // The job has ended, whichever way.
    void Finish();
    bool Finished() const;
    // True if the job ended within `timeout`.
    bool WaitFinished(std::chrono::milliseconds timeout);
    void WaitFinished();
    // `wake` runs once the job ends (at once if it has), on the thread that ends it; an empty
    // function takes it back, after which it is never called.
    void OnFinish(std::function<void()> wake);

private:
    enum State : int { kRunning, kStopping, kDelivering };
    const std::uint64_t total_;
    std::atomic<std::uint64_t> done_{0};
    std::atomic<int> state_{kRunning};
    mutable std::mutex mutex_;
    std::condition_variable ended_;
    bool finished_ = false;
    std::function<void()> wake_;
};

}  // namespace qb::platform
