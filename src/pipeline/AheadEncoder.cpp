#include "pipeline/AheadEncoder.h"

#include <algorithm>
#include <system_error>

#include "pipeline/UuEncoder.h"

namespace qb::pipeline {

AheadEncoder::AheadEncoder(std::span<const std::uint8_t> input, std::size_t linesPerSlice,
                           std::size_t buffers, Mode mode)
    : input_(input),
      sliceInput_(linesPerSlice * kBytesPerLine),
      sliceOutput_(linesPerSlice * kCharsPerFullLine),
      buffers_(std::max<std::size_t>(buffers, 2)),
      slices_((input.size() + sliceInput_ - 1) / sliceInput_),
      memory_(std::make_unique<char[]>(buffers_ * sliceOutput_)) {
    if (mode == Mode::kInline) return;
    try {
        worker_ = std::thread([this] { Work(); });
    } catch (const std::system_error&) {
        // Out of threads: the job still gets done, only without the overlap.
    }
}

AheadEncoder::~AheadEncoder() {
    if (!worker_.joinable()) return;
    stopping_ = true;
    Publish(released_, released_.load());
    worker_.join();
}

void AheadEncoder::EncodeSlice(std::size_t slice) {
    const std::size_t at = slice * sliceInput_;
    const auto part = input_.subspan(at, std::min(sliceInput_, input_.size() - at));
    char* out = memory_.get() + (slice % buffers_) * sliceOutput_;
    EncodeLines(part, {out, EncodedBodySize(part.size())});
}

// The other thread usually catches up within microseconds, so yield for a while before sleeping:
// being put to sleep and woken costs far more than that, a tenth of a millisecond under Wine.
template <typename Ready>
void AheadEncoder::WaitUntil(Ready ready) {
    for (int spin = 0; spin < 2000; ++spin) {
        if (ready()) return;
        std::this_thread::yield();
    }
    std::unique_lock lock(mutex_);
    ++sleepers_;
    wake_.wait(lock, ready);
    --sleepers_;
}

void AheadEncoder::Publish(std::atomic<std::size_t>& counter, std::size_t value) {
    counter.store(value);
    // A sleeper counted itself under the mutex before its last look at the counters; taking the
    // mutex here waits until it is really asleep, so the wake-up cannot slip in between.
    if (sleepers_.load() != 0) {
        { const std::lock_guard lock(mutex_); }
        wake_.notify_all();
    }
}

void AheadEncoder::Work() {
    for (std::size_t slice = 0; slice < slices_; ++slice) {
        WaitUntil([&] { return stopping_.load() || slice < released_.load() + buffers_; });
        if (stopping_) return;
        EncodeSlice(slice);
        Publish(encoded_, slice + 1);
    }
}

std::span<const char> AheadEncoder::Next() {
    const std::size_t slice = handedOut_;
    if (slice == slices_) return {};
    if (worker_.joinable()) {
        Publish(released_, slice);  // the caller is done with everything handed out before
        WaitUntil([&] { return encoded_.load() > slice; });
    } else {
        EncodeSlice(slice);
    }
    ++handedOut_;
    const std::size_t at = slice * sliceInput_;
    const std::size_t bytes = EncodedBodySize(std::min(sliceInput_, input_.size() - at));
    return {memory_.get() + (slice % buffers_) * sliceOutput_, bytes};
}

}  // namespace qb::pipeline
