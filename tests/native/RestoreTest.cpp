// The restore road's scanner and decoders against the texts real encoders write, damaged texts,
// and one another.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <numeric>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "TempDir.h"
#include "UuTestSupport.h"
#include "uue/Encoder.h"
#include "uue/Frame.h"
#include "uue/PartLines.h"
#include "platform/Failure.h"
#include "restore/RestoreJob.h"
#include "restore/TextSource.h"
#include "uue/TextScanner.h"
#include "Fakes.h"
#include "ReceivingEnd.h"
#include "product/Numbers.h"

namespace qb::restore {

void PrintTo(const uue::NamedDecoder& kernel, std::ostream* out) { *out << kernel.name; }

namespace {

using namespace qb::uue;
using qb::testing::RandomBytes;

struct Restored final : DecodeSink {
    ScanResult check, decode;
    std::vector<std::string> files;
    std::uint64_t consumed = 0;
    void BeginBlock(std::size_t index, const uue::Block&) override { files.resize(index + 1); }
    void Write(std::span<const std::uint8_t> b) override { files.back().append(b.begin(), b.end()); }
    void EndBlock() override {}
};

Restored Restore(TextSource& source, FullLinesDecoder kernel) {
    Restored r;
    platform::JobProgress progress(0);
    r.check = CheckText(source, progress, kernel);
    r.consumed = progress.Done();
    r.decode = DecodeText(source, r, progress, kernel);
    return r;
}

Restored Restore(const std::string& text, FullLinesDecoder kernel) {
    MemoryBytes bytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    EncodedText source(bytes);
    return Restore(source, kernel);
}

std::string Encoded(const std::vector<std::uint8_t>& data, bool lineEndAfterTrailer) {
    std::string body(uue::EncodedBodySize(data.size()), '\0');
    uue::EncodeLines(data, body);
    return "From: a mail header\r\n\r\n" + uue::FormatBeginLine(L"x.bin") + body +
           std::string(uue::kClosingLines) + uue::FormatTrailer() + (lineEndAfterTrailer ? "\r\n" : "");
}

std::string Replace(std::string_view s, std::string_view from, std::string_view to) {
    std::string out;
    for (std::size_t at = 0;;) {
        const std::size_t hit = s.find(from, at);
        out.append(s.substr(at, hit - at));
        if (hit == std::string_view::npos) return out;
        out.append(to);
        at = hit + from.size();
    }
}

std::string Utf16(std::u16string_view text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t u : text)
        out += bigEndian ? std::string{char(u >> 8), char(u)} : std::string{char(u), char(u >> 8)};
    return out;
}

struct EveryDecoder : ::testing::TestWithParam<uue::NamedDecoder> { const FullLinesDecoder run = GetParam().run; };

std::vector<std::size_t> Lengths() {
    std::vector<std::size_t> n;
    for (std::size_t i = 0; i <= 200; ++i) n.push_back(i);
    // A full output buffer of lines, a 256 KiB piece of text, and several of each.
    for (const std::size_t at : {4096 * 45, 4161 * 45, 2 * 4096 * 45, 1'000'000})
        for (const std::size_t d : {at - 1, at, at + 1}) n.push_back(d);
    return n;
}

// Every length through the encoder's two roads, GNU uuencode in both forms and Python's lines with
// trailing blanks stripped.
TEST_P(EveryDecoder, TextsOfEveryEncoderRebuildTheFileByteForByte) {
    const auto lengths = Lengths();
    const auto data = RandomBytes(lengths.back(), 3);
    qb::testing::TempDir dir;
    dir.Write("data.bin", data);
    std::string lengthList;
    for (const auto n : lengths) lengthList += std::to_string(n) + " ";
    const std::string cmd = "cd '" + dir.path().string() + "' && for n in " + lengthList + "; do head -c $n data.bin > in;"
        " uuencode in 'gnu name' > gnu$n; uuencode -m in b64 > b64$n; done && python3 -c '\n"
        "import binascii, sys\n"
        "data = open(\"data.bin\", \"rb\").read()\n"
        "for n in map(int, sys.argv[1:]):\n"
        "    lines = [binascii.b2a_uu(data[i:min(n, i + 45)]).rstrip() for i in range(0, n, 45)]\n"
        "    lines += [binascii.b2a_uu(b\"\").rstrip()]\n"
        "    open(\"py%d\" % n, \"wb\").write(b\"begin 600 py\\n\" + b\"\\n\".join(lines) + b\"\\nend\\n\")\n"
        "' " + lengthList;
    ASSERT_EQ(std::system(cmd.c_str()), 0);

    for (const auto n : lengths) {
        const std::string expected(data.begin(), data.begin() + static_cast<long>(n));
        std::vector<std::pair<std::string, std::string>> texts;
        for (const char* peer : {"gnu", "b64", "py"})
            texts.emplace_back(peer, qb::testing::ReadAll(dir.path() / (peer + std::to_string(n))));
        if (n > 0) {
            const std::vector<std::uint8_t> in(data.begin(), data.begin() + static_cast<long>(n));
            texts.emplace_back("clipboard", Encoded(in, false));
            texts.emplace_back("side file", Encoded(in, true));
        }
        for (const auto& [peer, text] : texts) {
            const Restored r = Restore(text, run);
            ASSERT_EQ(r.check.outcome, Outcome::kOk) << peer << " " << n << " line " << r.check.problem.line;
            ASSERT_EQ(r.decode.outcome, Outcome::kOk) << peer << " " << n;
            EXPECT_EQ(r.check.blocks.at(0).size, n) << peer;
            ASSERT_EQ(r.files.at(0), expected) << peer << " " << n;
            EXPECT_EQ(r.consumed, text.size()) << peer;
        }
    }
}

// The same text with CR LF, LF, CR and mixed line ends, a UTF-8 BOM and as UTF-16 either way.
std::vector<std::string> Variants(const std::string& crlf) {
    const std::u16string wide(crlf.begin(), crlf.end());
    std::string mixed = Replace(crlf, "\r\n", "\n");
    for (std::size_t at = 0, k = 0; (at = mixed.find('\n', at)) != std::string::npos; ++at, ++k)
        if (k % 3 == 1) mixed[at] = '\r';
    return {crlf, Replace(crlf, "\r\n", "\n"), Replace(crlf, "\r\n", "\r"), mixed,
            std::string("\xEF\xBB\xBF").append(crlf), Utf16(wide, false), Utf16(wide, true)};
}

TEST_P(EveryDecoder, AnyLineEndsAndEncodingsGiveTheSameBytesAndLineNumbers) {
    const auto data = RandomBytes(5000, 4);
    const std::string crlf = Encoded(data, true);
    std::string damaged = crlf;
    damaged[crlf.find("begin") + 17 + 50 * 63 + 20] = '~';  // the block's 51st data line: line 54
    const auto good = Variants(crlf), bad = Variants(damaged);
    for (std::size_t i = 0; i < good.size(); ++i) {
        const Restored r = Restore(good[i], run);
        ASSERT_EQ(r.decode.outcome, Outcome::kOk) << i;
        EXPECT_EQ(r.files.at(0), std::string(data.begin(), data.end())) << i;
        EXPECT_EQ(r.check.blocks[0].beginLine, 3u) << i;
        EXPECT_EQ(r.consumed, good[i].size()) << i;
        const Restored b = Restore(bad[i], run);
        EXPECT_EQ(b.check.problem.kind, ProblemKind::kBadLine) << i;
        EXPECT_EQ(b.check.problem.line, 54u) << i;
        EXPECT_EQ(b.decode.problem.line, 54u) << i;
    }
    const std::u16string wide(crlf.begin(), crlf.end());
    Utf16Text clipboard(wide);
    EXPECT_EQ(Restore(clipboard, run).files.at(0), std::string(data.begin(), data.end()));
}

TEST_P(EveryDecoder, FindsTheSameFirstBadCharacterAsScalarAtEveryPlaceOfAFullLine) {
    const auto data = RandomBytes(45 * 40, 6);
    const std::string text = Encoded(data, false);
    const std::size_t line20 = text.find("\r\nM", 0) + 2 + 17 * 63;  // the header is line 3
    for (std::size_t pos = 0; pos < 63; ++pos)
        for (const char c : {'\x1F', 'a', '\xC8', '\0'}) {
            std::string damaged = text;
            damaged[line20 + pos] = c;
            const Restored scalar = Restore(damaged, &ScalarDecode), mine = Restore(damaged, run);
            ASSERT_EQ(mine.check.outcome, scalar.check.outcome) << pos;
            ASSERT_EQ(mine.check.problem.line, scalar.check.problem.line) << pos;
            ASSERT_EQ(mine.decode.problem.line, scalar.decode.problem.line) << pos;
            EXPECT_TRUE(pos == 0 || pos > 60 || scalar.check.problem.line == 21u) << pos;
        }
}

INSTANTIATE_TEST_SUITE_P(Kernels, EveryDecoder, ::testing::ValuesIn(uue::RunnableDecoders()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DamagedTexts, ReportTheFirstProblemWithItsBlockAndLine) {
    // Lines: 1 begin, 2-3 full, 4 ten bytes, 5 "`", 6 end, 7 the trailer.
    const std::string good = Encoded(RandomBytes(100, 5), false).substr(23);
    std::vector<std::string> lines;
    for (std::size_t at = 0, next; at < good.size(); at = next + 2)
        lines.push_back(good.substr(at, (next = std::min(good.find("\r\n", at), good.size())) - at));
    const auto join = [](std::initializer_list<std::string> ls) {
        return std::accumulate(ls.begin(), ls.end(), std::string(), [](auto t, auto& l) { return t + l + "\n"; });
    };
    std::string blocks101;
    for (int i = 0; i < 101; ++i) blocks101 += "begin 644 f" + std::to_string(i) + "\n`\nend\n";
    struct Case {
        const char* fault;
        std::string text;
        ProblemKind kind;
        std::uint64_t line;
    };
    const std::vector<Case> cases = {
        {"no begin line", "hello\nbegin\nbegin the meeting at 9\n>begin\nend\n", ProblemKind::kNoBegin, 0},
        {"an unreadable begin line", "hello\nbegin 6448 x\nend\n", ProblemKind::kUnreadableBegin, 2},
        {"base64 cut inside a group", "begin-base64 644 x.bin\nQUJDR\n====\n", ProblemKind::kBadLine, 3},
        {"quoted block losing its quotes", "> begin 644 x.bin\n> #86)C\n#86)C\n> `\n> end\n",
         ProblemKind::kBadLine, 3},
        {"dot-stuffed line still too long", "begin 644 x.bin\n..86)C9&5F9VAI:FML;6YO<'%R<W1U=G=X>7I!0D-$149'2$E*\n`\nend\n",
         ProblemKind::kBadLine, 2},
        {"dot-stuffed, zero as a blank, lost its blank", "begin 644 x.bin\n..?68SC:@6SOH<_53[]\",\n \nend\n", ProblemKind::kBadLine, 2},
        {"cut after begin", join({lines[0]}), ProblemKind::kCut, 1},
        {"cut inside a line", join({lines[0], lines[1], lines[2].substr(0, 30)}), ProblemKind::kCut, 3},
        {"cut before end", join({lines[0], lines[1], lines[2], lines[3], lines[4]}), ProblemKind::kCut, 5},
        {"cut in end", join({lines[0], lines[1], lines[2], lines[3], lines[4], "en"}), ProblemKind::kCut, 6},
        {"two lines joined", join({lines[0], lines[1] + lines[2], lines[3], lines[4], lines[5]}),
         ProblemKind::kBadLine, 2},
        {"short line then data", join({lines[0], lines[1], lines[3], lines[2], lines[4], lines[5]}),
         ProblemKind::kBadLine, 4},
        {"data after the zero line", join({lines[0], lines[1], lines[4], lines[2], lines[5]}),
         ProblemKind::kBadLine, 4},
        {"bad character", join({lines[0], lines[1], "M" + lines[2].substr(1, 30) + "~" + lines[2].substr(32),
                                lines[3], lines[4], lines[5]}), ProblemKind::kBadLine, 3},
        {"count past 45", join({lines[0], "N" + lines[1].substr(1), lines[2], lines[4], lines[5]}),
         ProblemKind::kBadLine, 2},
        {"short line in a backtick block", join({lines[0], lines[1].substr(0, 50), lines[2], lines[3], lines[4], lines[5]}),
         ProblemKind::kBadLine, 2},
        {"begin inside a block", join({lines[0], lines[1], "begin 644 second", "`", "end"}), ProblemKind::kCut, 3},
        {"a second block damaged", join({lines[0], lines[1], lines[2], lines[3], lines[4], lines[5], lines[0],
                                         "M" + std::string(70, 'x'), "end"}), ProblemKind::kBadLine, 8},
        {"a gigabyte-long line of junk", join({lines[0], lines[1] + std::string(3 << 20, 'x'), lines[4], lines[5]}),
         ProblemKind::kBadLine, 2},
        {"base64 without ====", "begin-base64 644 x.bin\nQUJD\n", ProblemKind::kCut, 2},
        {"base64 data after padding", "begin-base64 644 x.bin\nQQ==\nQUJD\n====\n", ProblemKind::kBadLine, 3},
        {"101 blocks", blocks101, ProblemKind::kTooManyBlocks, 0},
    };
    for (const auto& c : cases)
        for (const auto& kernel : uue::RunnableDecoders()) {
            const Restored r = Restore(c.text, kernel.run);
            ASSERT_EQ(r.check.outcome, Outcome::kProblem) << c.fault;
            EXPECT_EQ(r.check.problem.kind, c.kind) << c.fault;
            EXPECT_EQ(r.check.problem.line, c.line) << c.fault;
            EXPECT_EQ(r.decode.problem.line, c.line) << c.fault;
            if (c.kind == ProblemKind::kCut || c.kind == ProblemKind::kBadLine) {
                EXPECT_EQ(r.check.problem.blockName, L"x.bin") << c.fault;
            }
        }
    EXPECT_EQ(Restore(blocks101, &ScalarDecode).check.problem.blockCount, 101u);
    EXPECT_EQ(Restore(blocks101.substr(blocks101.find("begin 644 f1\n")), &ScalarDecode).check.blocks.size(), 100u);
}

// The forms real senders and channels leave a text in, each read as the trusted decoders read it.
TEST(SenderTexts, EveryFormTrustedDecodersReadGivesTheSameBytes) {
    auto data = RandomBytes(45 * 40 + 14, 9);  // its last line starts with '.'
    data[45 * 40] = 0x38;                         // and so does its data: ".."
    const std::string bytes(data.begin(), data.end());
    const auto base64 = [](std::string_view in) {
        static constexpr char k[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        std::string out;
        for (std::size_t i = 0; i < in.size(); i += 3) {
            const auto at = [&](std::size_t j) { return j < in.size() ? unsigned(std::uint8_t(in[j])) : 0u; };
            const unsigned n = at(i) << 16 | at(i + 1) << 8 | at(i + 2);
            out += {k[n >> 18], k[n >> 12 & 63], i + 1 < in.size() ? k[n >> 6 & 63] : '=', i + 2 < in.size() ? k[n & 63] : '='};
        }
        return out;
    };
    const auto wrapped = [](const std::string& text, std::size_t width) {
        std::string out;
        for (std::size_t at = 0; at < text.size(); at += width) out += text.substr(at, width) + "\n";
        return out;
    };
    const auto quoted = [](const std::string& text, const std::string& prefix) {
        std::string out;
        for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
            end = std::min(text.find('\n', at), text.size());
            out += prefix + text.substr(at, end - at) + "\n";
        }
        return out;
    };
    std::string body = Replace(Encoded(data, false).substr(Encoded(data, false).find("begin")), "\r\n", "\n");
    body = body.substr(body.find('\n') + 1);  // the lines after the begin line
    const std::string uu = "begin 644 x.bin\n" + body;
    const std::string b64 = base64(bytes);
    const struct { const char* form; std::string text; } cases[] = {
        {"a six-digit mode", "begin 100644 x.bin\n" + body},
        {"two files joined, the second's BOM mid-text", "a\n\xEF\xBB\xBF" + uu},
        {"two blanks between fields", "begin  644  x.bin\n" + body},
        {"uuencode -e", "begin-encoded 644 " + base64("x.bin") + "\n" + body},
        {"quoted in a mail", quoted(uu, "> ") + ">\n"},
        {"quoted twice, the quote's blank lost on an empty line", Replace(quoted("\n" + uu, ">> "), ">> \n", ">>\n")},
        {"indented by a chat", quoted(uu, "\t")},
        {"base64 -w0", "begin-base64 644 x.bin\n" + b64 + "\n====\n"},
        {"base64 wrapped again at 70", "begin-base64 644 x.bin\n" + wrapped(b64, 70) + "====\n"},
        {"uuencode -m -e", "begin-base64-encoded 600 " + base64("x.bin") + "\n" + wrapped(b64, 76) + "====\n"},
        {"dot-stuffed by SMTP", Replace(uu, "\n.", "\n..")},
        {"zero as a blank, dot-stuffed, the blank after a stuffed line kept", Replace(Replace(uu, "`", " "), "\n.", "\n..")},
        {"an unreadable begin line beside it", "begin 6448 y\n" + uu},
    };
    for (const auto& c : cases) {
        const Restored r = Restore(c.text, &ScalarDecode);
        ASSERT_EQ(r.check.outcome, Outcome::kOk) << c.form << " line " << r.check.problem.line;
        EXPECT_EQ(r.files.at(0), bytes) << c.form;
        EXPECT_EQ(r.check.blocks.at(0).headerName, L"x.bin") << c.form;
        EXPECT_EQ(r.check.unreadableBegin, c.text.starts_with("begin 6448") ? 1u : 0u) << c.form;
    }
}

TEST(HostileTexts, AMegabyteOfBlanksOrOfNameStaysBoundedAndReadable) {
    const std::string line = "M" + std::string(60, '`');
    const std::string blanks = "begin 644 a\n" + line + std::string(3 << 20, ' ') + "\r\n`\nend\n";
    const Restored r = Restore(blanks, &ScalarDecode);
    ASSERT_EQ(r.check.outcome, Outcome::kOk);
    EXPECT_EQ(r.files.at(0), std::string(45, '\0'));

    const std::string name = std::string(1 << 20, 'n') + "\xE4\xB8\xAD.\xE4\xB8\xAD\xE6\x96\x87";
    const Restored longName = Restore("begin 644 " + name + "\n`\nend\n", &ScalarDecode);
    ASSERT_EQ(longName.check.outcome, Outcome::kOk);
    EXPECT_EQ(longName.check.blocks.at(0).fileName, std::wstring(252, L'n') + L".\u4E2D\u6587");
}

TEST(Utf16Texts, ALoneSurrogateBecomesAReplacementCharacter) {
    const std::u16string text = u"begin 644 a\xD800" u"b\n`\nend\n\xDC00";
    for (const bool bigEndian : {false, true}) {
        const Restored r = Restore(Utf16(text, bigEndian), &ScalarDecode);
        ASSERT_EQ(r.check.outcome, Outcome::kOk);
        EXPECT_EQ(r.check.blocks.at(0).headerName, L"a\uFFFDb");
    }
}

TEST(Stop, EndsEitherPassAtTheNextPiece) {
    const std::string text = Encoded(RandomBytes(1'000'000, 8), true);
    MemoryBytes bytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    EncodedText source(bytes);
    platform::JobProgress progress(text.size());
    progress.RequestStop();
    EXPECT_THROW(CheckText(source, progress), platform::JobStopped);
    EXPECT_EQ(progress.Done(), kPieceSize);
}

}  // namespace
}  // namespace qb::restore

