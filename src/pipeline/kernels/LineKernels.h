#pragma once
// Encoders of whole 45-byte lines, 63 characters each with CR LF. The scalar one runs anywhere;
// each of the others lives in its own file built with only its own instruction set enabled, so
// call one only after the chooser has seen the CPU run it.

#include <cstddef>
#include <cstdint>

namespace qb::pipeline {

void ScalarLines(const std::uint8_t* in, std::size_t lineCount, char* out);
void Ssse3Lines(const std::uint8_t* in, std::size_t lineCount, char* out);
void Avx2Lines(const std::uint8_t* in, std::size_t lineCount, char* out);
void Avx512VbmiLines(const std::uint8_t* in, std::size_t lineCount, char* out);

}  // namespace qb::pipeline
