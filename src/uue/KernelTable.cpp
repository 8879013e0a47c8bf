#include "uue/KernelTable.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "platform/CpuFeatures.h"

namespace qb::uue {
namespace {

using platform::CpuFeatures;

struct Row {
    std::string_view name;
    bool CpuFeatures::*needs;  // null: runs anywhere
    LineEncoder encode;        // null: this level has no kernel of its own in that direction
    FullLinesDecoder decode;
};

// Slowest first.
constexpr Row kRows[] = {
    {"scalar", nullptr, &ScalarEncode, &ScalarDecode},
    {"ssse3", &CpuFeatures::ssse3, &Ssse3Encode, &Ssse3Decode},
    {"avx2", &CpuFeatures::avx2, &Avx2Encode, &Avx2Decode},
    {"avx512vbmi", &CpuFeatures::avx512vbmi, &Avx512VbmiEncode, nullptr},
};

bool Runs(const Row& row) { return row.needs == nullptr || platform::Cpu().*row.needs; }

template <class Run>
std::vector<Named<Run>> Runnable(Run Row::*run) {
    std::vector<Named<Run>> kernels;
    for (const Row& row : kRows)
        if (Runs(row) && row.*run) kernels.push_back({row.name, row.*run});
    return kernels;
}

Kernels Fastest() { return KernelsAtOrBelow(std::end(kRows)[-1].name); }

}  // namespace

std::span<const NamedEncoder> RunnableEncoders() {
    static const std::vector<NamedEncoder> kernels = Runnable(&Row::encode);
    return kernels;
}

std::span<const NamedDecoder> RunnableDecoders() {
    static const std::vector<NamedDecoder> kernels = Runnable(&Row::decode);
    return kernels;
}

Kernels KernelsAtOrBelow(std::string_view level) {
    const Row& scalar = kRows[0];
    Kernels chosen{{scalar.name, scalar.encode}, {scalar.name, scalar.decode}};
    if (std::ranges::none_of(kRows, [&](const Row& row) { return row.name == level; }))
        return chosen;
    for (const Row& row : kRows) {
        if (Runs(row)) {
            if (row.encode) chosen.encoder = {row.name, row.encode};
            if (row.decode) chosen.decoder = {row.name, row.decode};
        }
        if (row.name == level) break;
    }
    return chosen;
}

const Kernels& ChosenKernels() {
#ifdef QB_KERNEL_FROM_ENVIRONMENT
    static const Kernels chosen = [] {
        const char* level = std::getenv("QB_KERNEL");
        return level && *level ? KernelsAtOrBelow(level) : Fastest();
    }();
#else
    static const Kernels chosen = Fastest();
#endif
    return chosen;
}

}  // namespace qb::uue
