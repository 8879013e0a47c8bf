#pragma once
// The line kernels this CPU runs, found once; the program uses the fastest, tests and benchmarks
// name the one they want.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace qb::pipeline {

// Encodes `lineCount` whole 45-byte lines into 63 characters each.
using LineKernel = void (*)(const std::uint8_t* in, std::size_t lineCount, char* out);

struct Kernel {
    std::string_view name;
    LineKernel run;
};

std::span<const Kernel> AvailableKernels();  // slowest first: scalar, then wider and wider
LineKernel FastestKernel();

}  // namespace qb::pipeline
