#include "restore/PartStore.h"

#include <algorithm>
#include <set>

#include "platform/Failure.h"
#include "product/ExitCodes.h"
#include "product/RestoreTexts.h"
#include "product/Texts.h"
#include "restore/Joining.h"

namespace qb::restore {

using namespace product::text;

std::optional<uue::PartMarker> OneIncompleteSet(const std::vector<uue::Block>& blocks) {
    if (blocks.empty() || !blocks[0].part) return std::nullopt;
    const uue::PartMarker& set = *blocks[0].part;
    std::set<std::uint32_t> present;  // only what the text holds, whatever count it claims
    for (const uue::Block& block : blocks) {
        if (!block.part || !block.part->SameFile(set)) return std::nullopt;
        present.insert(block.part->part);
    }
    if (present.size() == set.count) return std::nullopt;
    return set;
}

// What one text brought: the parts of the file it held, each kept as its block ends. Where the
// text was checked first, each block comes with its verdict, so nothing of a part that cannot
// belong is written.
class PartStore::Sink final : public uue::DecodeSink {
public:
    enum class Verdict { kNone, kKeep, kRepeat, kMisfit };
    Sink(PartStore& s, std::vector<Verdict> verdicts) : s_(s), verdicts_(std::move(verdicts)) {}

    void BeginBlock(std::size_t index, const uue::Block& block) override {
        keeping_ = repeating_ = 0;
        if (!block.part) return;
        if (!block.part->SameFile(s_.receiver_.Set())) {
            arrival.otherSet = SetName(block);
            return;
        }
        const std::uint32_t part = block.part->part;
        const Verdict verdict = index < verdicts_.size() ? verdicts_[index]
                                : s_.receiver_.Has(part) ? Verdict::kRepeat
                                                         : Verdict::kKeep;
        if (verdict == Verdict::kRepeat) repeating_ = part;
        if (verdict == Verdict::kMisfit) Damaged(part, block.beginLine);
        if (verdict != Verdict::kKeep) return;
        keeping_ = part;
        beginLine_ = block.beginLine;
        bytes_ = {s_.scratch_->Size(), 0};
    }
    void Write(std::span<const std::uint8_t> bytes) override {
        if (!keeping_) return;
        platform::AsStep(kCannotRestore, product::kDeliveryFailed,
                         [&] { s_.scratch_->Append(bytes.data(), bytes.size()); });
        bytes_.size += bytes.size();
    }
    void EndBlock() override {
        if (repeating_) arrival.repeated = repeating_;
        if (!keeping_) return;
        if (!s_.receiver_.Keep(keeping_, bytes_.size)) return Damaged(keeping_, beginLine_);
        s_.parts_[keeping_] = bytes_;
        arrival.kept.push_back(keeping_);
    }
    void Damaged(std::uint32_t part, std::uint64_t line) {
        arrival.damagedPart = part;
        arrival.damagedLine = line;
    }

    relay::Arrival arrival;

private:
    PartStore& s_;
    std::vector<Verdict> verdicts_;
    std::uint32_t keeping_ = 0, repeating_ = 0;  // of the open block
    std::uint64_t beginLine_ = 0;
    Bytes bytes_;
};

PartStore::PartStore(platform::Platform& p, relay::Receiver& receiver) : p_(p), receiver_(receiver) {
    scratch_ = platform::AsStep(kCannotRestore, product::kDeliveryFailed, [&] { return p_.files.Scratch(); });
}

relay::Arrival PartStore::Take(uue::TextSource& text, platform::JobProgress& progress) {
    // Every part the text holds whole is judged by its length before anything is written: a part
    // that cannot belong would otherwise take room in the scratch file each time it came.
    std::vector<Sink::Verdict> verdicts;
    const uue::ScanResult check = uue::CheckText(text, progress);
    if (check.outcome == uue::Outcome::kOk) {
        relay::PartsInHand hand = receiver_.Parts();
        for (const uue::Block& block : check.blocks) {
            using enum Sink::Verdict;
            if (!block.part || !block.part->SameFile(receiver_.Set())) verdicts.push_back(kNone);
            else if (hand.Has(block.part->part)) verdicts.push_back(kRepeat);
            else verdicts.push_back(hand.Take(block.part->part, block.size) ? kKeep : kMisfit);
        }
    }
    text.Rewind();
    Sink sink(*this, std::move(verdicts));
    const uue::ScanResult result = uue::DecodeText(text, sink, progress);
    // A part cut short or damaged on the way; one already kept is as good as before.
    const auto& part = result.problem.part;
    if (result.outcome == uue::Outcome::kProblem && part && part->SameFile(receiver_.Set()) &&
        !receiver_.Has(part->part))
        sink.Damaged(part->part, result.problem.line);
    return std::move(sink.arrival);
}

template <class Use>
void PartStore::ReadJoined(Use use, platform::JobProgress* progress) {
    std::vector<std::uint8_t> piece(uue::kPieceSize);
    for (const auto& [number, part] : parts_) {
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

platform::Sha256Digest PartStore::Hash(platform::JobProgress* progress) {
    const auto hash = platform::AsStep(kCannotRestore, product::kReadFailed, [&] { return p_.hashing.NewSha256(); });
    ReadJoined([&](std::span<const std::uint8_t> bytes) { hash->Update(bytes); }, progress);
    return hash->Finish();
}

void PartStore::WriteJoined(platform::FileSetWriter& writer, const std::wstring& name, const std::wstring& writing,
                            platform::JobProgress& progress) {
    platform::AsStep(writing, product::kDeliveryFailed, [&] { writer.NextFile(name); });
    ReadJoined([&](std::span<const std::uint8_t> bytes) {
        platform::AsStep(writing, product::kDeliveryFailed, [&] { writer.Append(bytes); });
    }, &progress);
}

}  // namespace qb::restore
