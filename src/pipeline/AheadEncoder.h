#pragma once
// Encodes a large input slice by slice on a worker thread, a few slices ahead of the caller, so
// that encoding one slice overlaps with writing out the one before it.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <thread>

namespace qb::pipeline {

class AheadEncoder {
public:
    enum class Mode { kAhead, kInline };
    // `linesPerSlice` whole lines of input per slice; `buffers` slices may be encoded ahead, less
    // the one the caller holds. Where no thread can be started, or with kInline, each slice is
    // encoded in the caller's thread when it asks for it.
    AheadEncoder(std::span<const std::uint8_t> input, std::size_t linesPerSlice, std::size_t buffers,
                 Mode mode = Mode::kAhead);
    ~AheadEncoder();  // stops the worker and waits for it, also when the caller gave up early

    AheadEncoder(const AheadEncoder&) = delete;
    AheadEncoder& operator=(const AheadEncoder&) = delete;

    std::size_t SliceCount() const { return slices_; }

    // The next slice's text, in order; an empty span after the last. The text stays valid until
    // the next call.
    std::span<const char> Next();

private:
    void Work();
    void EncodeSlice(std::size_t slice);
    template <typename Ready>
    void WaitUntil(Ready ready);
    void Publish(std::atomic<std::size_t>& counter, std::size_t value);

    std::span<const std::uint8_t> input_;
    std::size_t sliceInput_;
    std::size_t sliceOutput_;
    std::size_t buffers_;
    std::size_t slices_;
    std::unique_ptr<char[]> memory_;

    // A hand-over is a store to one of these counters and a load by the other thread; the mutex
    // and condition variable come in only when a thread has waited long enough to sleep.
    std::atomic<std::size_t> encoded_{0};   // slices the worker has finished
    std::atomic<std::size_t> released_{0};  // slices the caller is done with
    std::atomic<bool> stopping_{false};
    std::atomic<int> sleepers_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::size_t handedOut_ = 0;
    std::thread worker_;
};

}  // namespace qb::pipeline
