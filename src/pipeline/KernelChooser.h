#pragma once
#include "pipeline/UuEncoder.h"

namespace qb::pipeline {

void ScalarLines(const std::uint8_t* in, std::size_t lineCount, char* out);
LineKernel ChosenKernel();

// Output this large is far beyond any one core's share of the last-level cache. It is not read
// back soon, and ordinary stores would first fetch each of its cache lines from memory, so it
// goes out with non-temporal stores instead.
inline constexpr std::size_t kStreamingOutputBytes = std::size_t{64} << 20;

// Runs `kernel` into a staging buffer that stays in L1 and copies that out with non-temporal
// stores; same contract as the kernel itself.
void StreamLines(LineKernel kernel, const std::uint8_t* in, std::size_t lineCount, char* out);

}  // namespace qb::pipeline
