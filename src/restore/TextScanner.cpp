#include "restore/TextScanner.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/FileNames.h"
#include "restore/kernels/UuChars.h"

namespace qb::restore {
namespace {

// A line longer than this is kept as its first kHead bytes, whether the rest is all blanks, and
// (for a begin line) its last kTail bytes: enough of a long name for its start and extension.
constexpr std::size_t kHead = 1040;
constexpr std::size_t kTail = 1024;
constexpr std::size_t kOutSize = 4096 * 45;  // decoded bytes gathered before the sink gets them

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

struct Line {
    std::string_view head;  // the whole line, or its first kHead bytes
    bool beyondHead;        // something but blanks follows the head
    std::string_view tail;  // of a long line: its last bytes after the head
};

struct BeginLine {
    Format format;
    std::string name;
};

// "begin MODE NAME" or "begin-base64 MODE NAME": one to four octal digits, blanks, the name.
std::optional<BeginLine> ParseBegin(const Line& line) {
    std::string_view s = line.head;
    Format format;
    if (s.starts_with("begin ")) format = Format::kUu, s.remove_prefix(6);
    else if (s.starts_with("begin-base64 ")) format = Format::kBase64, s.remove_prefix(13);
    else return std::nullopt;
    std::size_t digits = 0;
    while (digits < s.size() && s[digits] >= '0' && s[digits] <= '7') ++digits;
    if (digits == 0 || digits > 4) return std::nullopt;
    s.remove_prefix(digits);
    // A channel that strips blanks leaves "begin 644" of an empty name.
    if (!s.empty() && !IsBlank(s[0])) return std::nullopt;
    while (!s.empty() && IsBlank(s[0])) s.remove_prefix(1);
    BeginLine begin{format, std::string(s)};
    if (line.beyondHead) begin.name += line.tail;
    return begin;
}

// The name's bytes as text, where a long name has lost its middle: each side is cut back to a
// whole UTF-8 character so that a valid name stays valid.
std::wstring NameText(const BeginLine& begin, std::size_t headPart) {
    std::string_view name = begin.name;
    if (name.size() <= headPart) return platform::NameFromBytes(name);
    std::string_view head = name.substr(0, headPart), tail = name.substr(headPart);
    auto continuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    std::string_view h = head, t = tail;
    while (!h.empty() && continuation(h.back())) h.remove_suffix(1);
    if (!h.empty() && static_cast<unsigned char>(h.back()) >= 0xC0) h.remove_suffix(1);
    while (!t.empty() && continuation(t.front())) t.remove_prefix(1);
    const std::wstring joined = platform::NameFromBytes(std::string(h) + std::string(t));
    return joined;
}

std::uint8_t Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<std::uint8_t>(c - 'A');
    if (c >= 'a' && c <= 'z') return static_cast<std::uint8_t>(c - 'a' + 26);
    if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0' + 52);
    if (c == '+') return 62;
    if (c == '/') return 63;
    return 0xFF;
}

class Scanner {
public:
    Scanner(TextSource& source, DecodeSink* sink, platform::JobProgress& progress,
            FullLinesDecoder kernel)
        : source_(source), sink_(sink), progress_(progress), kernel_(kernel),
          out_(new std::uint8_t[kOutSize]) {}

    ScanResult Run();

private:
    enum class State { kOutside, kUu, kBase64, kCounting };

    const char* ContinueLong(const char* p, const char* end);
    const char* FullLines(const char* p, const char* end);
    bool OnLine(const Line& line);
    bool OnUuLine(const Line& line);
    bool OnBase64Line(const Line& line);
    void StartBlock(BeginLine begin, const Line& line);
    bool EndBlock();
    void Emit(const std::uint8_t* bytes, std::size_t n);
    void Flush();
    bool Bad() {
        pendingBad_ = lineNo_;
        return true;
    }
    bool Fail(ProblemKind kind, std::uint64_t line);
    bool FastPathOpen() const {
        return state_ == State::kUu && !closed_ && !lastShort_ && pendingBad_ == 0;
    }

    TextSource& source_;
    DecodeSink* sink_;
    platform::JobProgress& progress_;
    FullLinesDecoder kernel_;

    std::uint64_t lineNo_ = 0;  // the line last begun
    bool skipLf_ = false;       // the last line ended in CR: an LF now belongs to it
    // A line longer than kHead, being read on.
    bool inLong_ = false;
    std::string longHead_;
    bool longBeyond_ = false;
    bool keepTail_ = false;
    std::string tail_;

