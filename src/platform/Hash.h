#pragma once
// SHA-256 as the system computes it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace qb::platform {

inline constexpr std::size_t kSha256Bytes = 32;
using Sha256Digest = std::array<std::uint8_t, kSha256Bytes>;

class Sha256 {
public:
    virtual ~Sha256() = default;
    virtual void Update(std::span<const std::uint8_t> bytes) = 0;
    // The digest of everything given to Update. Call it once; the object is spent afterwards.
    virtual Sha256Digest Finish() = 0;
};

class Hashing {
public:
    virtual ~Hashing() = default;
    // Throws Error when the system has no SHA-256 to give.
    virtual std::unique_ptr<Sha256> NewSha256() = 0;
};

}  // namespace qb::platform
