#pragma once
// Where the decoding pass puts each block: into the file set and a SHA-256 of it, in the same
// pass, each file's size and digest kept for the outcome.

#include <cstdint>
#include <exception>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "restore/BackgroundHash.h"
#include "restore/Destination.h"
#include "uue/TextScanner.h"

namespace qb::restore {

// The decoding pass met other blocks than the check found: a file changed between the two.
struct TextChanged : std::exception {};

class RestoreSink final : public uue::DecodeSink {
public:
    RestoreSink(platform::Platform& p, platform::FileSetWriter& writer, const Destination& where)
        : p_(p), writer_(writer), where_(where) {}

    void BeginBlock(std::size_t index) override;
    void Write(std::span<const std::uint8_t> bytes) override;
    void EndBlock() override;

    const std::vector<std::uint64_t>& Sizes() const { return sizes_; }
    const std::vector<platform::Sha256Digest>& Digests() const { return digests_; }

private:
    platform::Platform& p_;
    platform::FileSetWriter& writer_;
    const Destination& where_;
    std::wstring writing_;  // the report of a failed write, worded once a file
    std::uint64_t size_ = 0;
    std::unique_ptr<BackgroundHash> hash_;
    std::vector<std::uint64_t> sizes_;
    std::vector<platform::Sha256Digest> digests_;
};

}  // namespace qb::restore
