#include "restore/Receiving.h"

#include <algorithm>

#include "platform/Failure.h"
#include "platform/FileNames.h"
#include "platform/Numbers.h"
#include "product/ExitCodes.h"
#include "product/RestoreTexts.h"
#include "product/Texts.h"
#include "restore/TextSource.h"

namespace qb::restore {

using namespace product::text;

std::optional<uue::PartMarker> OneIncompleteSet(const std::vector<uue::Block>& blocks) {
    if (blocks.empty() || !blocks[0].part) return std::nullopt;
    const uue::PartMarker& set = *blocks[0].part;
    std::vector<bool> present(set.count + 1);
    std::uint32_t parts = 0;
    for (const uue::Block& block : blocks) {
        if (!block.part || !block.part->SameFile(set)) return std::nullopt;
        if (!present[block.part->part]) present[block.part->part] = true, ++parts;
    }
    if (parts == set.count) return std::nullopt;
    return set;
}

// What one text brought: the parts of the file it held, each kept as its block ends.
class Receiving::Sink final : public uue::DecodeSink {
public:
    explicit Sink(Receiving& r) : r_(r) {}

    void BeginBlock(std::size_t, const uue::Block& block) override {
        keeping_ = repeating_ = 0;
        if (!block.part) return;
        if (!block.part->SameFile(r_.set_)) {
            other_ = SetName(block);
            return;
        }
        const std::uint32_t part = block.part->part;
        if (r_.parts_[part]) {
            repeating_ = part;
            return;
        }
        keeping_ = part;
        beginLine_ = block.beginLine;
        bytes_ = {r_.scratch_->Size(), 0};
    }
    void Write(std::span<const std::uint8_t> bytes) override {
        if (!keeping_) return;
        platform::AsStep(kCannotRestore, product::kDeliveryFailed,
                         [&] { r_.scratch_->Append(bytes.data(), bytes.size()); });
        bytes_.size += bytes.size();
    }
    void EndBlock() override {
        if (repeating_) repeated_ = repeating_;
        if (!keeping_) return;
        if (!r_.Fits(keeping_, bytes_.size)) return Damaged(keeping_, beginLine_);
        r_.parts_[keeping_] = bytes_;
        ++r_.kept_;
        r_.last_ = kept_ = keeping_;
    }
    void Damaged(std::uint32_t part, std::uint64_t line) {
        damagedPart_ = part;
        damagedLine_ = line;
    }

    bool Heard() const { return kept_ || repeated_; }
    // The state line after this text; `before` if it brought nothing of note.
    std::wstring State(std::wstring before) const {
        if (damagedPart_)
            return std::wstring(kPartDamagedBefore) + std::to_wstring(damagedPart_) +
                   std::wstring(kPartDamagedMiddle) + std::to_wstring(damagedLine_) +
                   std::wstring(kPartDamagedAfter);
        if (kept_) return std::wstring(kPartKeptBefore) + std::to_wstring(kept_) + std::wstring(kPartKeptAfter);
        if (repeated_)
            return std::wstring(kPartRepeatedBefore) + std::to_wstring(repeated_) +
                   std::wstring(kPartRepeatedAfter);
        if (!other_.empty())
            return std::wstring(kOtherSetBefore) + platform::ShownName(other_) + std::wstring(kOtherSetAfter);
        return before;
    }

private:
    Receiving& r_;
    std::uint32_t keeping_ = 0, repeating_ = 0;  // of the open block
    std::uint64_t beginLine_ = 0;
    PartBytes bytes_;
    std::uint32_t kept_ = 0, repeated_ = 0, damagedPart_ = 0;  // the last of each in the text
    std::uint64_t damagedLine_ = 0;
    std::wstring other_;
};

Receiving::Receiving(platform::Platform& p, const uue::PartMarker& set, std::wstring name)
    : p_(p), set_(set), name_(std::move(name)), parts_(set.count + 1) {
    scratch_ = platform::AsStep(kCannotRestore, product::kDeliveryFailed, [&] { return p_.files.Scratch(); });
}

bool Receiving::Take(uue::TextSource& text, platform::JobProgress& progress) {
    Sink sink(*this);
    const uue::ScanResult result = uue::DecodeText(text, sink, progress);
    // A part cut short or damaged on the way; one already kept is as good as before.
    const auto& part = result.problem.part;
    if (result.outcome == uue::Outcome::kProblem && part && part->SameFile(set_) && !parts_[part->part])
        sink.Damaged(part->part, result.problem.line);
    state_ = sink.State(state_);
    return sink.Heard();
}

bool Receiving::Fits(std::uint32_t part, std::uint64_t size) const {
    const std::uint64_t count = set_.count, total = set_.size;
    if (size == 0 || size > uue::kMaxPartBytes || size > total || total > uue::kMaxInputSize) return false;
    if (count == 1) return size == total;
    // Every part but the last holds `each` bytes, the last the rest: at least one, at most `each`.
    std::uint64_t each = size;
    if (part == count) {
        if ((total - size) % (count - 1) != 0) return false;
        each = (total - size) / (count - 1);
    }
    if (each % uue::kBytesPerLine != 0 || each > uue::kMaxPartBytes || (count - 1) * each >= total ||
        total - (count - 1) * each > each)
        return false;
    const std::uint64_t last = total - (count - 1) * each;
    for (std::uint32_t k = 1; k <= count; ++k)
        if (parts_[k] && parts_[k]->size != (k == count ? last : each)) return false;
    return true;
}

template <class Use>
void Receiving::ReadJoined(Use use, platform::JobProgress* progress) {
    std::vector<std::uint8_t> piece(uue::kPieceSize);
    for (std::uint32_t k = 1; k <= set_.count; ++k) {
        const PartBytes& part = *parts_[k];
        for (std::uint64_t at = 0; at < part.size; at += piece.size()) {
            if (progress && progress->StopRequested()) throw platform::JobStopped{};
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), part.size - at));
            platform::AsStep(kCannotRestore, product::kReadFailed,
                             [&] { scratch_->ReadAt(part.at + at, {piece.data(), n}); });
            use(std::span<const std::uint8_t>(piece.data(), n));
            if (progress) progress->Add(n);
        }
    }
}

