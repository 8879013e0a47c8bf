#pragma once
// A SHA-256 worked out on a thread of its own, so that hashing a file runs beside decoding and
// writing it instead of after each piece: the hash is the slowest of the three. Where the system
// gives no thread, each piece is hashed as it comes.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "platform/Hash.h"
#include "platform/Process.h"

namespace qb::platform {

class BackgroundHash {
public:
    BackgroundHash(std::unique_ptr<Sha256> hash, Process& process);
    ~BackgroundHash();
    BackgroundHash(const BackgroundHash&) = delete;
    BackgroundHash& operator=(const BackgroundHash&) = delete;

    // Takes a copy of `bytes`; waits while a few pieces are still to be hashed.
    void Update(std::span<const std::uint8_t> bytes);
    // The digest of everything given; throws what the hash threw.
    Sha256Digest Finish();

private:
    void Run();

    static constexpr std::size_t kPieces = 4;
    std::unique_ptr<Sha256> hash_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::vector<std::uint8_t>> queued_;  // in order, oldest first
    std::vector<std::vector<std::uint8_t>> spare_;   // emptied pieces, their memory kept
    bool closing_ = false;
    bool busy_ = false;
    std::exception_ptr failure_;
    std::jthread worker_;  // last: it starts once everything above exists
};

}  // namespace qb::platform
