#pragma once
// The full-line decoders this CPU runs, found once; the program uses the fastest, tests and
// benchmarks name the one they want.

#include <span>
#include <string_view>

#include "restore/kernels/LineDecoders.h"

namespace qb::restore {

struct DecodeKernel {
    std::string_view name;
    FullLinesDecoder run;
};

std::span<const DecodeKernel> AvailableDecodeKernels();  // slowest first
FullLinesDecoder FastestDecodeKernel();

}  // namespace qb::restore
