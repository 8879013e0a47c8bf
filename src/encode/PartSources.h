#pragma once
// A file sent in parts that each fit the channel's limit: every part an ordinary UUE block of a
// slice of the file with its marker line, so that any decoder reads each one. The parts window
// takes them from a PartSource one at a time.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "uue/PartLines.h"

namespace qb::encode {

struct PartLayout {
    std::wstring name;         // the file's own name
    std::string headerName;    // as its begin lines carry it, in the ANSI code page
    std::uint64_t limit = 0;   // characters a part may take
    std::uint32_t count = 0;
    std::uint64_t partBytes = 0;  // every part's but the last
    uue::PartMarker marker;    // count, size and name; each part its number, the digest later
};

// The parts of a file of `size` bytes for a limit of `limit` characters (0: never cut), or
// nothing when the whole text fits. A limit too small for one line, or one that needs more than
// 9,999 parts, is a WordedFailure (kTooLarge, exclamation icon).
std::optional<PartLayout> LayOutParts(std::uint64_t size, std::wstring_view name, std::uint64_t limit);

// Part `part`'s text (from 1), its body encoded from `bytes`, the slice of the file it carries.
std::string EncodePart(const PartLayout& layout, std::uint32_t part, std::span<const std::uint8_t> bytes);

// The parts of a file, for the window that puts them on the clipboard one at a time.
class PartSource {
public:
    virtual ~PartSource() = default;
    virtual std::uint32_t Count() const = 0;
    // The whole file's, which the other end's answers name.
    virtual platform::Sha256Digest Sha256() const = 0;
    // Part `part` (from 1) as it goes on the clipboard: ANSI text, no line end after its
    // trailer. Throws platform::Error when it cannot be read back (a side file gone).
    virtual std::string Text(std::uint32_t part) = 0;
};

// The parts of a file read whole, for the clipboard road.
class PartsInMemory final : public PartSource {
public:
    PartsInMemory(PartLayout layout, std::vector<std::uint8_t> bytes)
        : layout_(std::move(layout)), bytes_(std::move(bytes)) {}
    std::uint32_t Count() const override { return layout_.count; }
    platform::Sha256Digest Sha256() const override { return layout_.marker.sha256; }
    std::string Text(std::uint32_t part) override;

private:
    PartLayout layout_;
    std::vector<std::uint8_t> bytes_;
};

// The parts of a side file, read back from it one at a time: where each starts, and its length
// without the line end that follows it there.
class PartsInSideFile final : public PartSource {
public:
    PartsInSideFile(platform::Files& files, std::wstring path) : files_(files), path_(std::move(path)) {}
    std::uint32_t Count() const override { return static_cast<std::uint32_t>(spans_.size()); }
    platform::Sha256Digest Sha256() const override { return sha256_; }
    std::string Text(std::uint32_t part) override;
    void Add(std::uint64_t at, std::uint64_t length) { spans_.push_back({at, length}); }
    void SetSha256(const platform::Sha256Digest& digest) { sha256_ = digest; }

private:
    struct Span {
        std::uint64_t at, length;
    };
    platform::Files& files_;
    std::wstring path_;
    std::vector<Span> spans_;
    platform::Sha256Digest sha256_{};
};

// What the encoding road leaves to show: a file sent in parts, which the parts window puts on
// the clipboard (on the clipboard road none of them is there yet).
struct PartsToShow {
    std::wstring name;
    std::uint64_t limit = 0;
    std::unique_ptr<PartSource> parts;
    // From 10 MiB the side file holds them, and the window names it instead of any box: its
    // name (NAME.uue); empty on the clipboard road.
    std::wstring sideFile;
};

}  // namespace qb::encode
