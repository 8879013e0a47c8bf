#pragma once
// The parts of one file gathered from successive clipboard texts, as the person copies each over
// from the sending end: each text's parts of the file are decoded and kept in a scratch file,
// the receiving end of the conversation told what each text brought, and once every part is in,
// the joined file read out in order, to be hashed or written.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "relay/Receiver.h"
#include "uue/TextScanner.h"

namespace qb::restore {

// The set a text's blocks are, when they are parts of one file that are not all there and
// nothing else: the text to be completed by others.
std::optional<uue::PartMarker> OneIncompleteSet(const std::vector<uue::Block>& blocks);

class PartStore {
public:
    PartStore(platform::Platform& p, relay::Receiver& receiver);

    // Decodes the parts of the file that `text` holds whole, keeping those the receiver wants.
    relay::Arrival Take(uue::TextSource& text, platform::JobProgress& progress);
    // Once every part is in: the joined file's digest, and the joined file as the writer's next
    // file.
    platform::Sha256Digest Hash(platform::JobProgress* progress);
    void WriteJoined(platform::FileSetWriter& writer, const std::wstring& name, const std::wstring& writing,
                     platform::JobProgress& progress);

private:
    class Sink;
    struct Bytes {
        std::uint64_t at = 0;  // in the scratch file
        std::uint64_t size = 0;
    };
    // Reads the kept parts in order, giving each piece to `use`.
    template <class Use>
    void ReadJoined(Use use, platform::JobProgress* progress);

    platform::Platform& p_;
    relay::Receiver& receiver_;
    std::unique_ptr<platform::ScratchFile> scratch_;
    std::map<std::uint32_t, Bytes> parts_;  // by part number
};

}  // namespace qb::restore
