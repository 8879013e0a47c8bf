#include <gtest/gtest.h>

#include <optional>
#include <thread>
#include <tuple>

#include "product/AppInfo.h"
#include "Fakes.h"
#include "app/CommandLine.h"
#include "encode/Delivery.h"
#include "product/ExitCodes.h"
#include "encode/EncodeJob.h"
#include "restore/RestoreJob.h"
#include "platform/Failure.h"
#include "product/Texts.h"
#include "TempDir.h"
#include "UuTestSupport.h"

namespace qb::encode {
namespace {
using namespace product;

using qb::testing::FakeSystem;
using qb::testing::RandomBytes;
using qb::testing::ReadAll;
using qb::testing::TempDir;
using qb::testing::Wide;

constexpr char kTrailer[] = "\xB9\xD9\xB7\xBD\xCD\xF8\xD5\xBE\xA3\xBA" "http://quillbox.example.com/";

class EncodeJob : public ::testing::Test {
protected:
    int Run(const std::wstring& commandLine) {
        auto p = sys.Get();
        const auto request = app::ReadCommandLine(commandLine);
        const auto* file = std::get_if<app::FilePath>(&request);
        auto encoded = RunEncodeJob(file ? file->path : L"", p);
        parts.reset();
        if (encoded.parts) {
            // What the parts window would put on the clipboard, part by part.
            parts = {encoded.parts->limit, {}, encoded.parts->sideFile};
            for (std::uint32_t k = 1; k <= encoded.parts->parts->Count(); ++k)
                parts->texts.push_back(encoded.parts->parts->Text(k));
        }
        return encoded.exitCode;
    }
    struct Shown {
        std::uint64_t limit;
        std::vector<std::string> texts;
        std::wstring sideFile;
    };
    std::optional<Shown> parts;
    int RunOn(const std::filesystem::path& file) { return Run(L"Quillbox.exe " + Wide(file)); }
    // Delivers `file` the way the job's worker does, the test holding the progress a window would.
    Road DeliverFrom(const std::filesystem::path& file, platform::JobProgress& progress) {
        auto p = sys.Get();
        return Deliver(p, sys.files.OpenInput(Wide(file)), Wide(file), file.filename().wstring(), progress).road;
    }

    TempDir dir;
    FakeSystem sys;
};

TEST_F(EncodeJob, SmallFileLandsOnTheClipboardFramedAndInCodePage936) {
    const auto file = dir.Write("a.txt", {'a', 'b', 'c'});
    EXPECT_EQ(RunOn(file), kDelivered);
    EXPECT_EQ(sys.clipboard.text,
              std::string("begin 644 a.txt\r\n#86)C\r\n`\r\nend\r\n") + kTrailer);
    ASSERT_EQ(sys.ui.shown.size(), 1u);
    EXPECT_EQ(sys.ui.shown[0].text, text::kOnClipboard);
    EXPECT_EQ(sys.ui.shown[0].style, 0u);
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".uue"));
}

TEST_F(EncodeJob, HeaderCarriesOnlyTheNameWithSpacesAndChineseKept) {
    const auto file = dir.Write("报告 final.bin", {1, 2, 3, 4});
    ASSERT_EQ(Run(L"\"C:\\ignored\\Quillbox.exe\" \"" + Wide(file) + L"\""), kDelivered);
    // "报告" in code page 936 is B1 A8 B8 E6.
    EXPECT_EQ(sys.clipboard.text.rfind("begin 644 \xB1\xA8\xB8\xE6 final.bin\r\n$`0(#!```\r\n", 0), 0u);
    // Nor a stream or drive: what Windows forbids in a name becomes '_'.
    ASSERT_EQ(RunOn(dir.Write("C:x.txt:s*?<>|\x01\x1f", {1})), kDelivered);
    EXPECT_EQ(sys.clipboard.text.rfind("begin 644 C_x.txt_s_______\r\n", 0), 0u) << sys.clipboard.text;
    // Nor a device, which a decoder on Windows would open instead of a file.
    for (const auto& [name, header] : {std::pair{"aux.c", "_aux.c"}, {"CON", "_CON"}, {"nul.txt", "_nul.txt"},
                                       {"com1", "_com1"}, {"aux .c", "_aux .c"}, {"console.txt", "console.txt"}}) {
        const auto device = dir.Write(name, {'x'});
        ASSERT_EQ(RunOn(device), kDelivered) << name;
        EXPECT_EQ(sys.clipboard.text.rfind("begin 644 " + std::string(header) + "\r\n", 0), 0u) << name;
        std::filesystem::remove(device);
    }
}