namespace qb::restore {
namespace {

// The restore job over stand-ins for the clipboard, the dialogs and files kept in memory the way
// the real writer leaves them on disk: all of them after Commit, none before.
struct MemoryFiles final : testing::TestFiles {
    std::map<std::wstring, std::vector<std::uint8_t>> written;
    int writers = 0;
    platform::Placement placement{};
    platform::Origin origin;
    std::map<std::wstring, std::wstring> shortNames;  // an 8.3 name and the long one it stands for
    std::wstring FindFileName(const std::wstring& path) override {
        const auto alias = shortNames.find(std::wstring(platform::SplitPath(path).name));
        return alias != shortNames.end() ? alias->second : TestFiles::FindFileName(path);
    }
    struct Writer final : platform::FileSetWriter {
        MemoryFiles& files;
        std::wstring folder;
        std::vector<std::pair<std::wstring, std::vector<std::uint8_t>>> pending;
        Writer(MemoryFiles& files, std::wstring f) : files(files), folder(std::move(f)) {}
        void NextFile(const std::wstring& name) override { pending.push_back({name, {}}); }
        using FileSetWriter::Append;
        void Append(const void* b, std::size_t n) override {
            const auto* bytes = static_cast<const std::uint8_t*>(b);
            pending.back().second.insert(pending.back().second.end(), bytes, bytes + n);
        }
        void Overwrite(std::uint64_t at, std::string_view bytes) override {
            std::copy(bytes.begin(), bytes.end(), pending.back().second.begin() + static_cast<long>(at));
        }
        std::vector<std::wstring> Commit() override {
            std::vector<std::wstring> paths;
            for (auto& [name, bytes] : pending) {
                paths.push_back(platform::JoinPath(folder, name));
                files.written[paths.back()] = bytes;
            }
            return paths;
        }
    };
    std::unique_ptr<platform::FileSetWriter> WriteFiles(const std::wstring& folder, platform::Placement placement,
                                                        const platform::Origin& origin) override {
        ++writers;
        this->placement = placement;
        this->origin = origin;
        return std::make_unique<Writer>(*this, folder);
    }
};

TEST(RestoreJob, OnlyAWholeTextIsWrittenWhereTheUserSaysAndTheBoxNamesEachFileWithItsSize) {
    testing::FakeSystem sys;
    MemoryFiles r;
    auto p = sys.Get({.files = &r});
    const auto data = testing::RandomBytes(1234, 3);
    std::string one = Encoded(data, false);
    const auto run = [&](const std::string& text, std::optional<std::wstring> answer) {
        sys.clipboard.readable = {platform::ClipboardContent::kText, std::wstring(text.begin(), text.end())};
        sys.dialogs.chosen = std::move(answer);
        sys.ui.shown.clear();
        RunRestore(From::kClipboard, p, 0);
        return sys.ui.Texts();
    };
    EXPECT_EQ(run(one, std::nullopt), std::vector<std::wstring>{}) << "Cancel in Save As: nothing at all";
    EXPECT_EQ(sys.dialogs.proposed, std::vector<std::wstring>{L"x.bin"});
    const auto box = run(one, L"F:\\out\\y.bin");
    ASSERT_EQ(box.size(), 1u);
    EXPECT_EQ(box[0].rfind(L"已还原文件：F:\\out\\y.bin\r\n大小：1,234 字节\r\nSHA-256：", 0), 0u) << box[0];
    EXPECT_EQ(r.written[L"F:\\out\\y.bin"], data);
    sys.process.noThreads = true;  // a system out of threads: checked, written and hashed inline
    EXPECT_EQ(run(one, L"F:\\out\\y.bin"), box);
    sys.process.noThreads = false;
    const std::string cut = one.substr(0, one.size() / 2);
    EXPECT_EQ(run(cut, L"F:\\out"), std::vector<std::wstring>{
        L"UUE文本不完整：x.bin 缺少结尾的 end 行，可能在传输中被截断。没有生成任何文件。"});
    EXPECT_EQ(r.writers, 2) << "a cut text is reported before any dialog or file";
    const auto two = run(one + cut + one, L"F:\\many");
    EXPECT_EQ(two.size(), 1u);
    EXPECT_EQ(r.writers, 2) << "a begin inside a block cuts it, and nothing is written";
    // Zero written as a blank, and a line cut to 31 characters: read as zeros, and said.
    std::string blanks = Replace(one, "`", " ");
    std::size_t line6 = blanks.find("begin");
    for (int i = 0; i < 3; ++i) line6 = blanks.find('\n', line6) + 1;
    EXPECT_EQ(run(blanks.erase(line6 + 31, 30), L"F:\\out\\y.bin").at(0).substr(box[0].size()),
              L"\r\n注意：第 6 行等 1 行的末尾缺少字符，已按零补齐。请用 SHA-256 与发送方核对。");
    const auto many = run(one + one + one, L"F:\\many");
    ASSERT_EQ(many.size(), 1u);
    EXPECT_EQ(many[0].rfind(L"已还原 3 个文件到 F:\\many：\r\nx.bin\r\n", 0), 0u) << many[0];
    sys.dialogs.broken = true;
    EXPECT_EQ(run(one + one, L"F:\\many"), std::vector<std::wstring>{L"无法还原文件：没有注册类（错误代码 0x80040154）"})
        << "a dialog that fails is reported, and the window goes on";
    // A hostile name reaches no box raw: no NUL cutting the sentence, no reversal, no line breaks
    // or runs of blanks that fake lines of the box.
    sys.clipboard.readable = {platform::ClipboardContent::kText,
                              std::wstring(L"begin 644 a\0\u202Eb\vc   \u3000\u2028  d\n", 24)};
    sys.ui.shown.clear();
    RunRestore(From::kClipboard, p, 0);
    EXPECT_EQ(sys.ui.Texts(), std::vector<std::wstring>{
        L"UUE文本不完整：a__b_c d 缺少结尾的 end 行，可能在传输中被截断。没有生成任何文件。"});
    sys.clipboard.refuseRead = true;
    EXPECT_EQ(run(one, L"F:\\out"), std::vector<std::wstring>{L"无法读取剪切板：拒绝访问。（错误代码 5）"});
    sys.clipboard.refuseRead = false;
    sys.clipboard.readable = {platform::ClipboardContent::kFiles, {}};
    sys.ui.shown.clear();
    RunRestore(From::kClipboard, p, 0);
    EXPECT_EQ(sys.ui.Texts(), std::vector<std::wstring>{
        L"剪切板中没有UUE文本。如果复制的是 .uue 文件本身，请用“从UUE文件还原”。"});
}

// Each way another program or the file system could make a restore write where it must not.
TEST(RestoreJob, NothingIsReplacedUnaskedNorWrittenFromAFileThatChangedMeanwhile) {
    testing::FakeSystem sys;
    MemoryFiles r;
    auto p = sys.Get({.files = &r});
    testing::TempDir dir;
    const std::string one = Encoded(testing::RandomBytes(100, 4), true);
    const auto uue = testing::Wide(dir.Write("in.uue", {one.begin(), one.end()}));
    const auto taken = testing::Wide(dir.Write("taken.bin", {1}));
    const auto run = [&](std::wstring answer) {
        sys.dialogs.chosen = std::move(answer);
        sys.ui.shown.clear();
        RunRestore(From::kFile, p, 0);
        return sys.ui.Texts();
    };
    sys.dialogs.first = {uue};  // an Open answer, then Save As
    run(testing::Wide(dir.path() / "new.bin"));
    EXPECT_EQ(r.placement, platform::Placement::kNewOne) << "a file that appears later is not replaced";
    EXPECT_EQ(r.origin.markOf, uue);
    sys.dialogs.first = {uue};
    run(taken);
    EXPECT_EQ(r.placement, platform::Placement::kReplaceOne) << "the dialog asked about this one";

    r.shortNames = {{L"QUAR~1.TXT", L"Quarterly report final.txt"}};
    sys.dialogs.proposed.clear();
    sys.dialogs.first = {uue, testing::Wide(dir.path() / "QUAR~1.TXT")};
    run(testing::Wide(dir.path() / "QUAR~1 (2).TXT"));
    EXPECT_EQ(sys.dialogs.proposed, (std::vector<std::wstring>{L"x.bin", L"QUAR~1 (2).TXT"}))
        << "a short name of another file is asked for again";
    const auto wrote = [&](std::wstring_view name) {
        return std::ranges::count_if(r.written, [&](const auto& f) { return f.first.ends_with(name); });
    };
    EXPECT_EQ(wrote(L"QUAR~1 (2).TXT"), 1);

    // Past 259 characters, refused before decoding: the name numbered where taken, shown cleaned.
    const std::wstring deep = L"F:\\" + std::wstring(250, L'd');  // with "\\x.bin", 259 characters
    const std::string blanks = Replace(one, "x.bin", "a" + std::string(40, ' ') + "b.bin");
    const std::string twice = Encoded(testing::RandomBytes(10, 4), false) + one;
    const auto several = testing::Wide(dir.Write("several.uue", {twice.begin(), twice.end()}));
    const auto blanked = testing::Wide(dir.Write("blanks.uue", {blanks.begin(), blanks.end()}));
    const struct { std::wstring picked, answer, shown; std::map<std::wstring, std::wstring> taken; } tooLong[] = {
        {several, deep, deep + L"\\x (2).bin", {}},
        {several, deep, deep + L"\\x (2).bin", {{L"x.bin", L"x.bin"}}},  // x.bin taken in the folder
        {blanked, L"F:\\" + std::wstring(220, L'd') + L"\\a" + std::wstring(40, L' ') + L"b.bin",
         L"F:\\" + std::wstring(220, L'd') + L"\\a b.bin", {}},
    };
    for (const auto& c : tooLong) {
        r.shortNames = c.taken;
        sys.dialogs.first = {c.picked};
        EXPECT_EQ(run(c.answer), std::vector<std::wstring>{L"路径太长：" + c.shown +
            L" 超过 Windows 允许的 259 个字符。请选择较短的文件夹或文件名。没有生成任何文件。"});
    }
    r.shortNames.clear();

    // Blocks appended while Save As is open are never read; a change in place or a cut is noticed.
    for (const std::size_t at : {one.find("x.bin"), one.find("\nM") + 20, std::string::npos}) {
        const int writersBefore = r.writers;
        sys.dialogs.whileOpen = [&] {
            std::string changed = one;
            if (at == std::string::npos) changed.resize(one.size() / 2);  // cut short
            else changed[at] = changed[at] == '#' ? '$' : '#';  // a valid character of the alphabet
            dir.Write("in.uue", {changed.begin(), changed.end()});
        };
        sys.dialogs.first = {uue};
        EXPECT_EQ(run(testing::Wide(dir.path() / "out.bin")), std::vector<std::wstring>{
            L"UUE文件在还原过程中被改动了：" + uue + L"。没有生成任何文件。"}) << at;
        EXPECT_EQ(r.writers, writersBefore + 1);
        EXPECT_EQ(wrote(L"out.bin"), 0);
        dir.Write("in.uue", {one.begin(), one.end()});
    }
}

// A file of 45 * 7 + 20 bytes sent in three parts, and the restore from the clipboard.
struct SentInParts : ::testing::Test {
    testing::FakeSystem sys;
    MemoryFiles r;
    platform::Platform p = sys.Get({.files = &r});
    std::vector<std::uint8_t> data = RandomBytes(45 * 7 + 20, 12);
    uue::PartMarker set{0, 3, data.size(), Digest(data), std::nullopt};

