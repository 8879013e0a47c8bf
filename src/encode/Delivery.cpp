#include "encode/Delivery.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "encode/AheadEncoder.h"
#include "encode/PartsDelivery.h"
#include "platform/Failure.h"
#include "product/ExitCodes.h"
#include "product/Texts.h"
#include "uue/Encoder.h"
#include "uue/Frame.h"

namespace qb::encode {


std::wstring HeaderName(platform::Files& files, const std::wstring& path) {
    std::wstring name = files.FindFileName(path);
    if (name.empty()) name = platform::SplitPath(path).name;
    return name;
}

namespace {

using product::kDeliveryFailed;
using product::kReadFailed;
namespace text = product::text;
using platform::AsStep;
using platform::FailureReport;
using platform::JobStopped;
using platform::WordedFailure;

// One file's text: its frame around the body, then the trailer, and in a side file a line end.
struct Around {
    std::string header;
    std::string footer;
};

Around TextAround(std::wstring_view fileName, Road road) {
    Around around{uue::FormatBeginLine(fileName),
                  std::string(uue::kClosingLines) + uue::FormatTrailer()};
    if (road == Road::kSideFile) around.footer += "\r\n";
    return around;
}

}  // namespace

void StopIfAsked(const platform::JobProgress& progress) {
    if (progress.StopRequested()) throw JobStopped{};
}

// In pieces, so that a slow disk shows how far it has come and a stop waits for one piece at
// most: a quarter of a second at 1 MB/s.
void ReadInto(platform::InputFile& input, const std::wstring& path, std::span<std::uint8_t> out,
              platform::JobProgress& progress) {
    constexpr std::size_t kPiece = std::size_t{1} << 18;
    for (std::size_t at = 0; at < out.size(); at += kPiece) {
        const auto piece = out.subspan(at, std::min(kPiece, out.size() - at));
        // The report is worded only when a read fails, not for every piece.
        try {
            input.Read(piece);
        } catch (const platform::Error& e) {
            throw WordedFailure(kReadFailed, FailureReport(std::wstring(text::kCannotRead) + path, e));
        }
        progress.Add(piece.size());
        StopIfAsked(progress);
    }
}

std::unique_ptr<platform::FileSetWriter> SideFileWriter(platform::Platform& p, const std::wstring& target) {
    const auto [folder, name] = platform::SplitPath(target);
    return AsStep(std::wstring(text::kCannotWrite) + target, kDeliveryFailed, [&] {
        auto files = p.files.WriteFiles(std::wstring(folder), platform::Placement::kReplaceOne);
        files->NextFile(std::wstring(name));
        return files;
    });
}

namespace {

void ToClipboard(platform::Platform& p, platform::InputFile& input, const std::wstring& path,
                 const Around& around, platform::JobProgress& progress) {
    // The whole file first, so a read failure leaves the clipboard as it was; then it is encoded
    // straight into the clipboard's memory, and the body is never copied.
    const auto size = static_cast<std::size_t>(input.Size());
    const auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    const std::span<std::uint8_t> in(bytes.get(), size);
    ReadInto(input, path, in, progress);
    AsStep(text::kCannotSetClipboard, kDeliveryFailed, [&] {
        const std::size_t body = uue::EncodedBodySize(size);
        auto target = p.clipboard.Text(around.header.size() + body + around.footer.size());
        char* out = target->Bytes().data();
        std::memcpy(out, around.header.data(), around.header.size());
        uue::EncodeLines(in, {out + around.header.size(), body});
        std::memcpy(out + around.header.size() + body, around.footer.data(), around.footer.size());
        // A stop counts until the clipboard is really open, however long another program holds
        // it; from then on the text goes on it.
        if (!target->Open([&] { return progress.StopRequested(); })) throw JobStopped{};
        if (!progress.BeginDelivery()) throw JobStopped{};
        target->Commit();
    });
}

void ToSideFile(platform::Platform& p, platform::InputFile& input, const std::wstring& path,
                const Around& around, platform::JobProgress& progress) {
    // A worker reads and encodes a few cache-sized slices of whole lines ahead while this thread
    // writes the one before: the two overlap on separate cores, and neither the input nor the body
    // is ever held whole, so memory stays a few slices whatever the size.
    constexpr std::size_t kLinesPerSlice = 16384;
    constexpr std::size_t kSliceBuffers = 4;
    const std::wstring target = path + L".uue";
    const std::wstring writing = std::wstring(text::kCannotWrite) + target;
    const auto writer = SideFileWriter(p, target);
    AsStep(writing, kDeliveryFailed, [&] { writer->Append(std::span<const char>(around.header)); });
    {
        AheadEncoder slices(
            static_cast<std::size_t>(input.Size()),
            [&](std::span<std::uint8_t> out) { ReadInto(input, path, out, progress); },
            kLinesPerSlice, kSliceBuffers, p.process);
        for (auto slice = slices.Next(); !slice.empty(); slice = slices.Next()) {
            AsStep(writing, kDeliveryFailed, [&] { writer->Append(slice); });
            StopIfAsked(progress);
        }
    }
    AsStep(writing, kDeliveryFailed, [&] {
        writer->Append(std::span<const char>(around.footer));
        // Dropped uncommitted, the writer takes its temporary file with it.
        if (!progress.BeginDelivery()) throw JobStopped{};
        writer->Commit();
    });
}

}  // namespace

Delivered Deliver(platform::Platform& p, std::unique_ptr<platform::InputFile> input,
                  const std::wstring& path, std::wstring_view name, platform::JobProgress& progress) {
    const Road road = RoadFor(input->Size());
    if (auto layout = LayOutParts(input->Size(), name, p.settings.PartChars())) {
        const std::uint64_t limit = layout->limit;
        auto parts = road == Road::kClipboard
                         ? PartsFromMemory(p, *input, path, std::move(*layout), progress)
                         : PartsToSideFile(p, *input, path, *layout, progress);
        return {road, std::move(parts), limit};
    }
    const Around around = TextAround(name, road);
    if (road == Road::kClipboard) ToClipboard(p, *input, path, around, progress);
    else ToSideFile(p, *input, path, around, progress);
    return {road, nullptr, 0};
}

}  // namespace qb::encode
