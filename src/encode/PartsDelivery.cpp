#include "encode/PartsDelivery.h"

#include <algorithm>
#include <vector>

#include "encode/AheadEncoder.h"
#include "encode/Delivery.h"
#include "platform/BackgroundHash.h"
#include "platform/Failure.h"
#include "product/Numbers.h"
#include "product/ExitCodes.h"
#include "product/Texts.h"
#include "uue/Frame.h"

namespace qb::encode {
namespace {

using platform::AsStep;
using platform::JobStopped;
using product::kDeliveryFailed;

}  // namespace

std::unique_ptr<PartSource> PartsFromMemory(platform::Platform& p, platform::InputFile& input,
                                                       const std::wstring& path, PartLayout layout,
                                                       platform::JobProgress& progress) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(input.Size()));
    ReadInto(input, path, bytes, progress);
    AsStep(product::text::kCannotSetClipboard, kDeliveryFailed, [&] {
        auto hash = p.hashing.NewSha256();
        hash->Update(bytes);
        layout.marker.sha256 = hash->Finish();
    });
    if (!progress.BeginDelivery()) throw JobStopped{};
    return std::make_unique<PartsInMemory>(std::move(layout), std::move(bytes));
}

std::unique_ptr<PartSource> PartsToSideFile(platform::Platform& p, platform::InputFile& input,
                                                       const std::wstring& path, const PartLayout& layout,
                                                       platform::JobProgress& progress) {
    constexpr std::size_t kLinesPerSlice = 16384;
    constexpr std::size_t kSliceBuffers = 4;
    const std::wstring target = path + L".uue";
    const std::wstring writing = std::wstring(product::text::kCannotWrite) + target;
    const auto writer = SideFileWriter(p, target);
    auto parts = std::make_unique<PartsInSideFile>(p.files, target);
    std::uint64_t written = 0;
    const auto put = [&](std::string_view text) {
        AsStep(writing, kDeliveryFailed, [&] { writer->Append(std::span<const char>(text)); });
        written += text.size();
    };
    // The digest is only known at the end: each marker holds a place for it meanwhile.
    auto hash = AsStep(writing, kDeliveryFailed,
                       [&] { return std::make_unique<platform::BackgroundHash>(p.hashing.NewSha256(), p.process); });
    std::vector<std::uint64_t> digestAt;
    const std::uint64_t size = input.Size();
    // One encoder over the whole file, as for a side file without parts: its slices are whole
    // lines, so a part ends after every partBytes / 45 of them, wherever that falls in a slice.
    const std::uint64_t linesPerPart = layout.partBytes / uue::kBytesPerLine;
    const std::uint64_t lines = (size + uue::kBytesPerLine - 1) / uue::kBytesPerLine;
    std::uint32_t part = 0;
    std::uint64_t start = 0, line = 0;
    const std::string trailer = uue::FormatTrailer();
    uue::PartFrame frame;
    const auto begin = [&] {
        uue::PartMarker marker = layout.marker;
        marker.part = ++part;
        frame = uue::FramePart(marker, layout.headerName, trailer);
        start = written;
        digestAt.push_back(start + uue::DigestAt(marker));
        put(frame.head);
    };
    const auto end = [&] {
        put(frame.tail);
        parts->Add(start, written - start);
        put("\r\n");
    };
    begin();
    {
        AheadEncoder slices(
            static_cast<std::size_t>(size),
            [&](std::span<std::uint8_t> out) {
                ReadInto(input, path, out, progress);
                hash->Update(out);
            },
            kLinesPerSlice, kSliceBuffers, p.process);
        for (auto slice = slices.Next(); !slice.empty(); slice = slices.Next()) {
            std::string_view text(slice.data(), slice.size());
            while (!text.empty()) {
                const std::uint64_t take = linesPerPart - line % linesPerPart;
                // Every line is whole but the file's last, which ends the last slice.
                const auto chars = static_cast<std::size_t>(std::min<std::uint64_t>(take * uue::kFullLineCrLf, text.size()));
                put(text.substr(0, chars));
                text.remove_prefix(chars);
                line += std::min<std::uint64_t>(take, (chars + uue::kFullLineCrLf - 1) / uue::kFullLineCrLf);
                if (line % linesPerPart == 0 && line < lines) {
                    end();
                    begin();
                }
            }
            StopIfAsked(progress);
        }
    }
    end();
    parts->SetSha256(AsStep(writing, kDeliveryFailed, [&] { return hash->Finish(); }));
    const std::string digest = product::DigestHex(parts->Sha256());
    AsStep(writing, kDeliveryFailed, [&] {
        for (const std::uint64_t at : digestAt) writer->Overwrite(at, digest);
        if (!progress.BeginDelivery()) throw JobStopped{};
        writer->Commit();
    });
    return parts;
}

}  // namespace qb::encode
