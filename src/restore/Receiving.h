#pragma once
// A file's parts received one text at a time, as the person copies each over from the sending
// end: every part of the file a text holds whole is checked and kept in a scratch file, each text
// that brought one is answered on the clipboard with the part still missing, and the whole file
// is checked against the sender's digest before the last answer goes out.

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "restore/Joining.h"
#include "uue/TextScanner.h"

namespace qb::restore {

// The set a text's blocks are, when they are parts of one file that are not all there and
// nothing else: the text to be completed by others.
std::optional<uue::PartMarker> OneIncompleteSet(const std::vector<uue::Block>& blocks);

class Receiving final : public platform::PartsToReceive {
public:
    Receiving(platform::Platform& p, const uue::PartMarker& set, std::wstring name);

    // Keeps the parts of this file that `text` holds whole and the checks allow; true if it held
    // one of them, new or not, which is then to be acknowledged.
    bool Take(uue::TextSource& text, platform::JobProgress& progress);
    // Puts "#Quillbox got part K/N sha256=HEX next=J" on the clipboard, once every part is in
    // only if the joined file is the sender's; a clipboard that stays busy is said in the state.
    void Acknowledge();
    bool Complete() const { return kept_ == set_.count; }
    // A failure met while the window was open (a full disk, the joined file not the sender's),
    // thrown once it has closed.
    void ThrowFailure() const {
        if (failure_) std::rethrow_exception(failure_);
    }
    // Once complete: the joined file as the writer's next file, and its digest, checked when the
    // last part came (the scratch file is read again, not hashed again).
    platform::Sha256Digest WriteJoined(platform::FileSetWriter& writer, const std::wstring& name,
                                       const std::wstring& writing, platform::JobProgress& progress);
    const std::wstring& Name() const { return name_; }
    const uue::PartMarker& Set() const { return set_; }

    std::uint32_t Count() const override { return set_.count; }
    std::uint32_t Kept() const override { return kept_; }
    std::wstring Heading() const override;
    std::wstring Progress() const override;
    std::wstring State() const override { return state_; }
    bool ClipboardChanged() override;

private:
    class Sink;
    // Whether part `part` of `size` bytes can belong to the file beside the parts kept: every part
    // but the last of one size and of whole lines, the last no longer, adding up to the file's.
    bool Fits(std::uint32_t part, std::uint64_t size) const;
    // Reads the kept parts in order, giving each piece to `use`.
    template <class Use>
    void ReadJoined(Use use, platform::JobProgress* progress);

    platform::Platform& p_;
    uue::PartMarker set_;
    std::wstring name_;
    std::unique_ptr<platform::ScratchFile> scratch_;
    std::vector<std::optional<PartBytes>> parts_;  // by part number, from 1
    std::uint32_t kept_ = 0;
    std::uint32_t last_ = 0;  // the part kept last
    std::wstring state_;
    // The clipboard's sequence numbers: of the text last read, and just after our answer.
    std::uint32_t read_ = 0;
    std::uint32_t answered_ = 0;
    std::u16string answer_;
    bool done_ = false;
    platform::Sha256Digest joined_{};  // once every part is in
    std::exception_ptr failure_;
};

}  // namespace qb::restore
