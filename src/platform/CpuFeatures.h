#pragma once
// What the CPU can run, probed once: both the encoder and the decoder choose their kernels by it.

namespace qb::platform {

struct CpuFeatures {
    bool ssse3 = false;
    bool avx2 = false;
    bool avx512vbmi = false;
};

const CpuFeatures& Cpu();

}  // namespace qb::platform
