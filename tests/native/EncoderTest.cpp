#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "uue/KernelTable.h"
#include "uue/Encoder.h"
#include "UuTestSupport.h"

namespace qb::uue {

void PrintTo(const NamedEncoder& kernel, std::ostream* out) { *out << kernel.name; }

namespace {

using qb::testing::DecodeBody;
using qb::testing::RandomBytes;

std::string EncodeWith(std::span<const std::uint8_t> in, LineEncoder kernel) {
    // Exact-size buffers: an overrun shows up under the sanitizers and in the guard check below.
    std::string out(EncodedBodySize(in.size()) + 1, '\xEE');
    EncodeLines(in, {out.data(), out.size() - 1}, kernel);
    EXPECT_EQ(out.back(), '\xEE') << "wrote past the computed size";
    out.pop_back();
    return out;
}

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

// A copy in a heap block of its own, so that reading past its end trips the sanitizer.
std::vector<std::uint8_t> Prefix(const std::vector<std::uint8_t>& data, std::size_t n) {
    return {data.begin(), data.begin() + static_cast<long>(n)};
}

const LineEncoder scalar = RunnableEncoders().front().run;

class EveryKernel : public ::testing::TestWithParam<NamedEncoder> {
protected:
    std::string Encode(std::span<const std::uint8_t> in) { return EncodeWith(in, run); }
    const LineEncoder run = GetParam().run;
};

TEST_P(EveryKernel, KnownTextsEncodeAsTheFormatDefines) {
    EXPECT_EQ(Encode(Bytes("abc")), "#86)C\r\n");
    EXPECT_EQ(Encode(Bytes("Cat")), "#0V%T\r\n");
    EXPECT_EQ(Encode(std::vector<std::uint8_t>{0}), "!````\r\n");
    EXPECT_EQ(Encode(Bytes("a")), "!80``\r\n") << "zero fill must become ` not a space";
}

TEST_P(EveryKernel, LineBreaksFallEvery45Bytes) {
    const std::string one = Encode(std::vector<std::uint8_t>(45, 'x'));
    EXPECT_EQ(one.size(), 63u);
    EXPECT_EQ(one.front(), 'M');
    EXPECT_EQ(one.find("\r\n"), 61u);

    const std::string two = Encode(std::vector<std::uint8_t>(46, 'x'));
    EXPECT_EQ(two.substr(63, 1), "!");
    EXPECT_EQ(two.size(), 63u + 7u);

    const std::string exact = Encode(std::vector<std::uint8_t>(90, 'x'));
    EXPECT_EQ(exact.size(), 126u) << "90 bytes make two full lines and no empty third one";
    EXPECT_EQ(exact[63], 'M');

    const std::string over = Encode(std::vector<std::uint8_t>(91, 'x'));
    EXPECT_EQ(over.size(), 126u + 7u);
    EXPECT_EQ(over[126], '!');
}

TEST_P(EveryKernel, EveryLengthRoundTripsAndHasNoSpace) {
    const auto data = RandomBytes(5000, 7);
    for (std::size_t n = 1; n <= data.size(); ++n) {
        const std::vector<std::uint8_t> in(data.begin(), data.begin() + static_cast<long>(n));
        const std::string text = Encode(in);
        ASSERT_EQ(text.find(' '), std::string::npos) << "length " << n;
        ASSERT_EQ(DecodeBody(text), in) << "length " << n;
    }
}

TEST_P(EveryKernel, AllByteValuesAndLargeInputsRoundTrip) {
    std::vector<std::uint8_t> all(256 * 3);
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    EXPECT_EQ(DecodeBody(Encode(all)), all);
    for (const std::size_t n : {std::size_t{1} << 20, (std::size_t{3} << 20) + 1, std::size_t{10'485'761}}) {
        const auto in = RandomBytes(n, static_cast<unsigned>(n));
        ASSERT_EQ(DecodeBody(Encode(in)), in) << "length " << n;
    }
}

TEST_P(EveryKernel, MatchesTheScalarKernelFromEveryStartOffset) {
    // SIMD kernels load in wide blocks; shifting the start catches alignment assumptions.
    const auto data = RandomBytes(4096 + 64, 11);
    std::string expected;
    for (std::size_t offset = 0; offset < 64; ++offset) {
        const auto in = std::span(data).subspan(offset);
        expected = EncodeWith(in, scalar);
        ASSERT_EQ(Encode(in), expected) << "offset " << offset;
    }
}

TEST_P(EveryKernel, WholeLinesStayInsideExactBuffers) {
    // Called directly, a kernel's input ends at its last line and its output at the last LF;
    // the sanitizer build turns any wide load or store past either end into a failure.
    const auto data = RandomBytes(45 * 40, 5);
    for (std::size_t lines = 0; lines <= 40; ++lines) {
        const auto in = Prefix(data, 45 * lines);
        std::vector<char> expected(63 * lines), out(63 * lines, '\xEE');
        scalar(in.data(), lines, expected.data());
        run(in.data(), lines, out.data());
        ASSERT_EQ(out, expected) << lines << " lines";
    }
}

TEST_P(EveryKernel, EveryOutputAlignmentGivesTheSameLines) {
    // Aligned block stores start after a number of lines that depends on where the output
    // starts, so try every start modulo 64 and counts around the 64-line block.
    const auto data = RandomBytes(45 * 300, 9);
    for (const std::size_t lines : {0, 1, 5, 63, 64, 65, 127, 128, 129, 130, 300}) {
        const auto in = Prefix(data, 45 * lines);
        std::vector<char> expected(63 * lines);
        scalar(in.data(), lines, expected.data());
        for (std::size_t offset = 0; offset < 64; ++offset) {
            std::vector<char> out(offset + 63 * lines, '\xEE');
            run(in.data(), lines, out.data() + offset);
            ASSERT_EQ(std::string_view(out.data() + offset, expected.size()),
                      std::string_view(expected.data(), expected.size()))
                << lines << " lines at offset " << offset;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kernels, EveryKernel, ::testing::ValuesIn(RunnableEncoders()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EncodeLines, RefusesAnOutputOfAnyOtherSizeBeforeWritingIt) {
    // One byte short is the overrun a caller's sizing slip would cause; one byte long would
    // leave a byte of garbage in the text.
    const auto in = RandomBytes(100, 3);
    for (const std::size_t size : {EncodedBodySize(100) - 1, EncodedBodySize(100) + 1}) {
        std::string out(size, '\xEE');
        EXPECT_THROW(EncodeLines(in, out), std::length_error) << size;
        EXPECT_EQ(out, std::string(size, '\xEE')) << size;
    }
    char untouched = '\xEE';
    EXPECT_THROW(EncodeLines({}, {&untouched, 1}), std::length_error) << "empty input";
    EXPECT_EQ(untouched, '\xEE');
}

// A level names the best kernel of each direction at or below it that the CPU runs: the two
// directions have different levels, and one the CPU lacks must never be picked.
TEST(KernelTable, ALevelPicksTheBestRunnableKernelOfEachDirectionAtOrBelowIt) {
    const auto encoders = RunnableEncoders();
    const auto decoders = RunnableDecoders();
    for (const std::string_view level : {"scalar", "ssse3", "avx2", "avx512vbmi", "no-such"}) {
        const Kernels k = KernelsAtOrBelow(level);
        const auto runnable = [&](const auto& list, const auto& named) {
            return std::ranges::any_of(list, [&](const auto& e) { return e.run == named.run; });
        };
        EXPECT_TRUE(runnable(encoders, k.encoder) && runnable(decoders, k.decoder)) << level;
        for (const auto& e : encoders)
            if (e.name == level) {
                EXPECT_EQ(k.encoder.run, e.run) << level;
            }
        for (const auto& d : decoders)
            if (d.name == level) {
                EXPECT_EQ(k.decoder.run, d.run) << level;
            }
    }
    EXPECT_EQ(KernelsAtOrBelow("no-such").encoder.run, encoders.front().run);
    EXPECT_EQ(KernelsAtOrBelow("avx512vbmi").decoder.run, decoders.back().run);
    EXPECT_EQ(KernelsAtOrBelow("avx512vbmi").encoder.run, encoders.back().run);
    // The forced runs below are only worth their time if the program really runs what they name.
    const char* forced = std::getenv("QB_KERNEL");
    const Kernels expected = forced ? KernelsAtOrBelow(forced) : KernelsAtOrBelow("avx512vbmi");
    EXPECT_EQ(ChosenKernels().encoder.run, expected.encoder.run);
    EXPECT_EQ(ChosenKernels().decoder.run, expected.decoder.run);
}

TEST(EncodedBodySize, CountsFourCharsPerGroupAndThreePerLine) {
    EXPECT_EQ(EncodedBodySize(1), 7u);
    EXPECT_EQ(EncodedBodySize(45), 63u);
    EXPECT_EQ(EncodedBodySize(46), 70u);
    EXPECT_EQ(EncodedBodySize(766'958'445), 1'073'741'823u);
}

}  // namespace
}  // namespace qb::uue
