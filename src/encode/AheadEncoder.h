#pragma once
// Reads and encodes a large input slice by slice on a worker thread, a few slices ahead of the
// caller, so that reading and encoding one slice overlap with writing out the one before it.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <thread>

#include "platform/Process.h"

namespace qb::encode {

class AheadEncoder {
public:
    // Fills its span with the input's next bytes, in order; throws if it cannot.
    using Source = std::function<void(std::span<std::uint8_t>)>;

    // `size` bytes come from `source`, `linesPerSlice` whole lines of them per slice; `buffers`
    // slices may be encoded ahead, less the one the caller holds, on a worker `process` starts.
    // Where it gives no thread, each slice is read and encoded in the caller's thread when it
    // asks for it.
    AheadEncoder(std::size_t size, Source source, std::size_t linesPerSlice, std::size_t buffers,
                 platform::Process& process);
    ~AheadEncoder();  // stops the worker and waits for it, also when the caller gave up early

    AheadEncoder(const AheadEncoder&) = delete;
    AheadEncoder& operator=(const AheadEncoder&) = delete;

    std::size_t SliceCount() const { return slices_; }

    // The next slice's text, in order; an empty span after the last. The text stays valid until
    // the next call. Whatever stopped the worker (a read error, say) is thrown here instead.
    std::span<const char> Next();

private:
    void Work();
    void EncodeSlice(std::size_t slice);
    std::size_t SliceBytes(std::size_t slice) const;
    template <typename Ready>
    void WaitUntil(Ready ready);
    void Publish(std::atomic<std::size_t>& counter, std::size_t value);

    std::size_t size_;
    Source source_;
    std::size_t sliceInput_;
    std::size_t sliceOutput_;
    std::size_t buffers_;
    std::size_t slices_;
    std::unique_ptr<std::uint8_t[]> input_;
    std::unique_ptr<char[]> output_;

    // A hand-over is a store to one of these counters and a load by the other thread; the mutex
    // and condition variable come in only when a thread has waited long enough to sleep.
    std::atomic<std::size_t> encoded_{0};   // slices the worker has finished
    std::atomic<std::size_t> released_{0};  // slices the caller is done with
    std::atomic<bool> stopping_{false};
    std::atomic<bool> failed_{false};       // the worker stopped on `failure_`
    std::exception_ptr failure_;
    std::atomic<int> sleepers_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::size_t handedOut_ = 0;
    std::jthread worker_;
};

}  // namespace qb::encode
