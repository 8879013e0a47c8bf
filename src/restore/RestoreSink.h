#pragma once
// Where the decoding pass puts each block: an ordinary one into the file set and a SHA-256 of it,
// in the same pass; a part into a scratch file, joined with the rest of its set once the pass is
// through, unless the text is one set in order, whose parts go straight into their file. Each
// file's size and digest are kept for the outcome.

#include <cstdint>
#include <exception>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/BackgroundHash.h"
#include "restore/Destination.h"
#include "restore/Joining.h"
#include "uue/TextScanner.h"

namespace qb::restore {

// The decoding pass met other blocks than the check found: a file changed between the two.
struct TextChanged : std::exception {};

class RestoreSink final : public uue::DecodeSink {
public:
    RestoreSink(platform::Platform& p, platform::FileSetWriter& writer, const Destination& where,
                const Plan& plan, const std::vector<uue::Block>& blocks);

    void BeginBlock(std::size_t index, const uue::Block& block) override;
    void Write(std::span<const std::uint8_t> bytes) override;
    void EndBlock() override;
    // Once the pass is through: each set joined, after the ordinary files.
    void JoinSets();

    // Of each file, in the order of the plan and the destination's names.
    const std::vector<std::uint64_t>& Sizes() const { return sizes_; }
    const std::vector<platform::Sha256Digest>& Digests() const { return digests_; }

private:
    platform::Platform& p_;
    platform::FileSetWriter& writer_;
    const Destination& where_;
    const Plan& plan_;
    const std::vector<uue::Block>& blocks_;
    std::vector<std::size_t> fileOf_;  // of an ordinary block, its file
    bool direct_;  // one set in order: its parts straight into the file
    std::size_t block_ = 0;
    std::wstring writing_;  // the report of a failed write, worded once a file
    std::uint64_t size_ = 0;
    std::unique_ptr<platform::BackgroundHash> hash_;
    std::unique_ptr<platform::ScratchFile> scratch_;  // the parts, as they came
    std::vector<PartBytes> parts_;
    std::vector<std::uint64_t> sizes_;
    std::vector<platform::Sha256Digest> digests_;
};

}  // namespace qb::restore
