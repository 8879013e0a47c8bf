// What Quillbox writes must come back byte for byte through decoders nobody here wrote.
#include <gtest/gtest.h>

#include <cstdlib>

#include "Fakes.h"
#include "encode/EncodeJob.h"
#include "encode/PartSources.h"
#include "TempDir.h"
#include "UuTestSupport.h"

namespace qb::encode {
namespace {

using qb::testing::ReadAll;
using qb::testing::TempDir;
using qb::testing::Wide;

// Encodes `bytes` as a file and returns the path of the UUE text (clipboard or side file).
std::filesystem::path EncodeToFile(const TempDir& dir, const std::vector<std::uint8_t>& bytes) {
    qb::testing::FakeSystem sys;
    const auto file = dir.Write("in-" + std::to_string(bytes.size()) + ".bin", bytes);
    auto p = sys.Get();
    EXPECT_EQ(RunEncodeJob(Wide(file), p).exitCode, 0);
    const std::filesystem::path side = file.string() + ".uue";
    if (std::filesystem::exists(side)) return side;
    const auto clip = dir.path() / ("clip-" + std::to_string(bytes.size()) + ".txt");
    std::ofstream(clip, std::ios::binary) << sys.clipboard.text;
    return clip;
}

const std::vector<std::size_t> kSizes = {1, 2, 3, 44, 45, 46, 89, 90, 91, 4096, 100'001, 10'485'760};

TEST(PeerDecoders, GnuUudecodeRebuildsTheFile) {
    TempDir dir;
    for (const std::size_t n : kSizes) {
        const auto bytes = qb::testing::RandomBytes(n, static_cast<unsigned>(n));
        const auto text = EncodeToFile(dir, bytes);
        const auto out = dir.path() / "decoded.bin";
        const std::string cmd = "uudecode -o '" + out.string() + "' '" + text.string() + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        const std::string decoded = ReadAll(out);
        ASSERT_EQ(decoded, std::string(bytes.begin(), bytes.end())) << "size " << n;
    }
}

TEST(PeerDecoders, PythonBinasciiRebuildsTheFile) {
    TempDir dir;
    const auto script = dir.path() / "decode.py";
    std::ofstream(script) << R"(import binascii, sys
lines = open(sys.argv[1], 'rb').read().split(b'\r\n')
assert lines[0].startswith(b'begin 644 '), lines[0]
end = lines.index(b'end')
assert lines[end - 1] == b'`'
open(sys.argv[2], 'wb').write(b''.join(binascii.a2b_uu(l) for l in lines[1:end - 1]))
)";
    for (const std::size_t n : kSizes) {
        const auto bytes = qb::testing::RandomBytes(n, static_cast<unsigned>(n) + 1);
        const auto text = EncodeToFile(dir, bytes);
        const auto out = dir.path() / "py.bin";
        const std::string cmd = "python3 '" + script.string() + "' '" + text.string() + "' '" + out.string() + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        ASSERT_EQ(ReadAll(out), std::string(bytes.begin(), bytes.end())) << "size " << n;
    }
}

// Each part is an ordinary block: GNU uudecode rebuilds each one, and cat joins them, with no
// Quillbox on that end.
TEST(PeerDecoders, GnuUudecodeRebuildsEachPartAndCatJoinsThem) {
    TempDir dir;
    const auto bytes = qb::testing::RandomBytes(100'000, 77);
    const auto layout = LayOutParts(bytes.size(), L"joined.bin", 14'000);
    ASSERT_TRUE(layout);
    std::string parts;
    for (std::uint32_t k = 1; k <= layout->count; ++k) {
        const std::uint64_t from = (k - 1) * layout->partBytes;
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(layout->partBytes, bytes.size() - from));
        std::ofstream(dir.path() / ("part" + std::to_string(k) + ".txt"), std::ios::binary)
            << EncodePart(*layout, k, {bytes.data() + from, n});
        const std::string cmd = "cd '" + dir.path().string() + "' && uudecode part" + std::to_string(k) + ".txt";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    const std::string cmd = "cd '" + dir.path().string() + "' && cat joined.bin.[0-9]* > joined.bin";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(ReadAll(dir.path() / "joined.bin"), std::string(bytes.begin(), bytes.end()));
}

}  // namespace
}  // namespace qb::encode
