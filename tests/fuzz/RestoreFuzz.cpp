// Any text through the restore scanner with every decoder: no crash, the same outcome and bytes as
// the scalar decoder, and restored names that pass a check of their own. Then the input as a file:
// encoded and restored, it comes back whole.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <cwctype>
#include <string_view>

#include "uue/Encoder.h"
#include "restore/TextSource.h"
#include "uue/TextScanner.h"

namespace {

using namespace qb::restore;
using namespace qb::uue;

[[noreturn]] void Fail(std::string_view kernel, std::string_view what) {
    std::fprintf(stderr, "decoder %s: %s\n", std::string(kernel).c_str(), std::string(what).c_str());
    std::abort();
}

struct Collect final : DecodeSink {
    std::string bytes;
    void BeginBlock(std::size_t index, const qb::uue::Block&) override { bytes += "<" + std::to_string(index) + ">"; }
    void Write(std::span<const std::uint8_t> b) override { bytes.append(b.begin(), b.end()); }
    void EndBlock() override { bytes += "</>"; }
};

// Written from Windows' rules, not from the restore code.
bool SafeOnWindows(const std::wstring& name) {
    if (name.empty() || name == L"." || name == L".." || name.back() == L'.' || name.back() == L' ')
        return false;
    std::size_t units = 0;
    for (const wchar_t c : name) {
        units += static_cast<std::uint32_t>(c) > 0xFFFF ? 2 : 1;
        if (c < 32 || (c >= 0x80 && c <= 0x9F) || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) return false;
        if (c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069))
            return false;
    }
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    for (auto& c : base) c = static_cast<wchar_t>(std::towupper(c));
    for (const std::wstring_view d : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (base == d) return false;
    const bool port = base.size() == 4 && (base.starts_with(L"COM") || base.starts_with(L"LPT"));
    if (port && std::wstring_view(L"0123456789\u00B9\u00B2\u00B3").find(base[3]) != std::wstring_view::npos)
        return false;
    return units <= 255;
}

ScanResult Run(const std::string& text, FullLinesDecoder kernel, Collect* sink) {
    MemoryBytes bytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    EncodedText source(bytes);
    qb::platform::JobProgress progress(text.size());
    return sink ? DecodeText(source, *sink, progress, kernel) : CheckText(source, progress, kernel);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ScanResult expected;
    std::string expectedBytes;
    for (const NamedDecoder& kernel : RunnableDecoders()) {
        const ScanResult check = Run(text, kernel.run, nullptr);
        Collect sink;
        const ScanResult decode = Run(text, kernel.run, &sink);
        if (check.outcome != decode.outcome || check.problem.line != decode.problem.line)
            Fail(kernel.name, "the passes disagree");
        for (const Block& b : check.blocks)
            if (!SafeOnWindows(b.fileName)) Fail(kernel.name, "an unsafe name");
        if (kernel.run == &ScalarDecode) {
            expected = check;
            expectedBytes = sink.bytes;
        } else if (check.outcome != expected.outcome || check.problem.kind != expected.problem.kind ||
                   check.problem.line != expected.problem.line || sink.bytes != expectedBytes ||
                   check.blocks.size() != expected.blocks.size()) {
            Fail(kernel.name, "differs from the scalar decoder");
        }
    }

    if (size == 0) return 0;
    std::string body(EncodedBodySize(size), '\0');
    EncodeLines({data, size}, body);
    Collect sink;
    const ScanResult back = Run("begin 644 f\r\n" + body + "`\r\nend\r\n", ChosenKernels().decoder.run, &sink);
    if (back.outcome != Outcome::kOk || sink.bytes != "<0>" + text + "</>") Fail("fastest", "no round trip");
    return 0;
}
