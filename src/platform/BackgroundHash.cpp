#include "platform/BackgroundHash.h"

#include <utility>

namespace qb::platform {

BackgroundHash::BackgroundHash(std::unique_ptr<platform::Sha256> hash, platform::Process& process)
    : hash_(std::move(hash)), worker_(process.StartWorker([this] { Run(); })) {}

BackgroundHash::~BackgroundHash() {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
        queued_.clear();
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void BackgroundHash::Update(std::span<const std::uint8_t> bytes) {
    if (!worker_.joinable()) return hash_->Update(bytes);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return queued_.size() < kPieces || failure_; });
    if (failure_) return;  // Finish reports it
    std::vector<std::uint8_t> piece;
    if (!spare_.empty()) {
        piece = std::move(spare_.back());
        spare_.pop_back();
    }
    piece.assign(bytes.begin(), bytes.end());
    queued_.push_back(std::move(piece));
    changed_.notify_all();
}

platform::Sha256Digest BackgroundHash::Finish() {
    if (!worker_.joinable()) return hash_->Finish();
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return (queued_.empty() && !busy_) || failure_; });
        closing_ = true;
    }
    changed_.notify_all();
    worker_.join();
    if (failure_) std::rethrow_exception(failure_);
    return hash_->Finish();
}

void BackgroundHash::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return !queued_.empty() || closing_; });
        if (queued_.empty()) return;
        std::vector<std::uint8_t> piece = std::move(queued_.front());
        queued_.erase(queued_.begin());
        busy_ = true;
        lock.unlock();
        try {
            hash_->Update(piece);
        } catch (...) {
            lock.lock();
            failure_ = std::current_exception();
            busy_ = false;
            changed_.notify_all();
            return;
        }
        lock.lock();
        busy_ = false;
        spare_.push_back(std::move(piece));
        changed_.notify_all();
    }
}

}  // namespace qb::platform
