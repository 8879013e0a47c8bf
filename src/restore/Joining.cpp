#include "restore/Joining.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "platform/BackgroundHash.h"
#include "platform/Failure.h"
#include "platform/FileNames.h"
#include "platform/Numbers.h"
#include "product/ExitCodes.h"
#include "product/RestoreTexts.h"
#include "product/Texts.h"
#include "restore/Reports.h"
#include "uue/Parts.h"

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


void CheckSet(const OutputFile& file, const std::vector<uue::Block>& blocks,
              const std::vector<std::size_t>& byPart, const Plan& plan) {
    const uue::PartMarker& set = *file.set;
    std::vector<std::uint32_t> missing;
    for (std::uint32_t k = 1; k <= set.count; ++k)
        if (byPart[k] == SIZE_MAX) missing.push_back(k);
    if (!missing.empty())
        throw WordedFailure(product::kReadFailed,
                            std::wstring(kPartsMissingBefore) + platform::ShownName(file.name) +
                                std::wstring(kPartsMissingMiddle) + MissingParts(missing) +
                                std::wstring(kPartsMissingAfter));
    // Every part but the last alike and of whole lines, the last no longer, adding up to the
    // size the markers claim, which the encoding road could have sent.
    const std::uint64_t first = blocks[byPart[1]].size;
    std::uint64_t total = 0;
    for (std::uint32_t k = 1; k <= set.count; ++k) {
        const uue::Block& part = blocks[byPart[k]];
        const bool last = k == set.count;
        total += part.size;
        if (part.size == 0 || part.size > uue::kMaxPartBytes || (!last && part.size != first) ||
            (!last && part.size % uue::kBytesPerLine != 0) || (last && part.size > first) ||
            total > set.size || set.size > uue::kMaxInputSize)
            Damaged(file.name, part.beginLine, plan, byPart[k]);
    }
    if (total != set.size) Damaged(file.name, blocks[byPart[set.count]].beginLine, plan, byPart[set.count]);
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

std::wstring MissingParts(const std::vector<std::uint32_t>& missing) {
    std::wstring list;
    for (std::size_t i = 0; i < missing.size() && i < 10; ++i)
        list += (i ? std::wstring(kPartsListSeparator) : L"") + std::to_wstring(missing[i]);
    if (missing.size() > 10) list += std::wstring(kPartsMissingMore) + platform::GroupedDigits(missing.size());
    return list;
}

Plan PlanFiles(const std::vector<uue::Block>& blocks, std::vector<std::wstring> pathOf) {
    Plan plan;
    plan.pathOf = std::move(pathOf);
    plan.copyOf.resize(blocks.size());
    std::vector<OutputFile> sets;
    std::vector<std::vector<std::size_t>> byPart;  // of each set: the block of part K, or SIZE_MAX
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        plan.copyOf[i] = i;
        const auto& part = blocks[i].part;
        if (!part) {
            plan.files.push_back({blocks[i].fileName, {i}, std::nullopt});
            continue;
        }
        auto set = std::find_if(sets.begin(), sets.end(), [&](const OutputFile& f) { return f.set->SameFile(*part); });
        if (set == sets.end()) {
            sets.push_back({SetName(blocks[i]), {}, part});
            byPart.emplace_back(part->count + 1, SIZE_MAX);
            set = sets.end() - 1;
        }
        auto& slot = byPart[static_cast<std::size_t>(set - sets.begin())][part->part];
        if (slot == SIZE_MAX) slot = i;
        else if (blocks[slot].size == blocks[i].size) plan.copyOf[i] = slot;  // its bytes compared when joined
        else Damaged(set->name, blocks[i].beginLine, plan, i);
    }
    for (std::size_t s = 0; s < sets.size(); ++s) {
        CheckSet(sets[s], blocks, byPart[s], plan);
        sets[s].blocks.assign(byPart[s].begin() + 1, byPart[s].end());
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
    constexpr std::size_t kPiece = 256 * 1024;
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
