#include "platform/CpuFeatures.h"

#include <cpuid.h>

namespace qb::platform {
namespace {

// The instructions alone are not enough: the OS must also save the wider registers on a
// context switch, which XCR0 reports.
CpuFeatures Probe() {
    CpuFeatures cpu;
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

}  // namespace

const CpuFeatures& Cpu() {
    static const CpuFeatures cpu = Probe();
    return cpu;
}

}  // namespace qb::platform
