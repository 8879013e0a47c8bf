#pragma once
// The UU body: 45 input bytes per line, each line "length char" + 4 chars per 3 bytes + CR LF.
// The value 0 is written as "`", never as a space, so the text survives trailing-space trimming.

#include <cstddef>
#include <cstdint>
#include <span>

#include "pipeline/KernelChooser.h"

namespace qb::pipeline {

inline constexpr int kBytesPerLine = 45;
inline constexpr int kGroupsPerLine = kBytesPerLine / 3;
inline constexpr int kCharsPerFullLine = 1 + 4 * kGroupsPerLine + 2;  // "M", data, CR LF

// Exact size of the body for `size` input bytes (size >= 1).
constexpr std::size_t EncodedBodySize(std::size_t size) {
    const std::size_t groups = (size - 1) / 3 + 1;
    return groups * 4 + ((groups - 1) / 15 + 1) * 3;
}

// Encodes all of `input` (at least one byte) into `out`, which must be exactly
// EncodedBodySize(input.size()) bytes; throws std::length_error before writing anything if it
// is not. Reads nothing outside `input`. The whole lines go through `kernel`.
void EncodeLines(std::span<const std::uint8_t> input, std::span<char> out,
                 LineKernel kernel = FastestKernel());

}  // namespace qb::pipeline
