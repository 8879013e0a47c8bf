#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

#include "Recorders.h"
#include "encode/AheadEncoder.h"
#include "uue/Encoder.h"
#include "UuTestSupport.h"

namespace qb::encode {
namespace {

using namespace std::chrono_literals;
using uue::EncodedBodySize;
using uue::EncodeLines;
using qb::testing::RandomBytes;

// A process whose workers start as the program's do.
testing::FakeProcess process;

std::string WholeText(std::span<const std::uint8_t> in) {
    std::string out(EncodedBodySize(in.size()), '\0');
    EncodeLines(in, out);
    return out;
}

// Reads `in` from its start, as a file would be read.
AheadEncoder::Source Reading(std::span<const std::uint8_t> in) {
    return [in, at = std::size_t{0}](std::span<std::uint8_t> out) mutable {
        std::copy_n(in.begin() + static_cast<std::ptrdiff_t>(at), out.size(), out.begin());
        at += out.size();
    };
}

// Joins the slices as the side-file writer does; `pause` runs between them.
template <typename Pause>
std::string Joined(AheadEncoder& slices, Pause pause) {
    std::string joined;
    std::size_t count = 0;
    for (auto text = slices.Next(); !text.empty(); text = slices.Next()) {
        joined.append(text.data(), text.size());
        pause(++count);
    }
    EXPECT_EQ(count, slices.SliceCount());
    EXPECT_TRUE(slices.Next().empty()) << "asking again after the end gives nothing more";
    return joined;
}

TEST(AheadEncoder, SlicesJoinToTheWholeTextAtEverySliceBoundary) {
    // Three lines per slice: lengths around one, two and many slices, with partial last lines;
    // encoded ahead by the worker, and in the caller's thread as when no thread can be started.
    const auto data = RandomBytes(45 * 3 * 40 + 7, 21);
    for (const std::size_t n : {std::size_t{1}, std::size_t{44}, std::size_t{45}, std::size_t{134},
                                std::size_t{135}, std::size_t{136}, std::size_t{270}, data.size()}) {
        const std::span<const std::uint8_t> in(data.data(), n);
        for (const std::size_t buffers : {2, 3, 8}) {
            for (const bool noThreads : {false, true}) {
                testing::FakeProcess process;
                process.noThreads = noThreads;
                AheadEncoder slices(n, Reading(in), 3, buffers, process);
                ASSERT_EQ(Joined(slices, [](std::size_t) {}), WholeText(in))
                    << n << " bytes, " << buffers << " buffers, no threads " << noThreads;
            }
        }
    }
}

TEST(AheadEncoder, SlowReaderAndSleepingWorkerLoseNoSlice) {
    // Pausing longer than the worker's spin makes it go to sleep with all buffers full; each
    // release must wake it, or this hangs until the test times out.
    const auto data = RandomBytes(45 * 64, 22);
    AheadEncoder slices(data.size(), Reading(data), 4, 2, process);
    const std::string joined = Joined(slices, [](std::size_t n) {
        if (n % 4 == 0) std::this_thread::sleep_for(15ms);
    });
    EXPECT_EQ(joined, WholeText(data));
}

TEST(AheadEncoder, GivingUpEarlyStopsTheWorker) {
    // A failed write abandons the encoder part-way, with the worker waiting for a buffer.
    const auto data = RandomBytes(45 * 1000, 23);
    for (const auto pause : {0ms, 20ms}) {
        AheadEncoder slices(data.size(), Reading(data), 1, 3, process);
        ASSERT_FALSE(slices.Next().empty());
        std::this_thread::sleep_for(pause);
    }  // returning from the destructor is the check
    AheadEncoder untouched(data.size(), Reading(data), 1, 2, process);
}

TEST(AheadEncoder, AReadErrorOnTheWorkerReachesTheCallerAtItsSlice) {
    // Escaping the worker's function would end the process; it must surface in Next instead,
    // after every slice read before it, in both modes.
    const auto data = RandomBytes(45 * 40, 24);
    for (const bool noThreads : {false, true}) {
        testing::FakeProcess process;
        process.noThreads = noThreads;
        int reads = 0;
        AheadEncoder slices(
            data.size(),
            [&, read = Reading(data)](std::span<std::uint8_t> out) mutable {
                if (++reads == 5) throw std::runtime_error("the share went away");
                read(out);
            },
            2, 3, process);
        for (int i = 0; i < 4; ++i) ASSERT_FALSE(slices.Next().empty()) << i;
        EXPECT_THROW(slices.Next(), std::runtime_error) << noThreads;
    }
}

TEST(AheadEncoder, EmptyInputHasNoSlices) {
    AheadEncoder slices(0, Reading({}), 16, 2, process);
    EXPECT_EQ(slices.SliceCount(), 0u);
    EXPECT_TRUE(slices.Next().empty());
}

}  // namespace
}  // namespace qb::encode
