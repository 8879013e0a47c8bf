#pragma once
#include "pipeline/UuEncoder.h"

namespace qb::pipeline {

void ScalarLines(const std::uint8_t* in, std::size_t lineCount, char* out);
LineKernel ChosenKernel();

// Output this large is far beyond any one core's share of the last-level cache. It is not read
// back soon, and ordinary stores would first fetch each of its cache lines from memory, so the
// SIMD kernels write it with non-temporal stores instead. Tests lower the threshold to reach
// those paths with small inputs.
inline constexpr std::size_t kDefaultStreamingOutputBytes = std::size_t{64} << 20;
void SetStreamingOutputBytes(std::size_t bytes);

}  // namespace qb::pipeline
