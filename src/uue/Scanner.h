#pragma once
// The scanner behind CheckText and DecodeText: one pass over a text, a piece at a time. Its line
// handling is in TextScanner.cpp, what each line of a block means in BlockLines.cpp.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "uue/Format.h"
#include "uue/Frame.h"
#include "uue/TextScanner.h"

namespace qb::uue {

inline constexpr std::size_t kOutSize = 4096 * kBytesPerLine;  // decoded bytes gathered before the sink gets them

class Scanner {
public:
    Scanner(TextSource& source, DecodeSink* sink, platform::JobProgress& progress,
            FullLinesDecoder kernel, BlockCounts before = {})
        : source_(source), sink_(sink), progress_(progress), kernel_(kernel), before_(before),
          out_(new std::uint8_t[kOutSize]) {}

    ScanResult Run();
    BlockCounts Counted() const { return {before_.blocks + blockCount_, before_.parts + partCount_}; }

private:
    enum class State { kOutside, kUu, kBase64, kCounting };

    const char* ContinueLong(const char* p, const char* end);
    const char* FullLines(const char* p, const char* end);
    bool OnLine(const Line& line);
    bool OnUuLine(const Line& line);
    bool OnBase64Line(const Line& line);
    // Base64 characters of one line, or of a piece of a long one: groups run across line ends.
    void Base64Chars(std::string_view chars);
    // The line without the block's prefix; false where it lacks it (damage) and `empty` where it
    // is only the prefix's quote marks, which a mail program may leave of a quoted empty line.
    bool StripPrefix(Line& line, bool& empty) const;
    void StartBlock(BeginLine begin, const std::string& marker);
    bool EndBlock();
    void Emit(const std::uint8_t* bytes, std::size_t n);
    // Adds text of the open block to its digest.
    void Digest(const char* p, std::size_t n);
    void Flush();
    bool Bad() {
        pendingBad_ = lineNo_;
        return true;
    }
    bool Fail(ProblemKind kind, std::uint64_t line);
    bool FastPathOpen() const {
        return state_ == State::kUu && !closed_ && !lastShort_ && pendingBad_ == 0 && prefix_.empty();
    }

    TextSource& source_;
    DecodeSink* sink_;
    platform::JobProgress& progress_;
    FullLinesDecoder kernel_;
    BlockCounts before_;  // of the texts before this one

    std::uint64_t lineNo_ = 0;  // the line last begun
    bool skipLf_ = false;       // the last line ended in CR: an LF now belongs to it
    // A line longer than kHead, being read on.
    bool inLong_ = false;
    std::string longHead_;
    bool longBeyond_ = false;
    bool keepTail_ = false;
    std::string tail_;
    bool streamBase64_ = false;  // the long line is Base64 data, fed on as it comes

    State state_ = State::kOutside;
    std::size_t blockCount_ = 0;  // of this text
    std::size_t partCount_ = 0;
    // The last line with text outside a block, if it may be a part's marker; a long one whole up
    // to kMaxMarkerChars.
    std::string markerLine_;
    bool keepMarker_ = false;
    std::vector<Block> blocks_;
    Block block_;
    // Of the open block.
    bool hasBacktick_ = false;
    bool closed_ = false;     // its zero-count line has come
    bool lastShort_ = false;  // its last data line held fewer than kBytesPerLine bytes
    std::uint64_t firstShortLine_ = 0;
    std::uint64_t firstDotLine_ = 0;  // a line starting ".." that may or may not be stuffed
    std::uint64_t pendingBad_ = 0;  // a damaged line, unless the block turns out cut there
    bool base64Done_ = false;
    std::string prefix_;       // every line of the block starts with it
    std::string quoteMarks_;   // its '>' characters alone
    std::uint8_t group_[4] = {};  // a Base64 group, across line ends
    unsigned groupSize_ = 0;
    unsigned padding_ = 0;
    std::uint64_t unreadableBegin_ = 0;  // the first line that looked like a begin line but was not

    // The open block's digest: its two sums, and the bytes not yet a whole word.
    std::uint64_t digestSum_ = 0;
    std::uint64_t digestSums_ = 0;
    std::uint64_t digestWord_ = 0;
    unsigned digestBytes_ = 0;

    std::unique_ptr<std::uint8_t[]> out_;  // left uninitialised: only what is decoded is read
    std::size_t outAt_ = 0;
    ScanResult result_;
};

}  // namespace qb::uue
