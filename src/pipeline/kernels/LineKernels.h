#pragma once
// Whole-line encoders for particular instruction sets. Each lives in its own file built with
// only its own instruction set enabled; call one only after the chooser has seen the CPU run it.

#include <cstddef>
#include <cstdint>

namespace qb::pipeline {

void Ssse3Lines(const std::uint8_t* in, std::size_t lineCount, char* out);
void Avx2Lines(const std::uint8_t* in, std::size_t lineCount, char* out);
void Avx512VbmiLines(const std::uint8_t* in, std::size_t lineCount, char* out);

}  // namespace qb::pipeline
