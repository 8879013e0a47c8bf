#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/FileNames.h"
#include "uue/Scanner.h"

namespace qb::uue {

namespace {

using Kind = BeginLine::Kind;

}  // namespace

bool Scanner::StripPrefix(Line& line, bool& empty) const {
    empty = false;
    if (prefix_.empty()) return true;
    if (line.head.starts_with(prefix_)) {
        line.head.remove_prefix(prefix_.size());
        return true;
    }
    std::string_view rest = line.head;
    while (!rest.empty() && IsBlank(rest.back()) && !line.beyondHead) rest.remove_suffix(1);
    empty = rest.empty() || rest == quoteMarks_;
    return empty;
}

bool Scanner::OnLine(const Line& whole) {
    Line line = whole;
    if (state_ == State::kUu || state_ == State::kBase64) {
        Digest(whole.head.data(), whole.head.size());
        Digest(whole.tail.data(), whole.tail.size());
        Digest("\n", 1);
    }
    if (state_ == State::kUu || state_ == State::kBase64 || pendingBad_ != 0) {
        bool empty = false;
        if (!StripPrefix(line, empty)) {
            if (ParseBegin(whole).kind == Kind::kBegin) return Fail(ProblemKind::kCut, 0);
            return pendingBad_ != 0 ? Fail(ProblemKind::kBadLine, pendingBad_) : Bad();
        }
        if (empty) return true;
    }
    if (pendingBad_ != 0) {
        std::string_view rest = line.head;
        while (!rest.empty() && IsBlank(rest.back()) && !line.beyondHead) rest.remove_suffix(1);
        if (rest.empty()) return true;
        if (ParseBegin(whole).kind == Kind::kBegin) return Fail(ProblemKind::kCut, 0);
        return Fail(ProblemKind::kBadLine, pendingBad_);
    }
    if (state_ == State::kOutside || state_ == State::kCounting) {
        // The trailer of a text pasted before this one: what follows it is a line of its own.
        if (const std::size_t glued = GluedToTrailer(line.head)) {
            line.head.remove_prefix(glued);
            markerLine_.clear();
        }
    }
    switch (state_) {
    case State::kOutside: {
        BeginLine begin = ParseBegin(line);
        if (begin.kind == Kind::kBegin) {
            StartBlock(std::move(begin), markerLine_);
            markerLine_.clear();
            return true;
        }
        if (begin.kind == Kind::kUnreadable && unreadableBegin_ == 0) unreadableBegin_ = lineNo_;
        std::string_view text = line.head;
        while (!line.beyondHead && !text.empty() && IsBlank(text.back())) text.remove_suffix(1);
        if (text.empty()) return true;  // the marker is the last line with text before a block
        if (!text.starts_with(kMarkerStart)) markerLine_.clear();
        else if (!line.beyondHead) markerLine_ = text;
        // A long one was kept whole as it came, up to what a marker may be.
        return true;
    }
    case State::kCounting:
        if (ParseBegin(line).kind == Kind::kBegin) ++blockCount_;
        return true;
    case State::kUu:
        return OnUuLine(line);
    case State::kBase64:
        return OnBase64Line(line);
    }
    return true;
}

void Scanner::StartBlock(BeginLine begin, const std::string& marker) {
    auto part = ParseMarker(marker);
    ++blockCount_;
    if (part) ++partCount_;
    // Texts restored together share the limits; once they are past, the rest is only counted.
    const auto over = [](BlockCounts c) { return c.parts > kMaxParts || c.blocks - c.parts > kMaxBlocks; };
    if (over(before_) || over(Counted())) {
        state_ = State::kCounting;
        return;
    }
    block_ = {};
    digestSum_ = digestSums_ = digestWord_ = 0;
    digestBytes_ = 0;
    block_.part = std::move(part);
    block_.headerName = NameText(begin, begin.nameFromHead);
    block_.fileName = platform::RestoredFileName(block_.headerName);
    block_.format = begin.format;
    block_.beginLine = lineNo_;
    state_ = begin.format == Format::kUu ? State::kUu : State::kBase64;
    hasBacktick_ = closed_ = lastShort_ = base64Done_ = false;
    firstShortLine_ = firstDotLine_ = 0;
    prefix_ = std::move(begin.prefix);
    quoteMarks_.clear();
    for (const char c : prefix_)
        if (c == '>') quoteMarks_ += c;
    groupSize_ = padding_ = 0;
    if (sink_) sink_->BeginBlock(blocks_.size(), block_);
}

bool Scanner::EndBlock() {
    if (hasBacktick_ && firstShortLine_ != 0) return Fail(ProblemKind::kBadLine, firstShortLine_);
    if (!hasBacktick_ && firstDotLine_ != 0) return Fail(ProblemKind::kBadLine, firstDotLine_);
    Flush();
    if (sink_) sink_->EndBlock();
    block_.endLine = lineNo_;
    // The last bytes short of a word count too.
    block_.textDigest = (digestSum_ + digestWord_) ^ std::rotl(digestSums_ + digestSum_ + digestWord_, 32) ^ digestBytes_;
    blocks_.push_back(block_);
    state_ = State::kOutside;
    prefix_.clear();
    return true;
}

bool Scanner::OnUuLine(const Line& line) {
    std::string_view text = line.head;
    std::string_view content = text;
    while (!line.beyondHead && !content.empty() && IsBlank(content.back())) content.remove_suffix(1);
    if (content.empty()) return true;
    if (content == kUuEnd && !line.beyondHead) return EndBlock();
    if (ParseBegin(line).kind == Kind::kBegin) return Fail(ProblemKind::kCut, 0);
    if (line.beyondHead) return Bad();

    const std::uint8_t first = UuChar(content[0]);
    if (first & kBadFlag) return Bad();
    const unsigned count = first & kValueMask;
    if (count > kBytesPerLine) return Bad();
    if (count > 0 && (closed_ || lastShort_)) return Bad();
    const std::size_t needed = LineChars(count);
    // Mail's dot-stuffing doubles a line's first '.': one character too many, which the extra
    // character a line may carry would otherwise take in, shifting every byte. The blanks at the
    // end count, for a text that writes zero as a blank: its stuffed line may end in one.
    if (content.starts_with("..")) {
        if (content.size() == needed + 1 || text.size() == needed + 1) {
            text.remove_prefix(1);
            content.remove_prefix(1);
        } else if (text.size() <= needed && firstDotLine_ == 0) {
            // Either a line whose first character is '.', or a stuffed one that lost a trailing
            // blank: only a block that never writes zero as a blank tells them apart.
            firstDotLine_ = lineNo_;
        }
    }
    if (content.size() > needed + 1) return Bad();

    // Characters present where data belongs, and the one extra character a line may carry.
    const std::size_t present = std::min(text.size(), needed);
    std::uint8_t flags = first;
    std::uint8_t values[kFullLineChars];
    for (std::size_t i = 1; i < present; ++i) values[i] = UuChar(text[i]), flags |= values[i];
    for (std::size_t i = present; i < needed; ++i) values[i] = 0;  // spaces a channel stripped
    if (content.size() > needed) flags |= UuChar(content[needed]);
    if (flags & kBadFlag) return Bad();
    hasBacktick_ |= (flags & kBacktickFlag) != 0;
    if (present < needed) {
        if (hasBacktick_) return Bad();
        if (firstShortLine_ == 0) firstShortLine_ = lineNo_;
        // Blanks a channel stripped, or a line cut short: only where data bits went missing are
        // zeros a guess, which the outcome says.
        if (present < 1 + (4 * count + 2) / 3) {
            if (block_.firstFilledLine == 0) block_.firstFilledLine = lineNo_;
            ++block_.filledLines;
        }
    }
    if (count == 0) {
        closed_ = true;
        return true;
    }
    std::uint8_t bytes[48];
    for (std::size_t g = 0; g < (count + 2) / 3; ++g) {
        std::uint8_t six[4];
        for (int k = 0; k < 4; ++k) six[k] = values[1 + 4 * g + k] & kValueMask;
        PutGroup(six, bytes + 3 * g);
    }
    Emit(bytes, count);
    lastShort_ = count < kBytesPerLine;
    return true;
}

bool Scanner::OnBase64Line(const Line& line) {
    std::string_view content = line.head;
    while (!content.empty() && IsBlank(content.back())) content.remove_suffix(1);
    if (content.empty()) return true;
    if (content == kBase64End) {
        // The last group must be whole: its end lost in transit is damage, not zeros.
        if (groupSize_ != 0) return Fail(ProblemKind::kBadLine, lineNo_);
        return EndBlock();
    }
    if (ParseBegin(line).kind == Kind::kBegin) return Fail(ProblemKind::kCut, 0);
    Base64Chars(content);
    return true;
}

// Any line length, and groups that run on into the next line, as a mail program leaves text it
// wrapped again at 70 or 78 columns. Blanks carry nothing.
void Scanner::Base64Chars(std::string_view chars) {
    if (pendingBad_ != 0) return;
    for (const char c : chars) {
        if (IsBlank(c)) continue;
        if (base64Done_) return (void)Bad();
        if (c == '=') {
            if (groupSize_ < 2) return (void)Bad();
            ++padding_;
            group_[groupSize_++] = 0;
        } else {
            const std::uint8_t v = Base64Value(c);
            if (v == 0xFF || padding_ > 0) return (void)Bad();
            group_[groupSize_++] = v;
        }
        if (groupSize_ < 4) continue;
        std::uint8_t bytes[3];
        PutGroup(group_, bytes);
        Emit(bytes, 3 - padding_);
        base64Done_ = padding_ > 0;
        groupSize_ = padding_ = 0;
    }
}

void Scanner::Emit(const std::uint8_t* bytes, std::size_t n) {
    if (outAt_ + n > kOutSize) Flush();
    std::memcpy(out_.get() + outAt_, bytes, n);
    outAt_ += n;
    block_.size += n;
}

void Scanner::Flush() {
    if (sink_ && outAt_ > 0) sink_->Write({out_.get(), outAt_});
    outAt_ = 0;
}

bool Scanner::Fail(ProblemKind kind, std::uint64_t line) {
    result_.outcome = Outcome::kProblem;
    const bool inBlock = kind == ProblemKind::kCut || kind == ProblemKind::kBadLine;
    result_.problem = {kind, inBlock ? block_.fileName : std::wstring(), block_.format,
                       kind == ProblemKind::kCut ? lineNo_ : line, Counted().blocks,
                       inBlock ? block_.part : std::nullopt};
    return false;
}

}  // namespace qb::uue
