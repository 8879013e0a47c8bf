#pragma once
// The UU body of a file: whole 45-byte lines through the chosen kernel, then the last line.

#include <cstddef>
#include <cstdint>
#include <span>

#include "uue/Format.h"
#include "uue/KernelTable.h"

namespace qb::uue {

// Exact size of the body for `size` input bytes (size >= 1).
constexpr std::size_t EncodedBodySize(std::size_t size) {
    const std::size_t groups = (size - 1) / 3 + 1;
    return groups * 4 + ((groups - 1) / kGroupsPerLine + 1) * 3;
}

// Encodes all of `input` (at least one byte) into `out`, which must be exactly
// EncodedBodySize(input.size()) bytes; throws std::length_error before writing anything if it
// is not. Reads nothing outside `input`. The whole lines go through `kernel`.
void EncodeLines(std::span<const std::uint8_t> input, std::span<char> out,
                 LineEncoder kernel = ChosenKernels().encoder.run);

}  // namespace qb::uue
