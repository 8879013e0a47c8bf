#pragma once
// Picks the fastest line kernel the CPU runs, once; tests and benchmarks can force another.

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

std::span<const Kernel> AvailableKernels();  // scalar first
void ForceKernel(std::string_view name);     // unknown names are ignored
std::string_view ActiveKernel();
LineKernel ChosenKernel();

}  // namespace qb::pipeline
