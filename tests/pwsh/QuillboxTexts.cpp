// Quillbox's own parts of a file for the receiver script's tests, NUL after each, every marker given
// the part= digest of its bytes; UTF-8, as the clipboard hands them over. Usage: qb_texts FILE NAME LIMIT
#include <openssl/sha.h>

#include <fstream>
#include <iostream>
#include <iterator>

#include "PosixPlatform.h"
#include "encode/PartSources.h"
#include "product/Numbers.h"
#include "platform/CodePage.h"
#include "platform/FileNames.h"

using namespace qb;

int main(int, char** argv) {
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<std::uint8_t> b{std::istreambuf_iterator<char>(in), {}};
    auto sha = [&](std::size_t at, std::size_t n) { platform::Sha256Digest d; SHA256(&b[at], n, d.data()); return d; };
    auto layout = encode::LayOutParts(b.size(), platform::NameFromBytes(argv[2]), std::stoull(argv[3]));
    if (!layout) return 1;
    layout->marker.sha256 = sha(0, b.size());
    for (std::uint32_t k = 1; k <= layout->count; ++k) {
        const std::size_t at = (k - 1) * layout->partBytes, n = std::min<std::size_t>(layout->partBytes, b.size() - at);
        std::string text = encode::EncodePart(*layout, k, {&b[at], n});
        text.insert(text.find(" sha256=") + 72, " part=" + product::DigestHex(sha(at, n)).substr(0, 16));
        std::cout << platform::posix::ToUtf8(platform::FromAnsi(text)) << '\0';
    }
}
