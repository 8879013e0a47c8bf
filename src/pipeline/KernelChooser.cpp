#include "pipeline/KernelChooser.h"

#include <array>

namespace qb::pipeline {
namespace {

const std::array<Kernel, 1> kKernels{{{"scalar", &ScalarLines}}};

std::size_t& ActiveIndex() {
    static std::size_t index = AvailableKernels().size() - 1;  // the last one is the fastest
    return index;
}

}  // namespace

std::span<const Kernel> AvailableKernels() { return kKernels; }

void ForceKernel(std::string_view name) {
    const auto kernels = AvailableKernels();
    for (std::size_t i = 0; i < kernels.size(); ++i)
        if (kernels[i].name == name) ActiveIndex() = i;
}

std::string_view ActiveKernel() { return AvailableKernels()[ActiveIndex()].name; }

LineKernel ChosenKernel() { return AvailableKernels()[ActiveIndex()].run; }

}  // namespace qb::pipeline
