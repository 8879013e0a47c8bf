#pragma once
// Finds the UUE blocks in a text and rebuilds their files, in two passes over the same source:
// CheckText reads everything and finds the first problem before anything is written; DecodeText
// then hands each block's bytes to a sink, checking the same way as it goes.
//
// A block runs from "begin MODE NAME" to "end" (or "begin-base64 MODE NAME" to "===="); every
// other line outside a block is ignored. Lines end in CR LF, LF or CR, mixed, and are never held
// whole: a piece of the text at a time, and a bounded part of each line.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/JobProgress.h"
#include "uue/Frame.h"
#include "uue/KernelTable.h"
#include "uue/PartLines.h"

namespace qb::uue {

struct Piece {
    std::size_t size;       // bytes of text written
    std::uint64_t consumed; // bytes the source used up for them: what progress counts
};

// A text read in pieces, and from its start again for a second pass. Whatever its encoding, the
// scanner sees bytes in which lines are found: UTF-8, or the ANSI code page, whose double-byte
// characters never hold a CR or LF.
class TextSource {
public:
    virtual ~TextSource() = default;
    // The next bytes of the text; size 0 only at its end.
    virtual Piece Read(std::span<char> out) = 0;
    virtual void Rewind() = 0;
};

inline constexpr std::size_t kMaxBlocks = 100;  // besides kMaxParts parts

// Begin lines seen in the texts restored together before this one: the limits hold for all of
// them at once, not for each text alone.
struct BlockCounts {
    std::size_t blocks = 0;  // parts included
    std::size_t parts = 0;
};
inline constexpr std::size_t kPieceSize = 256 * 1024;

struct Block {
    std::wstring headerName;  // as the text gives it
    std::wstring fileName;    // what to restore it as, safe on Windows
    Format format = Format::kUu;
    std::uint64_t size = 0;       // decoded bytes
    std::uint64_t beginLine = 0;  // 1-based, counted from the text's first line
    std::uint64_t endLine = 0;    // its end or ==== line
    std::optional<PartMarker> part;  // the marker line right before it, if it is a part
    // Lines whose missing end was read as zeros (blanks a channel stripped, or a cut): the first
    // and how many.
    std::uint64_t firstFilledLine = 0;
    std::uint64_t filledLines = 0;
    // Of the block's lines as they were read: a file changed between two passes, even where each
    // line kept its length, gives another.
    std::uint64_t textDigest = 0;

    bool operator==(const Block&) const = default;
};

enum class ProblemKind {
    kNoBegin,        // no block at all
    kCut,            // the text ends, or another block begins, inside `blockName`
    kBadLine,        // `line` of `blockName` is damaged
    kTooManyBlocks,  // `blockCount` blocks, more than kMaxBlocks
    kUnreadableBegin,  // no block, but `line` looks like a begin line that no decoder reads
};

struct Problem {
    ProblemKind kind = ProblemKind::kNoBegin;
    std::wstring blockName;  // the name the block concerned would be restored under
    Format format = Format::kUu;
    std::uint64_t line = 0;  // of a cut, the line it was cut at
    std::size_t blockCount = 0;
    std::optional<PartMarker> part;  // of the block concerned, if it is a part
};

enum class Outcome { kOk, kProblem };

struct ScanResult {
    Outcome outcome = Outcome::kOk;
    std::vector<Block> blocks;  // every block, when the outcome is kOk
    Problem problem;            // when it is kProblem
    // The first line that looked like a begin line but could not be read, beside the blocks
    // that could: 0 for none.
    std::uint64_t unreadableBegin = 0;
};

// Receives the decoded blocks in order. Whatever it throws ends the pass and reaches the caller.
class DecodeSink {
public:
    virtual ~DecodeSink() = default;
    // `block` as far as its begin line and marker tell: no size or end yet.
    virtual void BeginBlock(std::size_t index, const Block& block) = 0;
    virtual void Write(std::span<const std::uint8_t> bytes) = 0;
    virtual void EndBlock() = 0;
};

// Both passes read `source` from its start, add the bytes it consumed to `progress` after each
// piece and throw platform::JobStopped as soon as a stop is requested.
ScanResult CheckText(TextSource& source, platform::JobProgress& progress,
                     FullLinesDecoder kernel = ChosenKernels().decoder.run);
// The same, counting on from `counted` and adding this text's begin lines to it.
ScanResult CheckText(TextSource& source, platform::JobProgress& progress, BlockCounts& counted,
                     FullLinesDecoder kernel = ChosenKernels().decoder.run);
ScanResult DecodeText(TextSource& source, DecodeSink& sink, platform::JobProgress& progress,
                      FullLinesDecoder kernel = ChosenKernels().decoder.run);

}  // namespace qb::uue
