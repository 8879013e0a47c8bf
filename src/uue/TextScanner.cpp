#include "uue/TextScanner.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/Failure.h"
#include "uue/Scanner.h"

namespace qb::uue {

ScanResult Scanner::Run() {
    source_.Rewind();
    const std::unique_ptr<char[]> buf(new char[kHead + kPieceSize]);
    std::size_t carry = 0;
    for (;;) {
        const Piece piece = source_.Read({buf.get() + carry, kPieceSize});
        progress_.Add(piece.consumed);
        if (progress_.StopRequested()) throw platform::JobStopped{};
        const char* p = buf.get();
        const char* const end = p + carry + piece.size;
        carry = 0;
        if (piece.size == 0) {
            // The last line has no line end.
            bool going = true;
            if (inLong_) {
                inLong_ = false;
                ++lineNo_;
                going = OnLine({longHead_, longBeyond_, tail_});
            } else if (end > p) {
                ++lineNo_;
                going = OnLine({{p, static_cast<std::size_t>(end - p)}, false, {}});
            }
            if (going) {
                if (pendingBad_ != 0 || state_ == State::kUu || state_ == State::kBase64)
                    Fail(ProblemKind::kCut, 0);
                else if (state_ == State::kCounting)
                    Fail(ProblemKind::kTooManyBlocks, 0);
                else if (blockCount_ == 0 && unreadableBegin_ != 0)
                    Fail(ProblemKind::kUnreadableBegin, unreadableBegin_);
                else if (blockCount_ == 0)
                    Fail(ProblemKind::kNoBegin, 0);
                else
                    result_.blocks = std::move(blocks_), result_.unreadableBegin = unreadableBegin_;
            }
            return std::move(result_);
        }
        if (inLong_) p = ContinueLong(p, end);
        while (p < end && result_.outcome == Outcome::kOk) {
            if (skipLf_) {
                skipLf_ = false;
                if (*p == '\n') {
                    ++p;
                    continue;
                }
            }
            if (FastPathOpen()) {
                p = FullLines(p, end);
                if (p == end || skipLf_) continue;
            }
            const char* limit = p + std::min<std::size_t>(kHead, static_cast<std::size_t>(end - p));
            const char* e = p;
            while (e < limit && *e != '\n' && *e != '\r') ++e;
            if (e < limit) {
                ++lineNo_;
                skipLf_ = *e == '\r';
                if (!OnLine({{p, static_cast<std::size_t>(e - p)}, false, {}})) break;
                p = e + 1;
            } else if (e - p == static_cast<std::ptrdiff_t>(kHead)) {
                inLong_ = true;
                longBeyond_ = false;
                tail_.clear();
                streamBase64_ = state_ == State::kBase64 && pendingBad_ == 0;
                if (streamBase64_) {
                    // Base64 on one line of any length (base64 -w0, a browser's btoa), never
                    // held whole: its line number is counted now, its characters as they come.
                    ++lineNo_;
                    Digest(p, kHead);
                    Line head{{p, kHead}, false, {}};
                    bool empty = false;
                    if (StripPrefix(head, empty)) Base64Chars(head.head);
                    else Bad();
                } else {
                    const bool outside = state_ == State::kOutside || state_ == State::kCounting;
                    const std::size_t glued = outside ? GluedToTrailer({p, kHead}) : 0;
                    longHead_.assign(p + glued, kHead - glued);
                    keepTail_ = MayBeBegin(longHead_);
                    keepMarker_ = state_ == State::kOutside && longHead_.starts_with(kMarkerStart);
                    if (keepMarker_) markerLine_ = longHead_;
                    else if (state_ == State::kOutside) markerLine_.clear();
                }
                p = ContinueLong(p + kHead, end);
            } else {
                carry = static_cast<std::size_t>(end - p);
                std::memmove(buf.get(), p, carry);
                break;
            }
        }
        if (result_.outcome != Outcome::kOk) return std::move(result_);
    }
}

// Reads on in a line longer than kHead; ends it at its line end, if that is before `end`.
const char* Scanner::ContinueLong(const char* p, const char* end) {
    const char* e = p;
    if (streamBase64_) {
        while (e < end && *e != '\n' && *e != '\r') ++e;
        Digest(p, static_cast<std::size_t>(e - p));
        Base64Chars({p, static_cast<std::size_t>(e - p)});
        if (e == end) return end;
        inLong_ = streamBase64_ = false;
        skipLf_ = *e == '\r';
        return e + 1;
    }
    while (e < end && *e != '\n' && *e != '\r') {
        if (!IsBlank(*e)) longBeyond_ = true;
        ++e;
    }
    if (keepMarker_) {
        // One character past the longest marker is enough to refuse it.
        markerLine_.append(p, std::min(static_cast<std::size_t>(e - p),
                                       kMaxMarkerChars + 1 - std::min(markerLine_.size(), kMaxMarkerChars + 1)));
        if (e != end) keepMarker_ = false;
    }
    if (keepTail_) {
        tail_.append(p, static_cast<std::size_t>(e - p));
        if (tail_.size() > kTail) tail_.erase(0, tail_.size() - kTail);
    }
    if (e == end) return end;
    inLong_ = false;
    ++lineNo_;
    skipLf_ = *e == '\r';
    OnLine({longHead_, longBeyond_, tail_});
    return e + 1;
}

// Runs of full lines through the kernel, as long as they come and there is room for their bytes.
const char* Scanner::FullLines(const char* p, const char* end) {
    while (end - p >= static_cast<std::ptrdiff_t>(kFullLineCrLf) && p[0] == kFullLineCount) {
        const char after = p[kFullLineChars];
        LineEnd lineEnd;
        if (after == '\r' && p[kFullLineChars + 1] == '\n') lineEnd = {2, '\r', '\n'};
        else if (after == '\n' || after == '\r') lineEnd = {1, after, 0};
        else break;
        const std::size_t stride = kFullLineChars + lineEnd.length;
        if (outAt_ + kBytesPerLine > kOutSize) Flush();
        const std::size_t room = (kOutSize - outAt_) / kBytesPerLine;
        const std::size_t lines = std::min(static_cast<std::size_t>(end - p) / stride, room);
        bool backtick = false;
        const std::size_t done = kernel_(p, lines, lineEnd, out_.get() + outAt_, backtick);
        if (done == 0) break;
        Digest(p, stride * done);
        hasBacktick_ |= backtick;
        outAt_ += kBytesPerLine * done;
        block_.size += kBytesPerLine * done;
        lineNo_ += done;
        p += stride * done;
        if (lineEnd.first == '\r' && lineEnd.length == 1) {
            skipLf_ = true;
            break;
        }
        if (done < lines) break;
    }
    return p;
}


// Two running sums of eight-byte words, as Fletcher's: a word changed changes the first, words
// moved change the second, and it costs next to nothing beside the decoding. Pieces of any length
// give the digest of their bytes as one run: a byte at a time at the edges.
void Scanner::Digest(const char* p, std::size_t n) {
    std::uint64_t sum = digestSum_, sums = digestSums_;
    while (n > 0 && digestBytes_ != 0) {
        digestWord_ |= std::uint64_t{static_cast<std::uint8_t>(*p++)} << (8 * digestBytes_);
        --n;
        if (++digestBytes_ == 8) sums += sum += digestWord_, digestWord_ = 0, digestBytes_ = 0;
    }
    for (; n >= 8; n -= 8, p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        sums += sum += word;
    }
    for (; n > 0; --n, ++p) digestWord_ |= std::uint64_t{static_cast<std::uint8_t>(*p)} << (8 * digestBytes_++);
    digestSum_ = sum;
    digestSums_ = sums;
}

ScanResult CheckText(TextSource& source, platform::JobProgress& progress, FullLinesDecoder kernel) {
    return Scanner(source, nullptr, progress, kernel).Run();
}

ScanResult CheckText(TextSource& source, platform::JobProgress& progress, BlockCounts& counted,
                     FullLinesDecoder kernel) {
    Scanner scanner(source, nullptr, progress, kernel, counted);
    ScanResult result = scanner.Run();
    counted = scanner.Counted();
    return result;
}

ScanResult DecodeText(TextSource& source, DecodeSink& sink, platform::JobProgress& progress,
                      FullLinesDecoder kernel) {
    return Scanner(source, &sink, progress, kernel).Run();
}

}  // namespace qb::uue
