// The conversation between the two ends of a file sent in parts: its lines, the cut, and a
// sender and a receiver on one shared clipboard through the orderings that break real relays.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "Fakes.h"
#include "ReceivingEnd.h"
#include "UuTestSupport.h"
#include "encode/PartSources.h"
#include "platform/CodePage.h"
#include "product/Numbers.h"
#include "relay/ClipboardChanges.h"
#include "relay/Sender.h"
#include "restore/RestoreJob.h"
#include "uue/Encoder.h"
#include "uue/Frame.h"
#include "uue/PartLines.h"

namespace qb::relay {
namespace {

std::u16string U16(std::string_view s) { return {s.begin(), s.end()}; }

// A marker and an answer are written one way and read exactly; anything else is surrounding text.
TEST(PartLines, ReadBackExactlyAndRefuseEveryOtherSpelling) {
    uue::PartMarker m{12, 345, 1'000'000, {}, std::string("r\xC3\xA9sum\xC3\xA9 1.pdf")};
    for (std::size_t i = 0; i < 32; ++i) m.sha256[i] = static_cast<std::uint8_t>(i * 9);
    const std::string line = uue::FormatMarker(m);
    EXPECT_EQ(line.substr(0, 40), "#Quillbox part 12/345 size=1000000 sha25");
    EXPECT_TRUE(line.ends_with(" name=r%C3%A9sum%C3%A9%201.pdf")) << line;
    EXPECT_EQ(uue::ParseMarker(line + "  "), m);
    const std::string hex = line.substr(uue::DigestAt(m), 64);
    EXPECT_EQ(hex, product::DigestHex(m.sha256));
    for (const std::string& bad : {
             "#Quillbox part 13/12 size=1 sha256=" + hex, "#Quillbox part 1/10000 size=1 sha256=" + hex,
             "#Quillbox part 01/2 size=1 sha256=" + hex, "#Quillbox part 0/2 size=1 sha256=" + hex,
             "#Quillbox part 1/2 size=-1 sha256=" + hex, "#Quillbox part 1/2 size=99999999999999999999 sha256=" + hex,
             "#Quillbox part 1/2 size=1 sha256=" + hex.substr(0, 63) + "A",
             "#Quillbox part 1/2 size=1 sha256=" + hex + " name=a%2", "#Quillbox part 1/2 size=1 sha256=" + hex + " name=a b",
             "#Quillbox part 1/2 size=1 sha256=" + hex + "x", "#Quillbox part 1/2 size=1 sha256=" + hex + " name=" + std::string(4100, 'n')})
        EXPECT_EQ(uue::ParseMarker(bad), std::nullopt) << bad.substr(0, 80);

    const uue::Answer answer{2, 345, m.sha256, 3};
    const std::string said = uue::FormatAnswer(answer);
    EXPECT_EQ(said, "#Quillbox got part 2/345 sha256=" + hex + " next=3");
    EXPECT_EQ(uue::ParseAnswer(U16(said + "\r\n")), answer);
    for (const std::string& bad : {said + "x", "#Quillbox got part 2/345 sha256=" + hex + " next=346",
                                   "#Quillbox got part 0/345 sha256=" + hex + " next=3", said.substr(1),
                                   said + std::string(200, ' '), line})
        EXPECT_EQ(uue::ParseAnswer(U16(bad)), std::nullopt) << bad.substr(0, 80);
    EXPECT_EQ(uue::ParseAnswer(U16(said) + u"\u3000"), std::nullopt);
}

// A part fits its channel as the clipboard carries it, with K as wide as N, and holds as many
// whole lines as fit; a channel too small for one line, or needing too many parts, is told.
TEST(PartLines, EveryPartFitsItsLimitAndOneLineMoreWouldNot) {
    const std::string name = "data.bin", trailer = uue::FormatTrailer();
    const std::size_t trailerUnits = platform::FromAnsi(trailer).size();
    const auto cut = [&](std::uint64_t size, std::uint64_t limit) {
        return uue::CutIntoParts({0, 0, size, {}, std::nullopt}, limit, name.size(), trailerUnits);
    };
    // Measured apart from the cut: a real part's text, as the clipboard carries it.
    const auto partChars = [&](std::uint64_t size, std::uint32_t count, std::uint64_t bytes) {
        const uue::PartFrame frame = uue::FramePart({count, count, size, {}, std::nullopt}, name, trailer);
        return platform::FromAnsi(frame.head + frame.tail).size() + uue::EncodedBodySize(bytes);
    };
    for (const std::uint64_t size : {1000u, 45'007u, 2'000'000u})
        for (const std::uint64_t limit : {400u, 401u, 4000u, 14'000u, 250'000u}) {
            const uue::Cut c = cut(size, limit);
            if (c.kind == uue::Cut::Kind::kWhole) {
                EXPECT_LE(10 + name.size() + 2 + uue::EncodedBodySize(size) + 8 + trailerUnits, limit);
                continue;
            }
            if (c.kind == uue::Cut::Kind::kTooMany) {
                EXPECT_GT(c.count, 9999u) << size << " in " << limit;
                continue;
            }
            ASSERT_EQ(c.kind, uue::Cut::Kind::kParts) << size << " in " << limit;
            EXPECT_EQ(c.partBytes % 45, 0u);
            EXPECT_EQ(c.count, (size + c.partBytes - 1) / c.partBytes);
            EXPECT_LE(partChars(size, c.count, c.partBytes), limit) << size << " in " << limit;
            EXPECT_GT(partChars(size, c.count, c.partBytes + 45), limit) << size << " in " << limit;
        }
    const uue::Cut small = cut(100'000, 200);
    ASSERT_EQ(small.kind, uue::Cut::Kind::kTooSmall);
    EXPECT_EQ(cut(100'000, small.minChars).partBytes, 45u);
    EXPECT_EQ(cut(100'000, small.minChars - 1).kind, uue::Cut::Kind::kTooSmall);
    const uue::Cut many = cut(10'000'000, 1000);
    EXPECT_EQ(many.kind, uue::Cut::Kind::kTooMany);
    EXPECT_GT(many.count, 9999u);
    EXPECT_EQ(uue::PartNumber(7, 12), "007");
    EXPECT_EQ(uue::PartNumber(7, 1234), "0007");
}

// Both ends on one clipboard, each doing what its window does with a change: the sender reads it
// and puts the part the sender asks for; the receiver copies the text out, takes its parts, and
// puts the answer (working out the joined file's digest when it asks for that).
struct Ends {
    testing::FakeSystem sys;
    platform::Platform p = sys.Get();
    std::vector<std::uint8_t> data = testing::RandomBytes(45 * 40 + 7, 5);
    std::optional<encode::PartLayout> layout = encode::LayOutParts(data.size(), L"r.bin", 1200);
    Sender sender{layout->count, Digest()};
    ClipboardChanges sent;
    testing::ReceivingEnd receiver{p};

    platform::Sha256Digest Digest() {
        auto hash = sys.hashing.NewSha256();
        hash->Update(data);
        layout->marker.sha256 = hash->Finish();
        return layout->marker.sha256;
    }
    std::string Part(std::uint32_t k) {
        const std::uint64_t from = (k - 1) * layout->partBytes;
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(layout->partBytes, data.size() - from));
        return encode::EncodePart(*layout, k, {data.data() + from, n});
    }
    std::u16string Now() { return {sys.clipboard.readable.text.begin(), sys.clipboard.readable.text.end()}; }
    void Put(std::uint32_t part) {
        if (!part) return;
        const std::string text = Part(part);
        sys.clipboard.Copy({text.begin(), text.end()});
        sent.Put(Now());
        sender.Put(part);
    }
    // The sender's window sees the clipboard change.
    void SenderReads() {
        if (!sent.Unread(sys.clipboard.Sequence()) || sent.Ours(Now())) return;
        Put(sender.Heard(Now()));
    }
    void ReceiverReads() {
        if (!receiver.gathering) ASSERT_TRUE(receiver.Start()) << ::testing::PrintToString(sys.ui.Texts());
        else receiver.Read();
    }
    // Another program copies the other end's answer, or any text.
    void Copy(std::string_view text) { sys.clipboard.Copy({text.begin(), text.end()}); }
    std::string Answer(std::uint32_t part, std::uint32_t next) {
        return uue::FormatAnswer({part, layout->count, layout->marker.sha256, next});
    }
    // Steps: S and R, an end reads the clipboard; E, a clipboard sync writes the receiver's last
    // answer back; X, another program copies a text; L, the part on the clipboard is lost (its
    // place taken by the text before it); F, another program copies "all in" for part 1; W, the
    // window puts the receiver script, and Y, the script says it is ready; 1, 2
    // and 3, it copies an answer asking for that part; the person presses 下一段 (n), 上一段 (p)
    // or 再放一次 (a).
    void Play(std::string_view steps) {
        std::u16string before;
        for (const char step : steps) {
            const std::u16string now = Now();
            switch (step) {
            case 'S': SenderReads(); break;
            case 'R': ReceiverReads(); break;
            case 'E': Copy(sys.clipboard.lines.back()); break;
            case 'X': Copy("hello"); break;
            case 'L': sys.clipboard.Copy(std::wstring(before.begin(), before.end())); break;
            case 'F': Copy(Answer(1, 0)); break;
            case 'W':  // the parts window puts the receiver script
                Copy("# a receiver script");
                sent.Put(Now());
                sender.ScriptPut();
                break;
            case 'Y': Copy("#Quillbox ready\r\n"); break;
            case '1': case '2': case '3': Copy(Answer(3, static_cast<std::uint32_t>(step - '0'))); break;
            case 'n': Put(sender.Pressed(Sender::Button::kNext)); break;
            case 'p': Put(sender.Pressed(Sender::Button::kPrevious)); break;
            case 'a': Put(sender.Pressed(Sender::Button::kAgain)); break;
            }
            before = now;
        }
    }
};

TEST(TwoEnds, RelayAFileWhateverComesBetweenThemOrSayWhereItStands) {
    ASSERT_EQ(Ends().layout->count, 3u);
    const std::wstring done = L"对方已收到全部 3 段，文件已核对无误，可以关闭了。";
    const std::wstring paused = L"剪切板已被其他内容替换，接力暂停。按“再放一次”继续。";
    using enum Receiver::State;
    const std::vector<std::tuple<std::string, std::wstring, Receiver::State, int>> rows = {
        // Each end reads in turn: three parts, three answers, all in; a close asks nothing.
        {"RSRSRS", done, kAllIn, 0},
        // The receiver opens after the sender has put part 2: it reads the clipboard as it opens.
        {"RSRSRSS", done, kAllIn, 0},
        // Its own answer echoed back is not read again; the sender puts the part asked for again.
        {"RSESRSRS", done, kAllIn, 0},
        // Another program's text pauses the relay until the person puts the part again.
        {"RSXSR", paused, kGathering, 2},
        {"RSXSRaRSRS", done, kAllIn, 0},
        // Before any answer, the person pasting by hand: the part to put again is named.
        {"XS", L"剪切板已被其他内容替换。按“再放一次”重新放入第 1 段。", kGathering, 2},
        // Part 2 lost before the receiver read it: the same answer again puts it again.
        {"RSLRSSRSRS", done, kAllIn, 0},
        // "All in" for a part this window did not put last is no answer to it.
        {"RSFS", L"收到一条不是回答本窗口的“全部收到”，已忽略。", kGathering, 2},
        {"RSFSaRSRS", done, kAllIn, 0},
        // The same request, or requests that go back and forth, put a part five times at most.
        {"RSESESESES", L"对方没有收到第 2 段，请按“再放一次”。", kGathering, 2},
        {"R2S3S2S3S2S3S", L"对方没有收到第 3 段，请按“再放一次”。", kGathering, 2},
        {"RSESESESESaRSRS", done, kAllIn, 0},
        // Done, and still listening: a request for part 1 puts it, and a close asks again.
        {"RSRSRS1S", L"对方已收到第 3 段，第 1 段已放入剪切板。", kAllIn, 2},
        // By hand: the person steps through, the receiver answers each.
        {"RnRnRS", done, kAllIn, 0},
        // The receiver script's "ready" after this window put the script asks for part 1; from
        // anyone else it is someone else's copy.
        {"W", L"等待对方的接收脚本……没有共用剪切板时，在对方复制每一段即可。", kGathering, 2},
        {"WYSRSRSRS", done, kAllIn, 0},
        {"YS", L"剪切板已被其他内容替换。按“再放一次”重新放入第 1 段。", kGathering, 2},
        // By hand with no relay: closed after the last part was put, or before.
        {"nn", L"第 3 段（最后一段）已放入剪切板。", kGathering, 0},
        {"n", L"第 2 段已放入剪切板，粘贴以后按“下一段”。", kGathering, 2},
    };
    for (const auto& [steps, said, state, exit] : rows) {
        Ends ends;
        ends.Put(ends.sender.Opened());
        ends.sys.dialogs.chosen = L"F:\\r.bin";
        ends.Play(steps);
        EXPECT_EQ(ends.sender.Line(), said) << steps;
        if (ends.receiver.gathering) EXPECT_EQ(ends.receiver.gathering->receiver->CurrentState(), state) << steps;
        EXPECT_EQ(ends.sender.ExitCode(), exit) << steps;
        EXPECT_EQ(ends.sender.CanPutAgain(), ends.sender.CurrentState() != Sender::State::kAllIn) << steps;
    }
}

}  // namespace
}  // namespace qb::relay