    platform::Sha256Digest Digest(std::span<const std::uint8_t> bytes) {
        auto hash = sys.hashing.NewSha256();
        hash->Update(bytes);
        return hash->Finish();
    }
    std::string part(std::uint32_t k, uue::PartMarker m, std::string_view between = "", std::size_t length = 0) {
        const std::size_t from = (k - 1) * 45 * 3;
        const std::size_t n = length ? length : std::min<std::size_t>(45 * 3, data.size() - from);
        std::string body(uue::EncodedBodySize(n), '\0');
        uue::EncodeLines({data.data() + from, n}, body);
        m.part = k;
        return uue::FormatMarker(m) + "\r\n" + std::string(between) + uue::FormatBeginLine(L"x.bin.00" + std::to_wstring(k)) +
               body + std::string(uue::kClosingLines) + uue::FormatTrailer() + "\r\n";
    }
    std::vector<std::wstring> run(const std::string& text, std::wstring answer) {
        sys.clipboard.readable = {platform::ClipboardContent::kText, platform::FromAnsi(text)};
        sys.dialogs.chosen = std::move(answer);
        sys.ui.shown.clear();
        r.written.clear();
        RunRestore(From::kClipboard, p, 0);
        return sys.ui.Texts();
    }
};

// Parts joined in any order, among other blocks, and every way a set can be wrong.
TEST_F(SentInParts, InAnyOrderJoinIntoTheirFileAndASetThatCannotBeRightWritesNothing) {
    const std::string other = Replace(Encoded(RandomBytes(10, 13), true), "x.bin", "o.bin");
    const auto box = run(part(3, set) + other + part(1, set) + part(2, set) + part(1, set), L"F:\\many");
    ASSERT_EQ(box.size(), 1u);
    EXPECT_EQ(box[0].rfind(L"已还原 2 个文件到 F:\\many：\r\no.bin\r\n", 0), 0u) << box[0];
    EXPECT_EQ(r.written[L"F:\\many\\x.bin"], data) << "the set, after the ordinary block";

    EXPECT_EQ(run(part(1, set) + part(2, set) + part(3, set), L"F:\\out\\x.bin").size(), 1u);
    EXPECT_EQ(r.written[L"F:\\out\\x.bin"], data) << "in order, straight into the file";
    const auto fails = [&](const std::string& text) {
        const auto shown = run(text, L"F:\\out\\x.bin");
        EXPECT_TRUE(r.written.empty());
        return shown.size() == 1 ? shown[0] : L"";
    };
    // Beside another block, a set that is not whole is reported, not waited for.
    EXPECT_EQ(fails(part(1, set) + part(3, set) + other), L"分段不全：x.bin 缺少第 2 段。没有生成任何文件。");
    uue::PartMarker many = set;
    many.count = 15;
    EXPECT_EQ(fails(part(3, many) + part(3, set)), L"分段不全：x.bin 缺少第 1、2、4、5、6、7、8、9、10、11 等 14 段。没有生成任何文件。");
    uue::PartMarker other256 = set;
    other256.sha256[0] ^= 1;
    EXPECT_EQ(fails(part(1, other256) + part(2, other256) + part(3, other256)),
              L"分段合并后的文件与发送方的不一致：x.bin 的 SHA-256 不同。没有生成任何文件。");
    uue::PartMarker lying = set;
    lying.size += 45;
    EXPECT_EQ(fails(part(1, lying) + part(2, lying) + part(3, lying)).rfind(L"UUE文本有错误：x.bin 的第 ", 0), 0u);
    std::string changed = part(2, set);
    changed[changed.find("M") + 5] ^= 1;
    EXPECT_EQ(fails(part(1, set) + part(2, set) + changed + part(3, set)).rfind(L"UUE文本有错误：x.bin 的第 ", 0), 0u)
        << "a part that came twice, different the second time";
    // Texts pasted one after another: a begin line (one past the scanner's head) or a marker glued to a trailer.
    const std::string longName = Replace(other, "o.bin", std::string(1100, 'n') + ".bin");
    const struct { std::vector<std::string> texts; std::wstring restored; } gluedCases[] = {
        {{part(3, set), part(1, set), part(2, set)}, L"F:\\x.bin"},
        {{other, longName}, L"F:\\" + std::wstring(251, L'n') + L".bin"},
        {{other, part(1, set), part(2, set), part(3, set)}, L"F:\\x.bin"},
    };
    for (const auto& c : gluedCases) {
        std::string all;
        for (const auto& t : c.texts) all += t.substr(0, t.size() - 2);
        ASSERT_EQ(run(all, c.texts.size() == 3 ? L"F:\\x.bin" : L"F:\\").size(), 1u);
        EXPECT_EQ(r.written.size(), c.texts.size() == 3 ? 1u : 2u);
        EXPECT_EQ(r.written.count(c.restored), 1u);
    }
    EXPECT_EQ(r.written[L"F:\\x.bin"], data);
    // A marker is the last line with text before its block; with a line between, the block is
    // an ordinary file.
    EXPECT_EQ(run(part(1, set, "chat\r\n"), L"F:\\out\\y.bin").size(), 1u);
    EXPECT_EQ(r.written[L"F:\\out\\y.bin"].size(), 45u * 3);

    // Several files picked at once: each a text of its own, joined as one restore, and a report
    // names the file and the line in it.
    testing::TempDir dir;
    const auto files = [&](std::vector<std::string> texts) {
        std::wstring picked;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const std::string name = "m" + std::to_string(i) + ".uue";
            picked += (i ? L"\n" : L"") + testing::Wide(dir.Write(name, {texts[i].begin(), texts[i].end()}));
        }
        sys.dialogs.first = {picked};
        sys.dialogs.chosen = L"F:\\files";
        sys.ui.shown.clear();
        r.written.clear();
        RunRestore(From::kFile, p, 0);
        return sys.ui.Texts();
    };
    const std::string unended = part(1, set).substr(0, part(1, set).size() - 2);  // its file's end ends it
    const auto joined = files({part(3, set), other + unended, "\xEF\xBB\xBF" + part(2, set)});
    ASSERT_EQ(joined.size(), 1u);
    EXPECT_EQ(joined[0].rfind(L"已还原 2 个文件到 F:\\files：\r\no.bin\r\n", 0), 0u) << joined[0];
    EXPECT_EQ(r.written[L"F:\\files\\x.bin"], data);
    const auto m = [&](const char* name) { return testing::Wide(dir.path() / name); };
    EXPECT_EQ(r.origin.marksOfEach, (std::vector<std::vector<std::wstring>>{{m("m1.uue")}, {m("m1.uue"), m("m2.uue"), m("m0.uue")}}));
    const auto named = [&](std::wstring name, int line, const char* file) {
        return std::vector<std::wstring>{L"UUE文本有错误：" + name + L" 的第 " + std::to_wstring(line) + L" 行已损坏（文件 " +
                                         testing::Wide(dir.path() / file) + L"）。没有生成任何文件。"};
    };
    std::string damaged = part(1, set);
    damaged[damaged.find("\nM") + 9] = '~';
    EXPECT_EQ(files({part(3, set), other + damaged, part(2, set)}), named(L"x.bin.001", 3 + 7, "m1.uue"));
    EXPECT_EQ(files({part(3, set), part(1, set) + changed, part(2, set)}), named(L"files", 2, "m2.uue"))
        << "a part that came twice, different the second time";
    EXPECT_TRUE(r.written.empty());

