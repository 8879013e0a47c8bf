#include "encode/AheadEncoder.h"

#include <algorithm>

#include "uue/Encoder.h"

namespace qb::encode {

using uue::EncodedBodySize;
using uue::EncodeLines;

AheadEncoder::AheadEncoder(std::size_t size, Source source, std::size_t linesPerSlice,
                           std::size_t buffers, platform::Process& process)
    : size_(size),
      source_(std::move(source)),
      sliceInput_(linesPerSlice * uue::kBytesPerLine),
      sliceOutput_(linesPerSlice * uue::kFullLineCrLf),
      buffers_(std::max<std::size_t>(buffers, 2)),
      slices_((size + sliceInput_ - 1) / sliceInput_),
      input_(std::make_unique_for_overwrite<std::uint8_t[]>(buffers_ * sliceInput_)),
      output_(std::make_unique_for_overwrite<char[]>(buffers_ * sliceOutput_)) {
    // Out of threads, the job still gets done, only without the overlap.
    worker_ = process.StartWorker([this] { Work(); });
}

AheadEncoder::~AheadEncoder() {
    if (!worker_.joinable()) return;
    stopping_ = true;
    Publish(released_, released_.load());
    worker_.join();
}

std::size_t AheadEncoder::SliceBytes(std::size_t slice) const {
    return std::min(sliceInput_, size_ - slice * sliceInput_);
}

void AheadEncoder::EncodeSlice(std::size_t slice) {
    const std::span<std::uint8_t> part(input_.get() + (slice % buffers_) * sliceInput_,
                                       SliceBytes(slice));
    source_(part);
    char* out = output_.get() + (slice % buffers_) * sliceOutput_;
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
    // Nothing may leave a thread's function: it would end the process. The caller meets the
    // failure at its next slice instead.
    try {
        for (std::size_t slice = 0; slice < slices_; ++slice) {
            WaitUntil([&] { return stopping_.load() || slice < released_.load() + buffers_; });
            if (stopping_) return;
            EncodeSlice(slice);
            Publish(encoded_, slice + 1);
        }
    } catch (...) {
        failure_ = std::current_exception();
        failed_ = true;
        Publish(encoded_, encoded_.load());
    }
}

std::span<const char> AheadEncoder::Next() {
    const std::size_t slice = handedOut_;
    if (slice == slices_) return {};
    if (worker_.joinable()) {
        Publish(released_, slice);  // the caller is done with everything handed out before
        WaitUntil([&] { return encoded_.load() > slice || failed_.load(); });
        if (encoded_.load() <= slice) std::rethrow_exception(failure_);
    } else {
        EncodeSlice(slice);
    }
    ++handedOut_;
    return {output_.get() + (slice % buffers_) * sliceOutput_, EncodedBodySize(SliceBytes(slice))};
}

}  // namespace qb::encode
