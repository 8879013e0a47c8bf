#pragma once
// Size rules of one encode job.

#include <cstdint>

#include "uue/Format.h"

namespace qb::encode {

inline constexpr std::uint64_t kClipboardLimit = 10'485'760;  // from this size on: side file
inline constexpr std::uint64_t kAskAbove = 20'000'000;        // above this size: ask first

using uue::kMaxInputSize;

}  // namespace qb::encode
