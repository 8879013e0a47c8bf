#include "restore/RestoreSink.h"

#include <utility>

#include "platform/Failure.h"
#include "product/ExitCodes.h"
#include "product/Texts.h"

namespace qb::restore {

void RestoreSink::BeginBlock(std::size_t index) {
    if (index >= where_.names.size()) throw TextChanged{};
    const std::wstring& name = where_.names[index];
    writing_ = std::wstring(product::text::kCannotWrite) + platform::JoinPath(where_.folder, name);
    platform::AsStep(writing_, product::kDeliveryFailed, [&] { writer_.NextFile(name); });
    hash_ = std::make_unique<BackgroundHash>(p_.hashing.NewSha256(), p_.process);
}

void RestoreSink::Write(std::span<const std::uint8_t> bytes) {
    platform::AsStep(writing_, product::kDeliveryFailed, [&] { writer_.Append(bytes); });
    hash_->Update(bytes);
    size_ += bytes.size();
}

void RestoreSink::EndBlock() {
    digests_.push_back(hash_->Finish());
    sizes_.push_back(std::exchange(size_, 0));
}

}  // namespace qb::restore