    // Thousands of sets of one part each claiming 9,999: refused by their count over every file
    // picked, before any set is judged or Save As asked.
    const auto sets = [](std::size_t n, std::uint8_t seed) {
        std::string text;
        for (std::size_t k = 0; k < n; ++k)
            text += uue::FormatMarker({1, 9999, 9999 * 45, {seed, std::uint8_t(k), std::uint8_t(k >> 8)}, std::nullopt}) +
                    "\r\nbegin 644 h.0001\r\nM" + std::string(60, '!') + "\r\n`\r\nend\r\n";
        return text;
    };
    const auto tooMany = [](std::wstring n) { return L"UUE文本中有 " + n + L" 个文件，一次最多还原 100 个。没有生成任何文件。"; };
    sys.dialogs.proposed.clear();
    EXPECT_EQ(fails(sets(9999, 0)), tooMany(L"9,999"));
    EXPECT_EQ(files({sets(9999, 0), sets(9999, 1), sets(9999, 2)}), std::vector{tooMany(L"29,997")});
    EXPECT_TRUE(sys.dialogs.proposed.empty());
}

// The rules of a set judge a part alike whether it is joined from one text or received text by
// text: every part but the last of one length, a multiple of 45, the last the rest.
TEST_F(SentInParts, JoiningAndReceivingJudgeEveryPartByTheSameRules) {
    const std::vector<std::tuple<std::vector<std::size_t>, std::uint64_t, bool>> rows = {
        {{135, 135, 50}, 320, true},  {{135, 135, 135}, 320, false}, {{90, 135, 50}, 320, false},
        {{135, 135, 50}, 365, false}, {{134, 134, 52}, 320, false},  {{90, 90, 90}, 270, true},
        {{135, 135, 1}, 271, true},   {{135, 135, 0}, 270, false},
    };
    for (const auto& [lengths, size, fits] : rows) {
        uue::PartMarker m = set;
        m.size = size;
        std::string all;
        for (std::uint32_t k = 1; k <= 3; ++k) all += part(k, m, "", lengths[k - 1]);
        const auto joined = run(all, L"F:\\out\\x.bin");
        ASSERT_EQ(joined.size(), 1u);
        EXPECT_EQ(joined[0].starts_with(L"UUE文本有错误"), !fits) << joined[0];
        const auto copy = [&](const std::string& text) { sys.clipboard.Copy({text.begin(), text.end()}); };
        testing::ReceivingEnd end(p);
        copy(part(1, m, "", lengths[0]));
        sys.ui.shown.clear();
        if (!end.Start()) {
            // A first text whose part cannot belong opens no window.
            EXPECT_FALSE(fits) << joined[0];
            EXPECT_EQ(sys.ui.Texts(), std::vector<std::wstring>{L"剪切板中的分段与它的标记不符（x.bin 第 1 段）。没有生成任何文件。"});
            continue;
        }
        bool damaged = false;
        for (std::uint32_t k = 2; k <= 3; ++k) {
            copy(part(k, m, "", lengths[k - 1]));
            end.Read();
            damaged = damaged || end.gathering->receiver->Line().find(L"已损坏") != std::wstring::npos;
        }
        EXPECT_EQ(damaged, !fits) << joined[0];
    }
}

// Parts copied over one text at a time: each kept once, a damaged or foreign one said and left,
// every text that held a part of the file answered with the lowest part still missing.
TEST_F(SentInParts, CopiedOneByOneAreGatheredAndEveryTextWithOneIsAnswered) {
    const std::string hex = product::DigestHex(set.sha256);
    const auto ack = [&](int k, int next) {
        return "#Quillbox got part " + std::to_string(k) + "/3 sha256=" + hex + " next=" + std::to_string(next);
    };
    std::string damaged = part(1, set);
    damaged[damaged.find("\nM") + 9] = '~';
    uue::PartMarker another = set;
    another.sha256[5] ^= 1;
    another.name = "其他.txt";
    struct Seen {
        std::wstring state, counts;
        std::size_t lines;
    };
    // The first text opens the gathering; each later one is read as the receiving window reads it.
    const auto gather = [&](const std::string& first, const std::vector<std::string>& copies) {
        testing::ReceivingEnd end(p);
        sys.clipboard.Copy(std::wstring(first.begin(), first.end()));
        sys.clipboard.lines.clear();
        sys.ui.shown.clear();
        r.written.clear();
        EXPECT_TRUE(end.Start());
        const relay::Receiver& receiver = *end.gathering->receiver;
        std::vector<Seen> seen{{receiver.Heading(), receiver.Counts(), sys.clipboard.lines.size()}};
        for (const std::string& text : copies) {
            sys.clipboard.Copy(std::wstring(text.begin(), text.end()));
            end.Read();
            seen.push_back({receiver.Line(), receiver.Counts(), sys.clipboard.lines.size()});
        }
        sys.dialogs.chosen = L"F:\\out\\x.bin";
        FinishGathering(*end.gathering, p, 0);
        return seen;
    };
    const auto seen = gather(part(2, set), {"hello", part(2, set), damaged, part(1, another), part(3, set) + part(1, set)});
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[0].state, L"正在接收 x.bin（共 3 段）");
    EXPECT_EQ(seen[0].counts, L"已收到 1 段，还缺第 1、3 段");
    EXPECT_EQ(seen[1].lines, 1u) << "a text without parts changes nothing";
    EXPECT_EQ(seen[2].state, L"第 2 段已经收到过了。");
    EXPECT_EQ(seen[3].state, L"第 1 段已损坏（第 3 行），请重新复制这一段。");
    EXPECT_EQ(seen[4].state, L"剪切板中是另一个文件（其他.txt）的分段，已忽略。");
    EXPECT_EQ(seen[3].lines, 3u) << "a damaged part is answered, for a relay to put it again";
    EXPECT_EQ(seen[4].lines, 3u) << "another file's part is not";
    EXPECT_EQ(seen[5].counts, L"已收到 3 段");
    EXPECT_EQ(sys.clipboard.lines, (std::vector<std::string>{ack(2, 1), ack(2, 1), ack(2, 1), ack(1, 0)}));
    ASSERT_EQ(sys.ui.shown.size(), 1u);
    EXPECT_EQ(sys.ui.shown[0].text.rfind(L"已还原文件：F:\\out\\x.bin\r\n", 0), 0u) << sys.ui.shown[0].text;
    EXPECT_EQ(r.written[L"F:\\out\\x.bin"], data);

    // Cancelled, or every part in but the file not the sender's: nothing written, no last answer.
    EXPECT_EQ(gather(part(2, set), {part(1, set)}).back().state, L"已收到 2 段，还缺第 3 段。请复制第 3 段。");
    EXPECT_TRUE(sys.ui.shown.empty());
    EXPECT_TRUE(r.written.empty());
    uue::PartMarker wrong = set;
    wrong.sha256[0] ^= 1;
    EXPECT_EQ(gather(part(2, wrong), {part(1, wrong) + part(3, wrong)}).back().lines, 1u);
    EXPECT_EQ(sys.ui.Texts(), std::vector<std::wstring>{L"分段合并后的文件与发送方的不一致：x.bin 的 SHA-256 不同。没有生成任何文件。"});
    EXPECT_TRUE(r.written.empty());
}

}  // namespace
}  // namespace qb::restore
