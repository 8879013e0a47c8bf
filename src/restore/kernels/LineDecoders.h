#pragma once
// Decoders of runs of full UU lines: 'M', 60 characters, then the run's line end. The scalar one
// runs anywhere; each of the others lives in its own file built with only its own instruction set
// enabled, so call one only after the chooser has seen the CPU run it.

#include <cstddef>
#include <cstdint>

namespace qb::restore {

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

std::size_t ScalarFullLines(const char* in, std::size_t maxLines, LineEnd end, std::uint8_t* out,
                            bool& backtick);
std::size_t Ssse3FullLines(const char* in, std::size_t maxLines, LineEnd end, std::uint8_t* out,
                           bool& backtick);
std::size_t Avx2FullLines(const char* in, std::size_t maxLines, LineEnd end, std::uint8_t* out,
                          bool& backtick);

inline bool IsFullLineFrame(const char* line, LineEnd end) {
    return line[0] == 'M' && line[61] == end.first && (end.length == 1 || line[62] == end.second);
}

}  // namespace qb::restore
