#pragma once
// The rules of a set of parts, one file cut into N: the place each part's bytes have in the file.
// Joining a text and gathering parts in the receiving window judge parts by these alone.

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "uue/PartLines.h"

namespace qb::relay {

// Where part K's bytes lie in its file.
struct Place {
    std::uint64_t at = 0;
    std::uint64_t length = 0;
    // Every part of its cutting but the last is this long.
    std::uint64_t stride = 0;
};

// The place of part `marker.part` when it holds `length` bytes, or nothing when no cutting the
// encoding road makes could give it: every part but the last of one length P, a multiple of 45 up
// to kMaxPartBytes, the last of the rest (1 to P bytes), the file at most kMaxInputSize.
std::optional<Place> PlaceOf(const uue::PartMarker& marker, std::uint64_t length);

// The parts of one set in hand: each part once, every one from the same cutting.
class PartsInHand {
public:
    explicit PartsInHand(const uue::PartMarker& set) : set_(set) {}
    bool Has(std::uint32_t part) const { return places_.contains(part); }
    // Takes part `part` of `length` bytes if it fits beside the parts in hand and returns its
    // place; nothing where it cannot be part of this file (damaged on the way, or lying).
    std::optional<Place> Take(std::uint32_t part, std::uint64_t length);
    std::uint32_t Count() const { return static_cast<std::uint32_t>(places_.size()); }
    bool Complete() const { return places_.size() == set_.count; }
    // The lowest part not in hand, 0 when none is missing.
    std::uint32_t FirstMissing() const;
    // The first `most` parts not in hand, in order.
    std::vector<std::uint32_t> Missing(std::size_t most) const;
    // In order of their place in the file.
    const std::map<std::uint32_t, Place>& Places() const { return places_; }

private:
    uue::PartMarker set_;
    std::map<std::uint32_t, Place> places_;  // only what came: never sized by a claimed count
};

}  // namespace qb::relay
