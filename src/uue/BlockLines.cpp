#include <algorithm>
#include <cstring>

#include "platform/FileNames.h"
#include "uue/Scanner.h"

namespace qb::uue {

bool Scanner::OnLine(const Line& line) {
    if (pendingBad_ != 0) {
        std::string_view rest = line.head;
        while (!rest.empty() && IsBlank(rest.back()) && !line.beyondHead) rest.remove_suffix(1);
        if (rest.empty()) return true;
        if (ParseBegin(line)) return Fail(ProblemKind::kCut, 0);
        return Fail(ProblemKind::kBadLine, pendingBad_);
    }
    switch (state_) {
    case State::kOutside:
        if (auto begin = ParseBegin(line)) StartBlock(std::move(*begin), line);
        return true;
    case State::kCounting:
        if (ParseBegin(line)) ++blockCount_;
        return true;
    case State::kUu:
        return OnUuLine(line);
    case State::kBase64:
        return OnBase64Line(line);
    }
    return true;
}

void Scanner::StartBlock(BeginLine begin, const Line& line) {
    if (++blockCount_ > kMaxBlocks) {
        state_ = State::kCounting;
        return;
    }
    const std::size_t headPart = begin.name.size() - (line.beyondHead ? line.tail.size() : 0);
    block_ = {};
    block_.headerName = NameText(begin, headPart);
    block_.fileName = platform::RestoredFileName(block_.headerName);
    block_.format = begin.format;
    block_.beginLine = lineNo_;
    state_ = begin.format == Format::kUu ? State::kUu : State::kBase64;
    hasBacktick_ = closed_ = lastShort_ = base64Done_ = false;
    firstShortLine_ = 0;
    if (sink_) sink_->BeginBlock(blocks_.size());
}

bool Scanner::EndBlock() {
    if (hasBacktick_ && firstShortLine_ != 0) return Fail(ProblemKind::kBadLine, firstShortLine_);
    Flush();
    if (sink_) sink_->EndBlock();
    block_.endLine = lineNo_;
    blocks_.push_back(block_);
    state_ = State::kOutside;
    return true;
}

bool Scanner::OnUuLine(const Line& line) {
    std::string_view text = line.head;
    std::string_view content = text;
    while (!line.beyondHead && !content.empty() && IsBlank(content.back())) content.remove_suffix(1);
    if (content.empty()) return true;
    if (content == kUuEnd && !line.beyondHead) return EndBlock();
    if (ParseBegin(line)) return Fail(ProblemKind::kCut, 0);
    if (line.beyondHead) return Bad();

    const std::uint8_t first = UuChar(content[0]);
    if (first & kBadFlag) return Bad();
    const unsigned count = first & kValueMask;
    if (count > kBytesPerLine) return Bad();
    if (count > 0 && (closed_ || lastShort_)) return Bad();
    const std::size_t needed = LineChars(count);
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
    while (!line.beyondHead && !content.empty() && IsBlank(content.back())) content.remove_suffix(1);
    if (content.empty()) return true;
    if (content == kBase64End && !line.beyondHead) return EndBlock();
    if (ParseBegin(line)) return Fail(ProblemKind::kCut, 0);
    if (line.beyondHead || base64Done_ || content.size() % 4 != 0) return Bad();
    for (std::size_t at = 0; at < content.size(); at += 4) {
        const bool lastGroup = at + 4 == content.size();
        std::uint8_t v[4];
        std::size_t padding = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            const char c = content[at + k];
            if (c == '=' && lastGroup && k >= 2) {
                v[k] = 0;
                ++padding;
                continue;
            }
            v[k] = Base64Value(c);
            if (v[k] == 0xFF || padding > 0) return Bad();
        }
        std::uint8_t bytes[3];
        PutGroup(v, bytes);
        Emit(bytes, 3 - padding);
        if (padding > 0) base64Done_ = true;
    }
    return true;
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
    result_.problem = {kind, kind == ProblemKind::kNoBegin || kind == ProblemKind::kTooManyBlocks
                                 ? std::wstring() : block_.fileName,
                       block_.format, line, blockCount_};
    return false;
}

}  // namespace qb::uue
