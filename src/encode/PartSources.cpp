#include "encode/PartSources.h"

#include "platform/Failure.h"
#include "platform/FileNames.h"
#include "product/Numbers.h"
#include "product/ExitCodes.h"
#include "product/Texts.h"
#include "uue/Encoder.h"
#include "uue/Frame.h"

namespace qb::encode {

using namespace product::text;

std::optional<PartLayout> LayOutParts(std::uint64_t size, std::wstring_view name, std::uint64_t limit) {
    if (limit == 0) return std::nullopt;
    PartLayout layout;
    layout.name = name;
    layout.limit = limit;
    const std::wstring safe = platform::SafeFileName(name);
    layout.headerName = platform::NameToAnsi(safe);
    layout.marker.size = size;
    // The name goes along in the marker where the begin line cannot carry it exactly.
    if (safe != name || platform::FromAnsi(layout.headerName) != name ||
        std::any_of(name.begin(), name.end(), [](wchar_t c) { return c > 0x7E; }))
        layout.marker.name = uue::NameUtf8(name);
    const uue::Cut cut = uue::CutIntoParts(layout.marker, limit, platform::FromAnsi(layout.headerName).size(),
                                           platform::FromAnsi(uue::FormatTrailer()).size());
    const std::wstring shown = platform::ShownName(name);
    switch (cut.kind) {
    case uue::Cut::Kind::kWhole: return std::nullopt;
    case uue::Cut::Kind::kTooSmall:
        throw platform::WordedFailure(product::kTooLarge,
                                      std::wstring(kPartsTooSmallBefore) + shown + std::wstring(kPartsTooSmallMiddle) +
                                          product::GroupedDigits(cut.minChars) + std::wstring(kPartsTooSmallAfter),
                                      platform::style::kExclamation);
    case uue::Cut::Kind::kTooMany:
        throw platform::WordedFailure(product::kTooLarge,
                                      std::wstring(kPartsTooManyBefore) + shown + std::wstring(kPartsTooManyMiddle) +
                                          product::GroupedDigits(cut.count) + std::wstring(kPartsTooManyAfter),
                                      platform::style::kExclamation);
    case uue::Cut::Kind::kParts: break;
    }
    layout.count = cut.count;
    layout.partBytes = cut.partBytes;
    layout.marker.count = cut.count;
    return layout;
}

std::string EncodePart(const PartLayout& layout, std::uint32_t part, std::span<const std::uint8_t> bytes) {
    uue::PartMarker marker = layout.marker;
    marker.part = part;
    const uue::PartFrame frame = uue::FramePart(marker, layout.headerName, uue::FormatTrailer());
    std::string text(frame.head.size() + uue::EncodedBodySize(bytes.size()) + frame.tail.size(), '\0');
    text.replace(0, frame.head.size(), frame.head);
    uue::EncodeLines(bytes, {text.data() + frame.head.size(), uue::EncodedBodySize(bytes.size())});
    text.replace(text.size() - frame.tail.size(), frame.tail.size(), frame.tail);
    return text;
}

std::string PartsInMemory::Text(std::uint32_t part) {
    const std::uint64_t from = (part - 1) * layout_.partBytes;
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(layout_.partBytes, bytes_.size() - from));
    return EncodePart(layout_, part, {bytes_.data() + from, n});
}

std::string PartsInSideFile::Text(std::uint32_t part) {
    const Span& span = spans_.at(part - 1);
    const auto file = files_.OpenInput(path_);
    if (!file) throw platform::Error(L"CreateFile", 2, std::wstring(kFileOpenFailed));
    file->Seek(span.at);
    std::string text(static_cast<std::size_t>(span.length), '\0');
    file->Read({reinterpret_cast<std::uint8_t*>(text.data()), text.size()});
    return text;
}

}  // namespace qb::encode
