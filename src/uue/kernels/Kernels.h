#pragma once
// The per-CPU loops of both directions, over whole lines only; the heads and tails are shared
// scalar code. The scalar kernels run anywhere; each of the others lives in its own file built
// with only its own instruction set enabled, so only the kernel table calls them, and only after
// it has seen the CPU run them.

#include <cstddef>
#include <cstdint>

#include "uue/Format.h"

namespace qb::uue {

// Encodes `lineCount` whole 45-byte lines into 63 characters each, CR LF included.
using LineEncoder = void (*)(const std::uint8_t* in, std::size_t lineCount, char* out);

// CR LF, LF or CR: the same after every line of a run.
struct LineEnd {
    unsigned length;  // 1 or 2
    char first;
    char second;
};

// Decodes at most `maxLines` lines of 61 + end.length bytes from `in` into 45 bytes each, and
// stops before the first that is not a full line with every character in ' '..'`' and `end` after
// it. Returns the lines decoded; sets `backtick` when one of them holds a '`'. Reads nothing
// outside those lines; writes nothing outside out[0, 45 * maxLines).
using FullLinesDecoder = std::size_t (*)(const char* in, std::size_t maxLines, LineEnd end,
                                         std::uint8_t* out, bool& backtick);

void ScalarEncode(const std::uint8_t* in, std::size_t lineCount, char* out);
void Ssse3Encode(const std::uint8_t* in, std::size_t lineCount, char* out);
void Avx2Encode(const std::uint8_t* in, std::size_t lineCount, char* out);
void Avx512VbmiEncode(const std::uint8_t* in, std::size_t lineCount, char* out);

std::size_t ScalarDecode(const char* in, std::size_t maxLines, LineEnd end, std::uint8_t* out,
                         bool& backtick);
std::size_t Ssse3Decode(const char* in, std::size_t maxLines, LineEnd end, std::uint8_t* out,
                        bool& backtick);
std::size_t Avx2Decode(const char* in, std::size_t maxLines, LineEnd end, std::uint8_t* out,
                       bool& backtick);

inline bool IsFullLineFrame(const char* line, LineEnd end) {
    return line[0] == kFullLineCount && line[kFullLineChars] == end.first &&
           (end.length == 1 || line[kFullLineChars + 1] == end.second);
}

}  // namespace qb::uue
