#include "restore/Input.h"

#include "platform/Failure.h"
#include "product/ExitCodes.h"
#include "product/RestoreTexts.h"
#include "product/Texts.h"

namespace qb::restore {

using namespace product::text;
using platform::WordedFailure;

std::optional<Input> OpenInput(From from, platform::Platform& p, std::uintptr_t owner) {
    Input input{from, {}, 0, {}, {}, {}};
    if (from == From::kClipboard) {
        const auto read = platform::AsStep(kCannotReadClipboard, product::kReadFailed,
                                           [&] { return p.clipboard.ReadText(); });
        if (read.kind != platform::ClipboardText::Kind::kText)
            throw WordedFailure(product::kReadFailed,
                                std::wstring(read.kind == platform::ClipboardText::Kind::kFiles
                                                 ? kFilesOnClipboard : kNoTextOnClipboard));
        input.clipboard.assign(read.text.begin(), read.text.end());
        input.total = input.clipboard.size() * 2;
        input.text = std::make_unique<Utf16Text>(input.clipboard);
        return input;
    }
    const auto picked = p.dialogs.PickTextFiles(owner);
    if (picked.empty()) return std::nullopt;
    input.path = picked.front();
    // Open from the check to the end, and no other program may write it meanwhile: what is
    // decoded is what was checked. One that another program holds open to write is refused.
    auto file = platform::AsStep(std::wstring(kCannotOpen) + input.path, product::kOpenFailed, [&] {
        return p.files.OpenInput(input.path, platform::Sharing::kKeepWritersOut);
    });
    if (!file) throw WordedFailure(product::kOpenFailed, std::wstring(kFileOpenFailed));
    input.total = file->Size();
    input.file = std::make_unique<FileBytes>(std::move(file));
    input.text = std::make_unique<EncodedText>(*input.file);
    return input;
}

}  // namespace qb::restore