void Receiving::Acknowledge() {
    const auto missing = std::find_if(parts_.begin() + 1, parts_.end(), [](const auto& p) { return !p; });
    const auto next = static_cast<std::uint32_t>(missing == parts_.end() ? 0 : missing - parts_.begin());
    if (next == 0 && !done_) {
        // The last answer tells the sender the file has arrived: only once it has, whole.
        done_ = true;
        try {
            const auto hash = p_.hashing.NewSha256();
            ReadJoined([&](std::span<const std::uint8_t> bytes) { hash->Update(bytes); }, nullptr);
            joined_ = hash->Finish();
            CheckJoined({name_, {}, set_}, joined_);
        } catch (...) {
            failure_ = std::current_exception();
            return;
        }
        state_ = kAllPartsIn;
    }
    const std::string line = uue::FormatAcknowledgement({last_, set_.count, set_.sha256, next});
    answer_.assign(line.begin(), line.end());
    try {
        answered_ = p_.clipboard.PutLine(answer_);
    } catch (const platform::Error& e) {
        state_ = platform::FailureReport(kCannotSetClipboard, e);
    }
}

bool Receiving::ClipboardChanged() {
    if (done_) return true;
    // A change already read, or our own answer. The number taken after our own change may be
    // another program's that came in the instant between, so that one is read all the same,
    // and passed over only if it is our line.
    const std::uint32_t sequence = p_.clipboard.Sequence();
    if (sequence == read_) return false;
    const bool ours = sequence == answered_;
    read_ = sequence;
    try {
        bool heard = false;
        p_.clipboard.ReadText([&](std::u16string_view text) {
            if (ours && text == answer_) return;
            Utf16Text source({text.data(), text.size()});
            platform::JobProgress reading(text.size() * sizeof(char16_t));
            heard = Take(source, reading);
        });
        if (heard) Acknowledge();
    } catch (const platform::Error& e) {
        // Another program held the clipboard too long: the person copies the part again.
        state_ = platform::FailureReport(kCannotReadClipboard, e);
    } catch (...) {
        failure_ = std::current_exception();
        done_ = true;
    }
    return done_;
}

std::wstring Receiving::Heading() const {
    return std::wstring(kReceivingBefore) + platform::ShownName(name_) + std::wstring(kReceivingMiddle) +
           platform::GroupedDigits(set_.count) + std::wstring(kReceivingAfter);
}

std::wstring Receiving::Progress() const {
    std::vector<std::uint32_t> missing;
    for (std::uint32_t k = 1; k <= set_.count; ++k)
        if (!parts_[k]) missing.push_back(k);
    std::wstring text = std::wstring(kReceivedBefore) + platform::GroupedDigits(kept_);
    if (missing.empty()) return text + std::wstring(kReceivedAfter);
    return text + std::wstring(kReceivedMissing) + MissingParts(missing) + std::wstring(kReceivedAfter);
}

platform::Sha256Digest Receiving::WriteJoined(platform::FileSetWriter& writer, const std::wstring& name,
                                              const std::wstring& writing, platform::JobProgress& progress) {
    platform::AsStep(writing, product::kDeliveryFailed, [&] { writer.NextFile(name); });
    ReadJoined([&](std::span<const std::uint8_t> bytes) {
        platform::AsStep(writing, product::kDeliveryFailed, [&] { writer.Append(bytes); });
    }, &progress);
    return joined_;
}

}  // namespace qb::restore
