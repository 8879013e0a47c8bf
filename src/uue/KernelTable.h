#pragma once
// The kernels of both directions, a row per instruction set, and the pair the program runs,
// found once from the CPU's features. Builds for tests and benchmarks (QB_KERNEL_FROM_ENVIRONMENT)
// also read QB_KERNEL (scalar, ssse3, avx2, avx512vbmi): each direction then runs its best kernel
// at or below that level, since the two directions do not have the same kernels, and never one
// the CPU lacks.

#include <span>
#include <string_view>

#include "uue/kernels/Kernels.h"

namespace qb::uue {

template <class Run>
struct Named {
    std::string_view name;
    Run run;
};
using NamedEncoder = Named<LineEncoder>;
using NamedDecoder = Named<FullLinesDecoder>;

struct Kernels {
    NamedEncoder encoder;
    NamedDecoder decoder;
};

// Every kernel of a direction this CPU runs, slowest first.
std::span<const NamedEncoder> RunnableEncoders();
std::span<const NamedDecoder> RunnableDecoders();

// The best kernel of each direction at or below `level` that this CPU runs; an unknown level
// gives the scalar ones.
Kernels KernelsAtOrBelow(std::string_view level);

// The pair the program runs: the fastest, or the one the environment names in a test build.
const Kernels& ChosenKernels();

}  // namespace qb::uue
