// Quillbox's own text of a file, for the receiver script's tests: the whole text, or with a
// limit its parts, each marker with the part= digest of its bytes. UTF-8 on stdout, as the
// clipboard hands it over; parts separated by a NUL.
#include <openssl/sha.h>

#include <fstream>
#include <iostream>
#include <iterator>

#include "PosixPlatform.h"
#include "encode/Parts.h"
#include "platform/CodePage.h"
#include "platform/FileNames.h"
#include "uue/Encoder.h"
#include "uue/Frame.h"

using namespace qb;

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<std::uint8_t> b{std::istreambuf_iterator<char>(in), {}};
    const std::wstring name = platform::NameFromBytes(argv[2]);
    auto sha = [&](std::size_t at, std::size_t n) { platform::Sha256Digest d; SHA256(&b[at], n, d.data()); return d; };
    auto layout = encode::LayOutParts(b.size(), name, std::stoull(argv[3]));
    std::string out;
    if (!layout) {
        std::string body(uue::EncodedBodySize(b.size()), '\0');
        uue::EncodeLines(b, body);
        out = uue::FormatBeginLine(name) + body + std::string(uue::kClosingLines) + uue::FormatTrailer();
    }
    for (std::uint32_t k = 1; layout && k <= layout->count; ++k) {
        layout->marker.sha256 = sha(0, b.size());
        const std::size_t at = (k - 1) * layout->partBytes, n = std::min<std::size_t>(layout->partBytes, b.size() - at);
        std::string text = encode::PartText(*layout, k, {&b[at], n});
        text.insert(text.find(" sha256=") + 72, " part=" + platform::DigestHex(sha(at, n)).substr(0, 16));
        out += (k > 1 ? std::string(1, '\0') : "") + text;
    }
    std::cout << platform::posix::ToUtf8(platform::FromAnsi(out));
}
