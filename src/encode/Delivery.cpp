#include "encode/Delivery.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "encode/AheadEncoder.h"
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

Around TextAround(std::wstring_view fileName, Destination road) {
    Around around{uue::FormatBeginLine(fileName),
                  std::string(uue::kClosingLines) + uue::FormatTrailer()};
    if (road == Destination::kSideFile) around.footer += "\r\n";
    return around;
}

void StopIfAsked(const platform::JobProgress& progress) {
    if (progress.StopRequested()) throw JobStopped{};
}

// Reads the next bytes of the input in pieces, counting each, so that a slow disk shows how far it
// has come and a stop waits for one piece at most: a quarter of a second at 1 MB/s. A failure is
// reported as a failure to read the file.
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
    const auto [folder, name] = platform::SplitPath(target);
    // A set of one file, beside the input; it replaces an older side file only when complete.
    const auto writer = AsStep(writing, kDeliveryFailed, [&] {
        auto files = p.files.WriteFiles(std::wstring(folder), platform::Placement::kReplaceOne);
        files->NextFile(std::wstring(name));
        files->Append(std::span<const char>(around.header));
        return files;
    });
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

Destination Deliver(platform::Platform& p, std::unique_ptr<platform::InputFile> input,
                    const std::wstring& path, std::wstring_view name,
                    platform::JobProgress& progress) {
    const Destination road = DestinationFor(input->Size());
    const Around around = TextAround(name, road);
    if (road == Destination::kClipboard) ToClipboard(p, *input, path, around, progress);
    else ToSideFile(p, *input, path, around, progress);
    return road;
}

}  // namespace qb::encode
