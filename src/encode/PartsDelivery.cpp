#include "encode/PartsDelivery.h"

#include <algorithm>
#include <vector>

#include "encode/AheadEncoder.h"
#include "encode/Delivery.h"
#include "platform/BackgroundHash.h"
#include "platform/Failure.h"
#include "product/ExitCodes.h"
#include "product/Texts.h"
#include "uue/Frame.h"

namespace qb::encode {
namespace {

using platform::AsStep;
using platform::JobStopped;
using product::kDeliveryFailed;

std::string Hex(const platform::Sha256Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const auto b : digest) hex += {kDigits[b >> 4], kDigits[b & 15]};
    return hex;
}

}  // namespace

std::unique_ptr<platform::PartsToShow> PartsFromMemory(platform::Platform& p, platform::InputFile& input,
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

std::unique_ptr<platform::PartsToShow> PartsToSideFile(platform::Platform& p, platform::InputFile& input,
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
    for (std::uint32_t k = 1; k <= layout.count; ++k) {
        const std::uint64_t from = (k - 1) * layout.partBytes;
        const auto n = static_cast<std::size_t>(std::min(layout.partBytes, size - from));
        uue::PartMarker marker = layout.marker;
        marker.part = k;
        const std::string line = uue::FormatMarker(marker);
        const std::uint64_t start = written;
        digestAt.push_back(start + line.find("sha256=") + 7);
        put(line + "\r\nbegin 644 " + layout.headerName + "." + uue::PartNumber(k, layout.count) + "\r\n");
        AheadEncoder slices(
            n,
            [&](std::span<std::uint8_t> out) {
                ReadInto(input, path, out, progress);
                hash->Update(out);
            },
            kLinesPerSlice, kSliceBuffers, p.process);
        for (auto slice = slices.Next(); !slice.empty(); slice = slices.Next()) {
            put({slice.data(), slice.size()});
            StopIfAsked(progress);
        }
        put(std::string(uue::kClosingLines) + uue::FormatTrailer());
        parts->Add(start, written - start);
        put("\r\n");
    }
    const std::string digest = Hex(AsStep(writing, kDeliveryFailed, [&] { return hash->Finish(); }));
    AsStep(writing, kDeliveryFailed, [&] {
        for (const std::uint64_t at : digestAt) writer->Overwrite(at, digest);
        if (!progress.BeginDelivery()) throw JobStopped{};
        writer->Commit();
    });
    return parts;
}

}  // namespace qb::encode
