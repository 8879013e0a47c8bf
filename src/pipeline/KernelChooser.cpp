#include "pipeline/KernelChooser.h"

#include <vector>

#include "pipeline/kernels/LineKernels.h"
#include "platform/CpuFeatures.h"

namespace qb::pipeline {
namespace {

// Slowest first, so the last entry is the one to use.
std::vector<Kernel> Runnable() {
    const platform::CpuFeatures& cpu = platform::Cpu();
    std::vector<Kernel> kernels{{"scalar", &ScalarLines}};
    if (cpu.ssse3) kernels.push_back({"ssse3", &Ssse3Lines});
    if (cpu.avx2) kernels.push_back({"avx2", &Avx2Lines});
    if (cpu.avx512vbmi) kernels.push_back({"avx512vbmi", &Avx512VbmiLines});
    return kernels;
}

}  // namespace

std::span<const Kernel> AvailableKernels() {
    static const std::vector<Kernel> kernels = Runnable();
    return kernels;
}

LineKernel FastestKernel() { return AvailableKernels().back().run; }

}  // namespace qb::pipeline
