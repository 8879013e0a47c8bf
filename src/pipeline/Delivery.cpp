#include "pipeline/Delivery.h"

#include <cstring>

#include "product/AppInfo.h"
#include "pipeline/AheadEncoder.h"
#include "product/Texts.h"
#include "pipeline/UuEncoder.h"

namespace qb::pipeline {

Frame MakeFrame(std::wstring_view fileName, Road road) {
    Frame frame;
    frame.header = "begin 644 " + platform::ToAnsi(fileName) + "\r\n";
    std::wstring trailer(product::text::kTrailerLabel);
    trailer += product::kHomePage;
    frame.footer = "`\r\nend\r\n" + platform::ToAnsi(trailer);
    if (road == Road::kSideFile) frame.footer += "\r\n";
    return frame;
}

std::wstring HeaderName(platform::Files& files, const std::wstring& path) {
    std::wstring name = files.FindFileName(path);
    if (name.empty()) name = platform::SplitPath(path).name;
    return name;
}

namespace {

void ToClipboard(platform::Clipboard& clipboard, std::span<const std::uint8_t> input,
                 const Frame& frame) {
    // Encoded straight into the clipboard's memory: the body is never copied.
    const std::size_t body = EncodedBodySize(input.size());
    auto target = clipboard.Text(frame.header.size() + body + frame.footer.size());
    char* out = target->Bytes().data();
    std::memcpy(out, frame.header.data(), frame.header.size());
    EncodeLines(input, {out + frame.header.size(), body});
    std::memcpy(out + frame.header.size() + body, frame.footer.data(), frame.footer.size());
    target->Commit();
}

void ToSideFile(platform::Files& files, std::span<const std::uint8_t> input, const Frame& frame,
                const std::wstring& path) {
    // A worker encodes a few cache-sized slices of whole lines ahead while this thread writes the
    // one before: the two overlap on separate cores, and no output buffer the size of the body is
    // ever needed, so the peak memory stays about the input alone.
    constexpr std::size_t kLinesPerSlice = 16384;
    constexpr std::size_t kSliceBuffers = 4;
    const auto writer = files.SideFile(path);
    writer->Append(frame.header);
    {
        AheadEncoder slices(input, kLinesPerSlice, kSliceBuffers);
        for (auto text = slices.Next(); !text.empty(); text = slices.Next()) writer->Append(text);
    }
    writer->Append(frame.footer);
    writer->Commit();
}

}  // namespace

void Deliver(platform::Platform& p, std::span<const std::uint8_t> input, const std::wstring& path) {
    const Road road = RoadFor(input.size());
    const Frame frame = MakeFrame(HeaderName(p.files, path), road);
    if (road == Road::kClipboard) ToClipboard(p.clipboard, input, frame);
    else ToSideFile(p.files, input, frame, path + L".uue");

    p.ui.Message(road == Road::kClipboard ? product::text::kOnClipboard : product::text::kSideFileWritten,
                    platform::style::kOk);
}

}  // namespace qb::pipeline