TEST_F(EncodeJob, NameCharactersOutsideTheCodePageBecomeOneUnderscoreEachNeverAQuestionMark) {
    ASSERT_EQ(RunOn(dir.Write("한국어 파일.bin", {1})), kDelivered);
    EXPECT_EQ(sys.clipboard.text.rfind("begin 644 ___ __.bin\r\n", 0), 0u) << sys.clipboard.text;
    ASSERT_EQ(RunOn(dir.Write("\xF0\x9F\x98\x80 a.txt", {1})), kDelivered);  // an emoji
    EXPECT_EQ(sys.clipboard.text.rfind("begin 644 _ a.txt\r\n", 0), 0u) << sys.clipboard.text;
}

TEST_F(EncodeJob, QuotesAnywhereInTheArgumentAreIgnored) {
    const auto file = dir.Write("has space.txt", {'x'});
    std::wstring quotedInside = Wide(file);
    quotedInside.insert(quotedInside.size() - 4, L"\"\"");
    for (const std::wstring& arg : {Wide(file), L"\"" + Wide(file) + L"\"", quotedInside}) {
        sys.clipboard.text.clear();
        EXPECT_EQ(Run(L"Quillbox.exe " + arg), kDelivered) << arg;
        EXPECT_EQ(sys.clipboard.text.rfind("begin 644 has space.txt\r\n!>```\r\n", 0), 0u) << arg;
    }
}

