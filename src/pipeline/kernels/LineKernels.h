#pragma once
// Whole-line encoders for particular instruction sets. Each lives in its own file built with
// only its own instruction set enabled; call one only after the chooser has seen the CPU run it.

#include <cstddef>
#include <cstdint>

namespace qb::pipeline {

// Whether `lineCount` lines make enough output to be worth non-temporal stores.
bool StreamsOutput(std::size_t lineCount);

// Runs `kernel` into a staging buffer that stays in L1 and copies that out with non-temporal
// stores; same contract as the kernel itself.
void StreamLines(void (*kernel)(const std::uint8_t*, std::size_t, char*), const std::uint8_t* in,
                 std::size_t lineCount, char* out);

void Ssse3Lines(const std::uint8_t* in, std::size_t lineCount, char* out);
void Avx2Lines(const std::uint8_t* in, std::size_t lineCount, char* out);
void Avx512VbmiLines(const std::uint8_t* in, std::size_t lineCount, char* out);

}  // namespace qb::pipeline
