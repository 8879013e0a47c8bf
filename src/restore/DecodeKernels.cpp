#include "restore/DecodeKernels.h"

#include <vector>

#include "platform/CpuFeatures.h"

namespace qb::restore {
namespace {

std::vector<DecodeKernel> Runnable() {
    const platform::CpuFeatures& cpu = platform::Cpu();
    std::vector<DecodeKernel> kernels{{"scalar", &ScalarFullLines}};
    if (cpu.ssse3) kernels.push_back({"ssse3", &Ssse3FullLines});
    if (cpu.avx2) kernels.push_back({"avx2", &Avx2FullLines});
    return kernels;
}

}  // namespace

std::span<const DecodeKernel> AvailableDecodeKernels() {
    static const std::vector<DecodeKernel> kernels = Runnable();
    return kernels;
}

FullLinesDecoder FastestDecodeKernel() { return AvailableDecodeKernels().back().run; }

}  // namespace qb::restore