TEST_F(EncodeJob, AClipboardSizedFileStaysOnTheClipboardAndTheNextByteGoesToTheSideFile) {
    const auto data = RandomBytes(10'485'760, 3);
    const auto below = dir.Write("below.bin", {data.begin(), data.end() - 1});
    ASSERT_EQ(RunOn(below), kDelivered);
    EXPECT_EQ(sys.clipboard.text.rfind("begin 644 below.bin\r\n", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(below.string() + ".uue"));

    sys.clipboard.text = "untouched";
    const auto at = dir.Write("at.bin", data);
    ASSERT_EQ(RunOn(at), kDelivered);
    EXPECT_EQ(sys.clipboard.text, "untouched");
    EXPECT_EQ(sys.ui.shown.back().text, text::kSideFileWritten);
    EXPECT_EQ(sys.ui.shown.back().style, 0u);

    const std::string side = ReadAll(at.string() + ".uue");
    const std::string header = "begin 644 at.bin\r\n";
    const std::string footer = std::string("`\r\nend\r\n") + kTrailer + "\r\n";
    ASSERT_EQ(side.rfind(header, 0), 0u);
    ASSERT_TRUE(side.ends_with(footer));
    const std::string body = side.substr(header.size(), side.size() - header.size() - footer.size());
    EXPECT_EQ(qb::testing::DecodeBody(body), data) << "the last body line runs straight into \"`\"";
}

TEST_F(EncodeJob, AnExistingSideFileIsReplacedWholeAndNoTemporaryFileStays) {
    const auto data = RandomBytes(10'485'760, 4);
    const auto file = dir.Write("x.zip", data);
    dir.Write("x.zip.uue", std::vector<std::uint8_t>(30'000'000, 'o'));
    ASSERT_EQ(RunOn(file), kDelivered);
    const std::string side = ReadAll(file.string() + ".uue");
    EXPECT_EQ(side.rfind("begin 644 x.zip\r\n", 0), 0u);
    EXPECT_LT(side.size(), 30'000'000u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST_F(EncodeJob, LargeFilesAskFirstAndOnlyYesGoesOnNeverNoNorAQuestionThatCouldNotBeShown) {
    const auto file = dir.Write("big.bin", RandomBytes(16, 5));
    sys.files.reportedLength = 20'000'000;
    sys.files.refuseReadAfterBytes = 0;  // past the questions nothing needs to be read here
    RunOn(file);
    EXPECT_NE(sys.ui.Texts().front(), text::kAskLarge) << "exactly 20,000,000 bytes does not ask";

    sys.ui.shown.clear();
    sys.files.reads = 0;
    sys.files.reportedLength = 20'000'001;
    sys.ui.answers = {platform::kAnswerNo};
    EXPECT_EQ(RunOn(file), kDeclined);
    ASSERT_EQ(sys.ui.Texts(), std::vector<std::wstring>{std::wstring(text::kAskLarge)});
    EXPECT_EQ(sys.ui.shown[0].style, 260u);
    EXPECT_EQ(sys.clipboard.text, "untouched");
    EXPECT_EQ(sys.files.reads, 0) << "No must end the job before the file is read";
    sys.ui.answers = {0};  // MessageBoxW failed: no desktop to show the question on
    EXPECT_EQ(RunOn(file), kDeclined);
    sys.ui.answers = {platform::kAnswerYes};
    EXPECT_EQ(RunOn(file), kReadFailed) << "Yes goes on to read the file";
}

TEST_F(EncodeJob, SizesPastTheLimitAreRefusedAndNeverWrapToASmallSize) {
    const auto file = dir.Write("huge.bin", RandomBytes(6, 6));
    sys.files.refuseReadAfterBytes = 0;
    for (const std::uint64_t size : {std::uint64_t{766'958'446}, std::uint64_t{1} << 31,
                                     (std::uint64_t{1} << 32) + 3}) {
        sys.ui.shown.clear();
        sys.ui.answers = {6};  // Yes to the question
        EXPECT_EQ((sys.files.reportedLength = size, RunOn(file)), kTooLarge) << size;
        ASSERT_EQ(sys.ui.Texts().size(), 2u);
        EXPECT_EQ(sys.ui.Texts()[1], text::kTooLarge);
        EXPECT_EQ(sys.ui.shown[1].style, platform::style::kError);
    }
    EXPECT_EQ(sys.files.reads, 0);
    EXPECT_EQ(sys.clipboard.text, "untouched");

    // The limit itself is accepted: the job goes on to read the file.
    sys.files.reportedLength = 766'958'445;
    sys.ui.answers = {6};
    EXPECT_EQ(RunOn(file), kReadFailed);
}

TEST_F(EncodeJob, MissingEmptyAndUnnamedFilesGetTheirOwnMessages) {
    EXPECT_EQ(RunOn(dir.path() / "missing.txt"), kOpenFailed);
    EXPECT_EQ(RunOn(dir.path()), kOpenFailed) << "a directory is not a file to encode";
    const auto a = dir.Write("a.txt", {'a'});
    const auto b = dir.Write("b.txt", {'b'});
    EXPECT_EQ(Run(L"Quillbox.exe \"" + Wide(a) + L"\" \"" + Wide(b) + L"\""), kOpenFailed)
        << "two dropped files make one argument naming no file";
    EXPECT_EQ(RunOn(dir.Write("empty.txt", {})), kEmptyFile);
    ASSERT_EQ(sys.ui.shown.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sys.ui.shown[i].text, text::kFileOpenFailed);
        EXPECT_EQ(sys.ui.shown[i].style, 48u);
    }
    EXPECT_EQ(sys.ui.shown[3].text, text::kEmpty);
    EXPECT_EQ(sys.ui.shown[3].style, 64u);
    EXPECT_EQ(sys.clipboard.text, "untouched");
}

TEST_F(EncodeJob, FailuresAfterTheChecksNameTheActionAndFileAndNothingIsDelivered) {
    const auto file = dir.Write("f.bin", RandomBytes(100, 8));
    sys.files.refuseReadAfterBytes = 50;
    // The file by its full path, however the argument names it.
    EXPECT_EQ(Run(L"Quillbox.exe " + Wide(std::filesystem::relative(file))), kReadFailed);
    sys.files.refuseReadAfterBytes.reset();
    sys.clipboard.refuse = true;
    sys.files.driveFolders[L'C'] = Wide(dir.path());
    EXPECT_EQ(Run(L"Quillbox.exe C:f.bin"), kDeliveryFailed);
    EXPECT_EQ(sys.ui.Texts(),
              (std::vector<std::wstring>{L"无法读取文件 " + Wide(file) + L"：指定的网络名不再可用。（错误代码 64）",
                                         L"无法设置剪切板：拒绝访问。（错误代码 5）"}));
    for (const auto& box : sys.ui.shown) EXPECT_EQ(box.style, platform::style::kError);
    EXPECT_EQ(sys.clipboard.text, "untouched");
}

TEST_F(EncodeJob, AWriteOrReadFailingHalfWayLeavesTheOlderSideFileAsItWas) {
    const auto file = dir.Write("y.bin", RandomBytes(10'485'760, 9));
    dir.Write("y.bin.uue", {'o', 'l', 'd'});
    sys.files.refuseAfterBytes = 5'000'000;  // the disk fills up half-way through the body
    EXPECT_EQ(RunOn(file), kDeliveryFailed);
    sys.files.refuseAfterBytes.reset();
    // The read fails on the worker thread; its report must still reach this one.
    sys.files.refuseReadAfterBytes = 5'000'000;
    EXPECT_EQ(RunOn(file), kReadFailed);
    EXPECT_EQ(ReadAll(file.string() + ".uue"), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2)
        << "the half-written temporary file must be gone";
    EXPECT_EQ(sys.ui.Texts(),
              (std::vector<std::wstring>{L"无法写入文件 " + Wide(file) + L".uue：磁盘空间不足。（错误代码 112）",
                                         L"无法读取文件 " + Wide(file) + L"：指定的网络名不再可用。（错误代码 64）"}));
}

TEST_F(EncodeJob, AFileCutShortIsNotEncodedAndOneThatGrowsIsEncodedAsItWas) {
    const auto data = RandomBytes(300, 10);
    const auto file = dir.Write("moving.bin", data);
    sys.files.reportedLength = 400;  // cut short after the open
    EXPECT_EQ(RunOn(file), kReadFailed);
    EXPECT_EQ(sys.clipboard.text, "untouched");
    EXPECT_NE(sys.ui.shown.back().text.find(text::kFileShrank), std::wstring::npos);
    sys.files.reportedLength = 200;  // grew after the open, as a log does
    EXPECT_EQ(RunOn(file), kDelivered);
    const std::string body = sys.clipboard.text.substr(sys.clipboard.text.find('\n') + 1);
    EXPECT_EQ(qb::testing::DecodeBody(body.substr(0, body.find("`\r\nend"))),
              std::vector<std::uint8_t>(data.begin(), data.begin() + 200));
}

TEST_F(EncodeJob, ALongJobShowsOneProgressWindowThatClosesBeforeItsBoxOrReport) {
    const auto file = dir.Write("slow.bin", RandomBytes(2'500'000, 12));
    sys.files.onRead = [](std::size_t) { std::this_thread::sleep_for(std::chrono::milliseconds(100)); };
    auto p = sys.Get();
    const auto run = [&] {
        sys.ui.shown.clear();
        return RunEncodeJob(Wide(file), p, std::chrono::milliseconds(10)).exitCode;
    };
    const std::wstring heading = L"正在转换 slow.bin";
    EXPECT_EQ(run(), kDelivered);
    EXPECT_EQ(sys.ui.Texts(), (std::vector<std::wstring>{heading, std::wstring(text::kOnClipboard)}));
    sys.files.refuseReadAfterBytes = 2'000'000;
    EXPECT_EQ(run(), kReadFailed);
    EXPECT_EQ(sys.ui.Texts().size(), 2u);
    EXPECT_EQ(sys.ui.Texts().front(), heading) << "a failing job's report follows its window too";
}

// A stop counts until the delivery begins: before it nothing is delivered and nothing is left
// behind, however long another program holds the clipboard; once the clipboard is open or the side
// file moves into place, the job completes.
TEST_F(EncodeJob, AStopBeforeDeliveryLeavesEverythingAsItWasAndOneDuringDeliveryIsTooLate) {
    const auto data = RandomBytes(10'485'760, 13);
    const auto small = dir.Write("c.bin", {data.begin(), data.begin() + 3'500'000});
    const auto large = dir.Write("s.bin", data);
    std::optional<platform::JobProgress> progress;
    const auto stop = [&] { progress->RequestStop(); };
    const auto stopAtRead = [&](std::size_t at) { return [&, at](std::size_t before) { if (before == at) stop(); }; };
    const std::tuple<std::string, std::filesystem::path, std::function<void()>, bool> stages[] = {
        {"clipboard road, reading", small, [&] { sys.files.onRead = stopAtRead(1 << 20); }, false},
        {"clipboard road, all read", small, [&] { sys.files.onRead = stopAtRead(13 << 18); }, false},
        {"clipboard road, waiting for a busy clipboard", small, [&] { sys.clipboard.whileBusy = stop; }, false},
        {"clipboard road, the clipboard open", small, [&] { sys.clipboard.onCommit = stop; }, true},
        {"side-file road, reading", large, [&] { sys.files.onRead = stopAtRead(2 * 737'280); }, false},
        {"side-file road, all written", large,
         [&] { sys.files.onAppend = [&](std::string_view b) { if (b.starts_with("`")) stop(); }; }, false},
        {"side-file road, moving into place", large, [&] { sys.files.onCommit = stop; }, true},
    };
    for (const auto& [stage, file, arm, delivered] : stages) {
        dir.Write("s.bin.uue", {'o', 'l', 'd'});
        sys.clipboard.text = "untouched";
        sys.files.onRead = nullptr;
        sys.files.onAppend = nullptr;
        sys.files.onCommit = sys.clipboard.onCommit = sys.clipboard.whileBusy = nullptr;
        arm();
        progress.emplace(std::filesystem::file_size(file));
        if (delivered) {
            EXPECT_NO_THROW(DeliverFrom(file, *progress)) << stage;
            const std::string text = file == small ? sys.clipboard.text : ReadAll(large.string() + ".uue");
            EXPECT_EQ(text.rfind("begin 644 " + file.filename().string(), 0), 0u) << stage;
        } else {
            EXPECT_THROW(DeliverFrom(file, *progress), platform::JobStopped) << stage;
            EXPECT_EQ(sys.clipboard.text, "untouched") << stage;
            EXPECT_EQ(ReadAll(large.string() + ".uue"), "old") << stage;
        }
        EXPECT_EQ(progress->Done() < progress->Total(), stage.ends_with("reading"))
            << stage << ": the reading goes on after a stop, or stops short without one";
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3)
            << stage << ": no temporary file may stay";
    }
}

// A text too long for the channel goes in parts that each fit it, and they come back together in
// any order; on the side-file road too; a channel that would need too many parts is told.
TEST_F(EncodeJob, AFileTooLongForTheChannelGoesInPartsThatEachFitAndJoinAgain) {
    sys.settings.stored = 4000;
    const auto data = RandomBytes(20'000, 31);
    const auto file = dir.Write("报告.bin", data);
    EXPECT_EQ(RunOn(file), kDelivered);
    ASSERT_TRUE(parts);
    EXPECT_TRUE(sys.ui.shown.empty()) << "the parts window instead of the box";
    EXPECT_EQ(parts->limit, 4000u);
    EXPECT_EQ(parts->texts.size(), 8u);
    std::string shuffled;
    for (const auto& text : parts->texts) {
        EXPECT_LE(platform::FromAnsi(text).size(), 4000u);
        EXPECT_TRUE(text.starts_with("#Quillbox part ")) << text.substr(0, 60);
        shuffled = text + "\r\n" + shuffled;
    }
    auto p = sys.Get();
    sys.clipboard.readable = {platform::ClipboardContent::kText, platform::FromAnsi(shuffled)};
    sys.dialogs.chosen = Wide(dir.path() / "back.bin");
    restore::RunRestore(restore::From::kClipboard, p, 0);
    EXPECT_EQ(ReadAll(dir.path() / "back.bin"), std::string(data.begin(), data.end()));

    sys.ui.shown.clear();
    sys.settings.stored = 1'000'000;
    const auto big = dir.Write("big.bin", RandomBytes(10'485'760 + 100, 32));
    EXPECT_EQ(RunOn(big), kDelivered);
    EXPECT_TRUE(sys.ui.shown.empty()) << "the parts window names the side file; no box says the clipboard was left alone";
    EXPECT_EQ(parts->sideFile, L"big.bin.uue");
    std::string joined;
    for (const auto& text : parts->texts) joined += text + "\r\n";
    EXPECT_EQ(ReadAll(dir.path() / "big.bin.uue"), joined) << "every part, read back from the side file";
    EXPECT_EQ(parts->texts.size(), 15u);

    sys.ui.shown.clear();
    sys.settings.stored = 1000;
    EXPECT_EQ(RunOn(big), kTooLarge);
    ASSERT_EQ(sys.ui.shown.size(), 1u);
    EXPECT_EQ(sys.ui.shown[0].text.rfind(L"分段太多：big.bin 需要分成 ", 0), 0u) << sys.ui.shown[0].text;
    const std::wstring count = sys.ui.shown[0].text.substr(sys.ui.shown[0].text.find(L"分成 ") + 3);
    EXPECT_LT(count.find(L','), count.find(L' ')) << "the count's thousands' comma: " << count;
    EXPECT_EQ(sys.ui.shown[0].style, platform::style::kExclamation);
}

}  // namespace
}  // namespace qb::encode
