#include "restore/Joining.h"

#include <algorithm>
#include <array>
#include <map>
#include <tuple>

#include "platform/Failure.h"
#include "platform/FileNames.h"
#include "product/ExitCodes.h"
#include "product/RestoreTexts.h"
#include "product/Texts.h"
#include "platform/BackgroundHash.h"
#include "restore/Reports.h"
#include "relay/SetRules.h"
#include "relay/Receiver.h"
#include "uue/PartLines.h"

namespace qb::restore {
namespace {

using namespace product::text;
using platform::WordedFailure;

// Block `block`'s line `line` is damaged; of several files, the report names its own.
[[noreturn]] void Damaged(const std::wstring& name, std::uint64_t line, const Plan& plan, std::size_t block) {
    std::wstring report = std::wstring(kBadLineBefore) + platform::ShownName(name) + std::wstring(kBadLineMiddle) +
                          std::to_wstring(line) + std::wstring(kBadLineAfter);
    if (!plan.pathOf.empty()) report = NamingFile(std::move(report), plan.pathOf[block]);
    throw WordedFailure(product::kReadFailed, report);
}


// Every part there, once, and all of one cutting of the file the markers claim, which the
// encoding road could have sent; `byPart` holds each part's first block.
void CheckSet(const OutputFile& file, const std::vector<uue::Block>& blocks,
              const std::map<std::uint32_t, std::size_t>& byPart, const Plan& plan) {
    const uue::PartMarker& set = *file.set;
    if (byPart.size() != set.count) {
        std::vector<std::uint32_t> missing;
        std::uint32_t k = 1;
        for (auto it = byPart.begin(); k <= set.count && missing.size() < 10; ++k) {
            if (it != byPart.end() && it->first == k) ++it;
            else missing.push_back(k);
        }
        throw WordedFailure(product::kReadFailed,
                            std::wstring(kPartsMissingBefore) + platform::ShownName(file.name) +
                                std::wstring(kPartsMissingMiddle) +
                                relay::PartList(missing, set.count - byPart.size()) + std::wstring(kPartsMissingAfter));
    }
    relay::PartsInHand hand(set);
    for (const auto& [part, block] : byPart)
        if (!hand.Take(part, blocks[block].size)) Damaged(file.name, blocks[block].beginLine, plan, block);
}

}  // namespace

std::wstring SetName(const uue::Block& first) {
    if (first.part->name && !first.part->name->empty())
        return platform::RestoredFileName(platform::NameFromBytes(*first.part->name));
    std::wstring name = first.headerName;
    const std::size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && name.size() - dot > 3 &&
        std::all_of(name.begin() + static_cast<long>(dot) + 1, name.end(),
                    [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        name.resize(dot);
    return platform::RestoredFileName(name);
}

Plan PlanFiles(const std::vector<uue::Block>& blocks, std::vector<std::wstring> pathOf) {
    Plan plan;
    plan.pathOf = std::move(pathOf);
    plan.copyOf.resize(blocks.size());
    std::vector<OutputFile> sets;
    std::vector<std::map<std::uint32_t, std::size_t>> byPart;  // of each set: the first block of each part
    // A text may hold thousands of sets: each found by what makes it one file.
    using SetKey = std::tuple<std::uint32_t, std::uint64_t, std::array<std::uint8_t, 32>>;
    std::map<SetKey, std::size_t> setOf;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        plan.copyOf[i] = i;
        const auto& part = blocks[i].part;
        if (!part) {
            plan.files.push_back({blocks[i].fileName, {i}, std::nullopt});
            continue;
        }
        const auto [found, added] = setOf.emplace(SetKey{part->count, part->size, part->sha256}, sets.size());
        if (added) {
            sets.push_back({SetName(blocks[i]), {}, part});
            byPart.emplace_back();
        }
        const std::size_t set = found->second;
        const auto [slot, first] = byPart[set].emplace(part->part, i);
        if (first) continue;
        if (blocks[slot->second].size == blocks[i].size) plan.copyOf[i] = slot->second;  // compared when joined
        else Damaged(sets[set].name, blocks[i].beginLine, plan, i);
    }
    // A set is one file: too many of them is said before any set is judged.
    if (const std::size_t files = plan.files.size() + sets.size(); files > uue::kMaxBlocks)
        throw WordedFailure(product::kReadFailed,
                            ProblemReport({uue::ProblemKind::kTooManyBlocks, {}, {}, 0, files, {}}, From::kFile, {}));
    for (std::size_t s = 0; s < sets.size(); ++s) {
        CheckSet(sets[s], blocks, byPart[s], plan);
        for (const auto& [part, block] : byPart[s]) sets[s].blocks.push_back(block);
        plan.files.push_back(std::move(sets[s]));
    }
    return plan;
}

platform::Sha256Digest JoinParts(const OutputFile& file, const Plan& plan,
                                 const std::vector<uue::Block>& blocks,
                                 const std::vector<PartBytes>& where, platform::ScratchFile& scratch,
                                 platform::FileSetWriter& writer, const std::wstring& folder,
                                 platform::Platform& p) {
    const std::wstring writing = std::wstring(product::text::kCannotWrite) + platform::JoinPath(folder, file.name);
    const auto read = [&](std::uint64_t at, std::span<std::uint8_t> out) {
        platform::AsStep(kCannotRestore, product::kReadFailed, [&] { scratch.ReadAt(at, out); });
    };
    constexpr std::size_t kPiece = uue::kPieceSize;
    std::vector<std::uint8_t> piece(kPiece), other(kPiece);
    // A part that came twice must have come the same both times.
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const std::size_t first = plan.copyOf[i];
        if (first == i || std::find(file.blocks.begin(), file.blocks.end(), first) == file.blocks.end())
            continue;
        for (std::uint64_t at = 0; at < where[i].size; at += kPiece) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, where[i].size - at));
            read(where[i].at + at, {piece.data(), n});
            read(where[first].at + at, {other.data(), n});
            if (!std::equal(piece.begin(), piece.begin() + static_cast<long>(n), other.begin()))
                Damaged(file.name, blocks[i].beginLine, plan, i);
        }
    }
    platform::AsStep(writing, product::kDeliveryFailed, [&] { writer.NextFile(file.name); });
    // Hashed on a thread of its own beside the copying, as a block is while it is decoded.
    platform::BackgroundHash hash(p.hashing.NewSha256(), p.process);
    for (const std::size_t block : file.blocks) {
        for (std::uint64_t at = 0; at < where[block].size; at += kPiece) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, where[block].size - at));
            read(where[block].at + at, {piece.data(), n});
            const std::span<const std::uint8_t> bytes(piece.data(), n);
            platform::AsStep(writing, product::kDeliveryFailed, [&] { writer.Append(bytes); });
            hash.Update(bytes);
        }
    }
    const platform::Sha256Digest digest = hash.Finish();
    CheckJoined(file, digest);
    return digest;
}

bool OneSetInOrder(const Plan& plan, const std::vector<uue::Block>& blocks) {
    if (plan.files.size() != 1 || !plan.files[0].set || blocks.size() != plan.files[0].set->count)
        return false;
    for (std::size_t i = 0; i < blocks.size(); ++i)
        if (blocks[i].part->part != i + 1) return false;
    return true;
}

void CheckJoined(const OutputFile& file, const platform::Sha256Digest& digest) {
    if (digest != file.set->sha256)
        throw WordedFailure(product::kReadFailed, std::wstring(kPartsDifferBefore) +
                                                      platform::ShownName(file.name) +
                                                      std::wstring(kPartsDifferAfter));
}

}  // namespace qb::restore
