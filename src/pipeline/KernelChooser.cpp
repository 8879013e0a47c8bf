#include "pipeline/KernelChooser.h"

#include <cpuid.h>

#include <vector>

#include "pipeline/kernels/LineKernels.h"

namespace qb::pipeline {
namespace {

struct CpuSupport {
    bool ssse3 = false;
    bool avx2 = false;
    bool avx512vbmi = false;
};

// The instructions alone are not enough: the OS must also save the wider registers on a
// context switch, which XCR0 reports.
CpuSupport Probe() {
    CpuSupport cpu;
    unsigned a, b, c, d;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return cpu;
    cpu.ssse3 = c & bit_SSSE3;
    if (!(c & bit_OSXSAVE) || !(c & bit_AVX)) return cpu;

    unsigned xcr0Low, xcr0High;
    __asm__("xgetbv" : "=a"(xcr0Low), "=d"(xcr0High) : "c"(0));
    const bool ymmSaved = (xcr0Low & 0x06) == 0x06;  // SSE and AVX state
    const bool zmmSaved = (xcr0Low & 0xE6) == 0xE6;  // plus opmask and the upper ZMM halves
    if (!ymmSaved || !__get_cpuid_count(7, 0, &a, &b, &c, &d)) return cpu;
    cpu.avx2 = b & bit_AVX2;
    cpu.avx512vbmi = zmmSaved && (b & bit_AVX512F) && (b & bit_AVX512BW) && (c & bit_AVX512VBMI);
    return cpu;
}

// Slowest first, so the last entry is the one to use.
std::vector<Kernel> Runnable() {
    const CpuSupport cpu = Probe();
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
