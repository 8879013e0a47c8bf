#include "relay/SetRules.h"

#include "uue/Format.h"

namespace qb::relay {

std::optional<Place> PlaceOf(const uue::PartMarker& m, std::uint64_t length) {
    const std::uint64_t count = m.count, size = m.size;
    if (m.part == 0 || m.part > count || length == 0 || length > size || size > uue::kMaxInputSize)
        return std::nullopt;
    if (count == 1) {
        if (length != size || length > uue::kMaxPartBytes) return std::nullopt;
        return Place{0, length, length};
    }
    // The last part says P only through what the others must hold.
    std::uint64_t stride = length;
    if (m.part == count) {
        if ((size - length) % (count - 1) != 0) return std::nullopt;
        stride = (size - length) / (count - 1);
    }
    if (stride == 0 || stride % uue::kBytesPerLine != 0 || stride > uue::kMaxPartBytes ||
        (count - 1) * stride >= size || size - (count - 1) * stride > stride)
        return std::nullopt;
    return Place{(m.part - 1) * stride, length, stride};
}

std::optional<Place> PartsInHand::Take(std::uint32_t part, std::uint64_t length) {
    uue::PartMarker marker = set_;
    marker.part = part;
    const auto place = PlaceOf(marker, length);
    if (!place || places_.contains(part) ||
        (!places_.empty() && places_.begin()->second.stride != place->stride))
        return std::nullopt;
    places_.emplace(part, *place);
    return place;
}

std::uint32_t PartsInHand::FirstMissing() const {
    const auto missing = Missing(1);
    return missing.empty() ? 0 : missing[0];
}

std::vector<std::uint32_t> PartsInHand::Missing(std::size_t most) const {
    std::vector<std::uint32_t> missing;
    std::uint32_t k = 1;
    for (auto it = places_.begin(); k <= set_.count && missing.size() < most; ++k) {
        if (it != places_.end() && it->first == k) ++it;
        else missing.push_back(k);
    }
    return missing;
}

}  // namespace qb::relay
