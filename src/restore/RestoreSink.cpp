#include "restore/RestoreSink.h"

#include <utility>

#include "platform/Failure.h"
#include "product/ExitCodes.h"
#include "product/RestoreTexts.h"
#include "product/Texts.h"
#include "restore/Reports.h"

namespace qb::restore {

RestoreSink::RestoreSink(platform::Platform& p, platform::FileSetWriter& writer,
                         const Destination& where, const Plan& plan,
                         const std::vector<uue::Block>& blocks)
    : p_(p), writer_(writer), where_(where), plan_(plan), blocks_(blocks),
      fileOf_(blocks.size(), SIZE_MAX), direct_(OneSetInOrder(plan, blocks)), parts_(blocks.size()) {
    for (std::size_t f = 0; f < plan.files.size(); ++f)
        if (!plan.files[f].set) fileOf_[plan.files[f].blocks[0]] = f;
    if (direct_) fileOf_[0] = 0;
}

void RestoreSink::BeginBlock(std::size_t index, const uue::Block&) {
    if (index >= blocks_.size()) throw TextChanged{};
    block_ = index;
    if (direct_ && index > 0) return;  // the file goes on
    if (blocks_[index].part && !direct_) {
        platform::AsStep(product::text::kCannotRestore, product::kDeliveryFailed, [&] {
            if (!scratch_) scratch_ = p_.files.Scratch();
        });
        parts_[index].at = scratch_->Size();
        return;
    }
    const std::wstring& name = where_.names[fileOf_[index]];
    writing_ = std::wstring(product::text::kCannotWrite) + ShownPath(platform::JoinPath(where_.folder, name));
    platform::AsStep(writing_, product::kDeliveryFailed, [&] { writer_.NextFile(name); });
    hash_ = std::make_unique<platform::BackgroundHash>(p_.hashing.NewSha256(), p_.process);
}

void RestoreSink::Write(std::span<const std::uint8_t> bytes) {
    if (blocks_[block_].part && !direct_) {
        platform::AsStep(product::text::kCannotRestore, product::kDeliveryFailed,
                         [&] { scratch_->Append(bytes.data(), bytes.size()); });
        parts_[block_].size += bytes.size();
        return;
    }
    platform::AsStep(writing_, product::kDeliveryFailed, [&] { writer_.Append(bytes); });
    hash_->Update(bytes);
    size_ += bytes.size();
}

void RestoreSink::EndBlock() {
    if (blocks_[block_].part) return;  // a part's file ends with its set
    digests_.push_back(hash_->Finish());
    sizes_.push_back(std::exchange(size_, 0));
}

void RestoreSink::JoinSets() {
    if (direct_) {
        OutputFile named = plan_.files[0];
        named.name = where_.names[0];
        const platform::Sha256Digest digest = hash_->Finish();
        CheckJoined(named, digest);
        digests_.push_back(digest);
        sizes_.push_back(size_);
        return;
    }
    for (std::size_t f = 0; f < plan_.files.size(); ++f) {
        const OutputFile& file = plan_.files[f];
        if (!file.set) continue;
        // The destination's name, which Save As may have changed.
        OutputFile named = file;
        named.name = where_.names[f];
        digests_.push_back(JoinParts(named, plan_, blocks_, parts_, *scratch_, writer_, where_.folder, p_));
        sizes_.push_back(file.set->size);
    }
}

}  // namespace qb::restore