    State state_ = State::kOutside;
    std::size_t blockCount_ = 0;
    std::vector<Block> blocks_;
    Block block_;
    // Of the open block.
    bool hasBacktick_ = false;
    bool closed_ = false;     // its zero-count line has come
    bool lastShort_ = false;  // its last data line held fewer than 45 bytes
    std::uint64_t firstShortLine_ = 0;
    std::uint64_t pendingBad_ = 0;  // a damaged line, unless the block turns out cut there
    bool base64Done_ = false;

    std::unique_ptr<std::uint8_t[]> out_;  // left uninitialised: only what is decoded is read
    std::size_t outAt_ = 0;
    ScanResult result_;
};

ScanResult Scanner::Run() {
    source_.Rewind();
    const std::unique_ptr<char[]> buf(new char[kHead + kPieceSize]);
    std::size_t carry = 0;
    for (;;) {
        const Piece piece = source_.Read({buf.get() + carry, kPieceSize});
        progress_.Add(piece.consumed);
        if (progress_.StopRequested()) return {Outcome::kStopped, {}, {}};
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
                else if (blockCount_ == 0)
                    Fail(ProblemKind::kNoBegin, 0);
                else
                    result_.blocks = std::move(blocks_);
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
                longHead_.assign(p, kHead);
                longBeyond_ = false;
                keepTail_ = longHead_.starts_with("begin");
                tail_.clear();
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
    while (e < end && *e != '\n' && *e != '\r') {
        if (!IsBlank(*e)) longBeyond_ = true;
        ++e;
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
    while (end - p >= 63 && p[0] == 'M') {
        LineEnd lineEnd;
        if (p[61] == '\r' && p[62] == '\n') lineEnd = {2, '\r', '\n'};
        else if (p[61] == '\n' || p[61] == '\r') lineEnd = {1, p[61], 0};
        else break;
        const std::size_t stride = 61 + lineEnd.length;
        if (outAt_ + 45 > kOutSize) Flush();
        const std::size_t room = (kOutSize - outAt_) / 45;
        const std::size_t lines = std::min(static_cast<std::size_t>(end - p) / stride, room);
        bool backtick = false;
        const std::size_t done = kernel_(p, lines, lineEnd, out_.get() + outAt_, backtick);
        if (done == 0) break;
        hasBacktick_ |= backtick;
        outAt_ += 45 * done;
        block_.size += 45 * done;
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
    blocks_.push_back(block_);
    state_ = State::kOutside;
    return true;
}

bool Scanner::OnUuLine(const Line& line) {
    std::string_view text = line.head;
    std::string_view content = text;
    while (!line.beyondHead && !content.empty() && IsBlank(content.back())) content.remove_suffix(1);
    if (content.empty()) return true;
    if (content == "end" && !line.beyondHead) return EndBlock();
    if (ParseBegin(line)) return Fail(ProblemKind::kCut, 0);
    if (line.beyondHead) return Bad();

    const std::uint8_t first = UuChar(content[0]);
    if (first & kBadFlag) return Bad();
    const unsigned count = first & 63;
    if (count > 45) return Bad();
    if (count > 0 && (closed_ || lastShort_)) return Bad();
    const std::size_t needed = 1 + 4 * ((count + 2) / 3);
    if (content.size() > needed + 1) return Bad();

    // Characters present where data belongs, and the one extra character a line may carry.
    const std::size_t present = std::min(text.size(), needed);
    std::uint8_t flags = first;
    std::uint8_t values[61];
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
        for (int k = 0; k < 4; ++k) six[k] = values[1 + 4 * g + k] & 63;
        PutGroup(six, bytes + 3 * g);
    }
    Emit(bytes, count);
    lastShort_ = count < 45;
    return true;
}

bool Scanner::OnBase64Line(const Line& line) {
    std::string_view content = line.head;
    while (!line.beyondHead && !content.empty() && IsBlank(content.back())) content.remove_suffix(1);
    if (content.empty()) return true;
    if (content == "====" && !line.beyondHead) return EndBlock();
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
                                 ? std::wstring() : block_.headerName,
                       block_.format, line, blockCount_};
    return false;
}

}  // namespace

ScanResult CheckText(TextSource& source, platform::JobProgress& progress, FullLinesDecoder kernel) {
    return Scanner(source, nullptr, progress, kernel).Run();
}

ScanResult DecodeText(TextSource& source, DecodeSink& sink, platform::JobProgress& progress,
                      FullLinesDecoder kernel) {
    return Scanner(source, &sink, progress, kernel).Run();
}

}  // namespace qb::restore
