#include "pipeline/Delivery.h"

#include <cstring>

#include "app/AppInfo.h"
#include "pipeline/Texts.h"
#include "pipeline/UuEncoder.h"

namespace qb::pipeline {

Frame MakeFrame(std::wstring_view fileName, Road road) {
    Frame frame;
    frame.header = "begin 644 " + platform::ToAnsi(fileName) + "\r\n";
    std::wstring trailer(text::kTrailerLabel);
    trailer += app::kHomePage;
    frame.footer = "`\r\nend\r\n" + platform::ToAnsi(trailer);
    if (road == Road::kSideFile) frame.footer += "\r\n";
    return frame;
}

std::wstring HeaderName(platform::Files& files, const std::wstring& path) {
    std::wstring name = files.FindFileName(path);
    if (name.empty()) {
        const auto slash = path.find_last_of(L"\\/");
        name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    }
    return name;
}

void Deliver(platform::Platform& p, std::span<const std::uint8_t> input, const std::wstring& path) {
    const Road road = RoadFor(input.size());
    const Frame frame = MakeFrame(HeaderName(p.files, path), road);
    const std::size_t body = EncodedBodySize(input.size());
    const std::size_t total = frame.header.size() + body + frame.footer.size();

    auto target = road == Road::kClipboard ? p.clipboard.Text(total)
                                           : p.files.SideFile(path + L".uue", total);
    char* out = target->Bytes().data();
    std::memcpy(out, frame.header.data(), frame.header.size());
    EncodeLines(input, {out + frame.header.size(), body});
    std::memcpy(out + frame.header.size() + body, frame.footer.data(), frame.footer.size());
    target->Commit();

    p.ui.Message(road == Road::kClipboard ? text::kOnClipboard : text::kSideFileWritten,
                    platform::style::kOk);
}

}  // namespace qb::pipeline
