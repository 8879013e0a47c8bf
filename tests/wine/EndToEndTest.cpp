// Quillbox.exe as a user meets it: real process, real message boxes, real clipboard and files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "Driver.h"
#include "WinFiles.h"
#include "windows/MessageLoop.h"
#include "windows/OptionsWindowDesign.h"
#include "windows/PartsWindowDesign.h"
#include "windows/ReceivingWindowDesign.h"

#include <tlhelp32.h>  // after windows.h

namespace qb::testing {
namespace {

const std::wstring kCaption = L"Quillbox";
const std::wstring kOnClipboard = L"转换完毕，已经设置了剪切板，可以直接粘贴";
const std::wstring kSideFile = L"由于文件大于10M，没有设置剪切板，生成了UUE文件";
const std::string kTrailer = "\xB9\xD9\xB7\xBD\xCD\xF8\xD5\xBE\xA3\xBA" "http://quillbox.example.com/";
const std::string kSentinel = "clipboard before the run";

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

void ExpectOkOnly(const Box& box) {
    ASSERT_EQ(box.buttons.size(), 1u);
    EXPECT_EQ(box.buttons[0].id, IDOK);
    EXPECT_EQ(box.buttons[0].text, L"确定");
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 936u) << "the tests expect the Chinese (Simplified) code page";
        SetClipboardText(kSentinel);
    }
    ScratchDir dir;
};

TEST_F(EndToEnd, ChineseNameWithSpacesLandsOnTheClipboardInCodePage936) {
    const std::wstring file = dir / L"测试 文件.txt";
    WriteFileBytes(file, {'a', 'b', 'c'});
    const auto out = RunAndConfirm(Quoted(file));
    EXPECT_EQ(out.box.caption, kCaption);
    EXPECT_EQ(out.box.text, kOnClipboard);
    EXPECT_EQ(out.box.icon, Icon::kNone);
    ExpectOkOnly(out.box);
    EXPECT_EQ(out.exitCode, 0u);
    EXPECT_TRUE(out.otherWindows.empty()) << "message boxes only, and a progress window past 2 s";
    EXPECT_EQ(out.progressWindows, 0u);
    // 测试 is B2 E2 CA D4 in code page 936.
    EXPECT_EQ(ClipboardText(),
              "begin 644 \xB2\xE2\xCA\xD4 \xCE\xC4\xBC\xFE.txt\r\n#86)C\r\n`\r\nend\r\n" + kTrailer);
    EXPECT_FALSE(Exists(file + L".uue"));
}

TEST_F(EndToEnd, QuotesAroundOrInsideThePathChangeNothing) {
    const std::wstring file = dir / L"with space.bin";
    WriteFileBytes(file, {0});
    std::wstring inside = file;
    inside.insert(inside.size() - 4, L"\"");
    for (const std::wstring& arg : {file, Quoted(file), inside}) {
        SetClipboardText(kSentinel);
        const auto out = RunAndConfirm(arg);
        EXPECT_EQ(out.exitCode, 0u) << arg;
        EXPECT_EQ(ClipboardText().substr(0, 33), "begin 644 with space.bin\r\n!````\r\n") << arg;
    }
}

TEST_F(EndToEnd, TheClipboardLimitIsTenMebibytesAndTheSideFileIsMadeBesideTheFileNotElsewhere) {
    const auto data = RandomBytes(10'485'760, 1);
    const std::wstring below = dir / L"below.bin";
    WriteWhole(below, data.data(), data.size() - 1);
    auto out = RunAndConfirm(Quoted(below));
    EXPECT_EQ(out.box.text, kOnClipboard);
    EXPECT_EQ(out.progressWindows, 0u) << "a short job shows no progress window";
    EXPECT_EQ(ClipboardText().substr(0, 21), "begin 644 below.bin\r\n");
    EXPECT_FALSE(Exists(below + L".uue"));

    SetClipboardText(kSentinel);
    const std::wstring at = dir / L"at.bin";
    WriteWhole(at, data.data(), data.size());
    WriteFileBytes(at + L".uue", {'o', 'l', 'd'});
    // "C:at.bin" is read against drive C's current folder, kept in "=C:" and inherited, while the
    // working folder is on another drive, read-only where prepared: nothing may go there.
    SetEnvironmentVariableW(L"=C:", dir.path().c_str());
    if (const char* readOnly = std::getenv("QB_RO_DIR")) SetCurrentDirectoryA(readOnly);
    out = RunAndConfirm(L"C:at.bin");
    SetCurrentDirectoryW(L"C:\\");
    EXPECT_EQ(out.box.text, kSideFile);
    EXPECT_EQ(out.box.icon, Icon::kNone);
    ExpectOkOnly(out.box);
    EXPECT_EQ(out.exitCode, 0u);
    EXPECT_EQ(ClipboardText(), kSentinel) << "the side-file road leaves the clipboard alone";
    const std::string side = ReadFileBytes(at + L".uue");
    EXPECT_EQ(side.substr(0, 18), "begin 644 at.bin\r\n");
    EXPECT_TRUE(side.ends_with("\r\n`\r\nend\r\n" + kTrailer + "\r\n"));
    // Header, 233,017 body lines (14,680,067 bytes), "`" and "end", trailer.
    EXPECT_EQ(side.size(), 18 + 14'680'067 + 8 + kTrailer.size() + 2);
    EXPECT_EQ(ListDir(dir.path()).size(), 3u) << "no temporary file is left beside the side file";
}

TEST_F(EndToEnd, AboveTwentyMillionBytesTheUserIsAskedAndNoEndsWithNothingWritten) {
    const std::wstring exact = dir / L"exact.bin";
    const std::wstring over = dir / L"over.bin";
    std::vector<std::uint8_t> data(20'000'001, 'q');
    WriteWhole(exact, data.data(), 20'000'000);
    WriteFileBytes(over, data);

    auto out = RunAndConfirm(Quoted(exact));
    EXPECT_EQ(out.box.text, kSideFile) << "exactly 20,000,000 bytes is not asked about";

    {
        RunningQuillbox run(Quoted(over));
        const auto ask = run.WaitForBox();
        ASSERT_TRUE(ask);
        EXPECT_EQ(ask->caption, kCaption);
        EXPECT_EQ(ask->text, L"当文件太大的话操作将需要很长时间，真的要继续吗？");
        EXPECT_EQ(ask->icon, Icon::kNone);
        ASSERT_EQ(ask->buttons.size(), 2u);
        EXPECT_EQ(ask->buttons[0].id, IDYES);
        EXPECT_EQ(ask->buttons[1].id, IDNO);
        EXPECT_FALSE(ask->buttons[0].isDefault);
        EXPECT_TRUE(ask->buttons[1].isDefault) << "No is the default button";
        run.Press(*ask, IDNO);
        EXPECT_EQ(run.WaitForExit(), 2u);
        EXPECT_FALSE(Exists(over + L".uue"));
        EXPECT_EQ(ClipboardText(), kSentinel);
    }
    {
        RunningQuillbox run(Quoted(over));
        const auto ask = run.WaitForBox();
        ASSERT_TRUE(ask);
        run.Press(*ask, IDYES);
        const auto done = run.WaitForBox();
        ASSERT_TRUE(done);
        EXPECT_EQ(done->text, kSideFile);
        run.Press(*done, IDOK);
        EXPECT_EQ(run.WaitForExit(), 0u);
        EXPECT_TRUE(Exists(over + L".uue"));
    }
}

void ExpectReport(const Box& box, const std::wstring& start, DWORD code);

TEST_F(EndToEnd, FilesThatCannotBeEncodedAreRefusedWithTheirOwnMessage) {
    const std::wstring a = dir / L"a.txt", b = dir / L"b.txt", empty = dir / L"empty.txt";
    WriteFileBytes(a, {'a'});
    WriteFileBytes(b, {'b'});
    WriteFileBytes(empty, {});
    struct Case {
        std::wstring args, text;
        Icon icon;
        DWORD code;
    };
    const Case cases[] = {
        {Quoted(dir / L"missing.txt"), L"文件打开失败", Icon::kExclamation, 1},
        {Quoted(a) + L" " + Quoted(b), L"文件打开失败", Icon::kExclamation, 1},
        // Refused with access denied, as a locked file is, but no file to encode.
        {Quoted(dir.path()), L"文件打开失败", Icon::kExclamation, 1},
        {Quoted(empty), L"该文件是空文件", Icon::kInformation, 3},
    };
    for (const auto& c : cases) {
        const auto out = RunAndConfirm(c.args);
        EXPECT_EQ(out.box.caption, kCaption) << c.args;
        EXPECT_EQ(out.box.text, c.text) << c.args;
        EXPECT_EQ(out.box.icon, c.icon) << c.args;
        ExpectOkOnly(out.box);
        EXPECT_EQ(out.exitCode, c.code) << c.args;
        EXPECT_TRUE(out.otherWindows.empty());
    }
    // Held by another program without sharing: there, so named with the cause.
    HANDLE held = CreateFileW(a.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const auto out = RunAndConfirm(Quoted(a));
    CloseHandle(held);
    ExpectReport(out.box, L"无法打开文件 " + a, ERROR_SHARING_VIOLATION);
    EXPECT_EQ(out.exitCode, 1u);
    EXPECT_EQ(ClipboardText(), kSentinel);
}

TEST_F(EndToEnd, AHiddenFileKeepsItsNameInTheHeader) {
    const std::wstring file = dir / L"secret.dat";
    WriteFileBytes(file, {'s'});
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    RunAndConfirm(Quoted(file));
    EXPECT_EQ(ClipboardText().substr(0, 22), "begin 644 secret.dat\r\n");
}

// A visible top-level window of the process with this caption, or of this class, but `except`.
HWND FindProcessWindow(DWORD pid, const wchar_t* caption, const wchar_t* className = nullptr, HWND except = nullptr) {
    struct Search {
        DWORD pid;
        const wchar_t* caption;
        const wchar_t* className;
        HWND except;
        HWND found;
    } s{pid, caption, className, except, nullptr};
    EnumWindows(
        [](HWND w, LPARAM lp) {
            auto* s = reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            wchar_t text[64] = {};
            if (s->className) GetClassNameW(w, text, 64);
            else GetWindowTextW(w, text, 64);
            if (owner == s->pid && w != s->except && IsWindowVisible(w) &&
                std::wstring(text) == (s->className ? s->className : s->caption))
                s->found = w;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// Save As answered with `path`, then the outcome box, which must name it; the file must hold what
// `original` does.
::testing::AssertionResult SavedAs(RunningQuillbox& run, const std::wstring& path, const std::wstring& original,
                                   DWORD timeoutMs = 20000) {
    const auto save = run.WaitForBox(timeoutMs);
    if (!save || save->caption != L"保存还原的文件" || !ChooseInFileDialog(save->hwnd, path))
        return ::testing::AssertionFailure() << "no Save As";
    const auto box = run.WaitForBox();
    if (!box) return ::testing::AssertionFailure() << "no outcome";
    run.Press(*box, IDOK);
    if (!box->text.starts_with(L"已还原文件：" + path)) return ::testing::AssertionFailure() << box->text;
    if (ReadFileBytes(path) != ReadFileBytes(original)) return ::testing::AssertionFailure() << "other bytes";
    return ::testing::AssertionSuccess();
}

// A form of the process (not a message box, which has the same caption), waited for.
HWND FormWindowOf(const RunningQuillbox& run) {
    HWND form = nullptr;
    for (int i = 0; i < 200 && !(form = FindProcessWindow(run.ProcessId(), nullptr, windows::kFormClass)); ++i) Sleep(50);
    return form;
}

HWND OptionsWindowOf(const RunningQuillbox& run) {
    HWND main = nullptr;
    for (int i = 0; i < 200 && !(main = FindProcessWindow(run.ProcessId(), L"Quillbox")); ++i) Sleep(50);
    return main;
}

TEST_F(EndToEnd, WithoutAFileTheOptionsWindowOpensAndExitEndsTheProgram) {
    const char* log = std::getenv("QB_URL_LOG");
    // An explorer.exe beside the program must never run: here qbshow, which marks the clipboard.
    // (Not a copy of Wine's own program: Wine would run its built-in one of the same name.)
    ASSERT_TRUE(CopyFileW(QB_EXE, (dir / L"Quillbox.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(QB_SHOW, (dir / L"explorer.exe").c_str(), FALSE));
    RunningQuillbox run(WholeCommandLine{Quoted(dir / L"Quillbox.exe")});
    const HWND main = OptionsWindowOf(run);
    ASSERT_NE(main, nullptr) << "the options window did not appear";
    EXPECT_EQ(run.WaitForBox(300), std::nullopt) << "no message box on this road";

    // Exit with the About box open still ends the process at once.
    namespace options = windows::options_window;
    PostMessageW(main, WM_COMMAND, windows::CommandOf(options::kDesign, options::Id::menuAbout), 0);
    HWND about = nullptr;
    for (int i = 0; i < 100 && !(about = FindProcessWindow(run.ProcessId(), L"关于 Quillbox")); ++i) Sleep(50);
    EXPECT_NE(about, nullptr);
    HWND exit = FindWindowExW(main, nullptr, L"Button", L"退出(&X)");
    ASSERT_NE(exit, nullptr);
    PostMessageW(exit, BM_CLICK, 0, 0);
    EXPECT_EQ(run.WaitForExit(), 0u);

    if (log) {
        Sleep(500);  // the launch runs on its own
        const std::string urls = ReadFileBytes(std::wstring(log, log + strlen(log)).insert(0, L"Z:"));
        EXPECT_NE(urls.find("http://quillbox.example.com/"), std::string::npos) << urls;
    }
    EXPECT_EQ(ClipboardText(), kSentinel) << "the explorer.exe beside the program ran";
}

// The other end of the trip: Quillbox's own text on the real clipboard, rebuilt through the File
// menu and the system's dialogs; a text cut in transit is reported before any dialog.
TEST_F(EndToEnd, TextOnTheClipboardIsRebuiltWhereTheUserSaysAndACutOneWritesNothing) {
    const auto first = RandomBytes(100'000, 21), second = RandomBytes(70, 22);
    WriteFileBytes(dir / L"源 文件.bin", first);
    WriteFileBytes(dir / L"b.txt", second);
    ASSERT_EQ(RunAndConfirm(Quoted(dir / L"b.txt")).exitCode, 0u);
    const std::string small = ClipboardText();
    ASSERT_EQ(RunAndConfirm(Quoted(dir / L"源 文件.bin")).exitCode, 0u);
    const std::string text = ClipboardText();
    CreateDirectoryW((dir / L"out").c_str(), nullptr);

    RunningQuillbox run(L"");
    const HWND main = OptionsWindowOf(run);
    ASSERT_NE(main, nullptr);
    namespace options = windows::options_window;
    const auto restore = [&](const std::string& clip) {
        SetClipboardText(clip);
        PostMessageW(main, WM_COMMAND, windows::CommandOf(options::kDesign, options::Id::menuRestoreClipboard), 0);
        return run.WaitForBox();
    };
    auto save = restore(text);
    ASSERT_TRUE(save);
    EXPECT_EQ(save->caption, L"保存还原的文件");
    ASSERT_TRUE(ChooseInFileDialog(save->hwnd, dir / L"out\\还原.bin"));
    auto box = run.WaitForBox();
    ASSERT_TRUE(box);
    const std::wstring head = L"已还原文件：" + dir / L"out\\还原.bin" + L"\r\n大小：100,000 字节\r\nSHA-256：";
    EXPECT_EQ(box->text.substr(0, head.size()), head);
    EXPECT_EQ(box->text.size(), head.size() + 64) << box->text;
    EXPECT_EQ(box->icon, Icon::kNone);
    run.Press(*box, IDOK);
    EXPECT_EQ(ReadFileBytes(dir / L"out\\还原.bin"), std::string(first.begin(), first.end()));

    box = restore(text.substr(0, text.size() / 2));
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, L"UUE文本不完整：源 文件.bin 缺少结尾的 end 行，可能在传输中被截断。没有生成任何文件。");
    EXPECT_EQ(box->icon, Icon::kError);
    run.Press(*box, IDOK);

    // Two blocks, one of a name already there: through the folder picker, numbered, nothing replaced.
    auto pick = restore("chat line\r\n" + small + "\r\n" + text);
    ASSERT_TRUE(pick);
    EXPECT_EQ(pick->caption, L"选择保存还原文件的文件夹");
    ASSERT_TRUE(ChooseInFileDialog(pick->hwnd, dir.path()));
    box = run.WaitForBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text.rfind(L"已还原 2 个文件到 " + dir.path() + L"：\r\nb (2).txt\r\n", 0), 0u) << box->text;
    run.Press(*box, IDOK);
    EXPECT_EQ(ReadFileBytes(dir / L"b (2).txt"), std::string(second.begin(), second.end()));
    EXPECT_EQ(ReadFileBytes(dir / L"源 文件 (2).bin"), std::string(first.begin(), first.end()));
    EXPECT_EQ(ReadFileBytes(dir / L"b.txt"), std::string(second.begin(), second.end()));
    PostMessageW(FindWindowExW(main, nullptr, L"Button", L"退出(&X)"), BM_CLICK, 0, 0);
    EXPECT_EQ(run.WaitForExit(), 0u);
}

// Folders prepared by scripts/test.sh on small tmpfs mounts: one read-only, one nearly full.
std::wstring PreparedDir(const char* variable) {
    const char* v = std::getenv(variable);
    if (!v) return {};
    return std::wstring(v, v + strlen(v));
}

// A report names what could not be done and the file, then the system's words, the code last.
void ExpectReport(const Box& box, const std::wstring& start, DWORD code) {
    EXPECT_EQ(box.icon, Icon::kError);
    EXPECT_EQ(box.text.rfind(start + L"：", 0), 0u) << box.text;
    EXPECT_TRUE(box.text.ends_with(L"（错误代码 " + std::to_wstring(code) + L"）")) << box.text;
}

TEST_F(EndToEnd, AReadOnlySideFileOrFolderIsReportedByNameAndCauseAndNothingIsLeft) {
    const auto data = RandomBytes(10'485'760, 2);
    const std::wstring file = dir / L"at.bin";
    WriteWhole(file, data.data(), data.size());
    WriteFileBytes(file + L".uue", {'o', 'l', 'd'});
    ASSERT_TRUE(SetFileAttributesW((file + L".uue").c_str(), FILE_ATTRIBUTE_READONLY));
    auto out = RunAndConfirm(Quoted(file));
    ExpectReport(out.box, L"无法写入文件 " + file + L".uue", ERROR_ACCESS_DENIED);
    EXPECT_EQ(out.exitCode, 6u);
    EXPECT_EQ(ReadFileBytes(file + L".uue"), "old");
    EXPECT_EQ(ListDir(dir.path()).size(), 2u) << "no temporary file is left behind";

    const std::wstring ro = PreparedDir("QB_RO_DIR");
    if (ro.empty()) GTEST_SKIP() << "QB_RO_DIR not prepared (scripts/test.sh does this as root)";
    const std::string before = ReadFileBytes(ro + L"\\in.bin.uue");
    out = RunAndConfirm(Quoted(ro + L"\\in.bin"));
    EXPECT_EQ(out.box.caption, kCaption);
    EXPECT_EQ(out.box.text.rfind(L"无法写入文件 " + ro + L"\\in.bin.uue：", 0), 0u) << out.box.text;
    EXPECT_EQ(out.box.text.find(L"（错误代码 2）"), std::wstring::npos) << "a file was not missing";
    EXPECT_EQ(out.exitCode, 6u);
    EXPECT_EQ(ReadFileBytes(ro + L"\\in.bin.uue"), before);
    EXPECT_EQ(ListDir(ro).size(), 2u);
}

TEST_F(EndToEnd, AFullDiskLeavesNoPartialSideFileAndKeepsTheOlderOne) {
    const std::wstring full = PreparedDir("QB_FULL_DIR");
    if (full.empty()) GTEST_SKIP() << "QB_FULL_DIR not prepared (scripts/test.sh does this as root)";
    const auto out = RunAndConfirm(Quoted(full + L"\\in.bin"));
    ExpectReport(out.box, L"无法写入文件 " + full + L"\\in.bin.uue", ERROR_DISK_FULL);
    EXPECT_EQ(out.exitCode, 6u);
    EXPECT_EQ(ReadFileBytes(full + L"\\in.bin.uue"), "old");
    EXPECT_EQ(ListDir(full).size(), 2u) << "the half-written temporary file must be gone";
    EXPECT_EQ(ClipboardText(), kSentinel);
}

TEST_F(EndToEnd, AFileCutShortMidJobGetsOneReportAndNoSideFile) {
    const std::wstring file = dir / L"cut.bin";
    std::vector<std::uint8_t> data(20'000'001, 'c');
    WriteFileBytes(file, data);
    WriteFileBytes(file + L".uue", {'o', 'l', 'd'});
    RunningQuillbox run(Quoted(file));
    const auto ask = run.WaitForBox();
    ASSERT_TRUE(ask);
    // The program holds the file open by now; cutting it makes its reads come up short.
    HANDLE f = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    SetFilePointer(f, 12'000'000, nullptr, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(f));
    CloseHandle(f);
    run.Press(*ask, IDYES);
    const auto report = run.WaitForBox();
    ASSERT_TRUE(report) << "no report: the program crashed or stayed silent";
    ExpectReport(*report, L"无法读取文件 " + file, ERROR_HANDLE_EOF);
    EXPECT_NE(report->text.find(L"文件在读取时变短了"), std::wstring::npos) << report->text;
    run.Press(*report, IDOK);
    EXPECT_EQ(run.WaitForBox(1000), std::nullopt) << "one report only";
    EXPECT_EQ(run.WaitForExit(), 5u);
    EXPECT_EQ(ReadFileBytes(file + L".uue"), "old");
    EXPECT_EQ(ListDir(dir.path()).size(), 2u);
}

TEST_F(EndToEnd, AFileOpenForWritingInAnotherProgramIsEncoded) {
    const std::wstring file = dir / L"app.log";
    WriteFileBytes(file, {'a', 'b', 'c'});
    // Held the way a logger holds its file: writing, sharing reads only.
    HANDLE log = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             0, nullptr);
    ASSERT_NE(log, INVALID_HANDLE_VALUE);
    const auto out = RunAndConfirm(Quoted(file));
    CloseHandle(log);
    EXPECT_EQ(out.box.text, kOnClipboard);
    EXPECT_EQ(out.exitCode, 0u);
    EXPECT_EQ(ClipboardText().substr(0, 29), "begin 644 app.log\r\n#86)C\r\n`\r\n");
}

TEST_F(EndToEnd, NameCharactersOutsideTheCodePageOrForbiddenByWindowsBecomeUnderscores) {
    const std::pair<std::wstring, std::string> names[] = {
        {L"한국어 파일.bin", "begin 644 ___ __.bin\r\n"},
        {L"\xD83D\xDE00 smile.txt", "begin 644 _ smile.txt\r\n"},
        {L"a:b.txt", "begin 644 a_b.txt\r\n"},  // a Linux file under Wine; on NTFS, a stream of a
    };
    for (const auto& [name, header] : names) {
        WriteFileBytes(dir / name, {'x'});
        const auto out = RunAndConfirm(Quoted(dir / name));
        EXPECT_EQ(out.exitCode, 0u);
        EXPECT_EQ(ClipboardText().substr(0, header.size()), header);
    }
}

// Through the session's slow disk (10 MB/s; 3 MB/s in its folder "3"): the files are put in at
// QB_SLOW_SOURCE and read by the program through QB_SLOW_DIR.
TEST_F(EndToEnd, ASlowJobShowsItsProgressAndCancelStopsItLeavingNothingBehind) {
    const std::wstring slow = PreparedDir("QB_SLOW_DIR"), source = PreparedDir("QB_SLOW_SOURCE");
    if (slow.empty()) GTEST_SKIP() << "no slow disk (the Wine session mounts one as root)";
    const auto data = RandomBytes(30'000'000, 17);
    WriteWhole(source + L"\\slow.bin", data.data(), data.size());
    WriteWhole(source + L"\\3\\clip.bin", data.data(), 9'000'000);
    WriteFileBytes(source + L"\\slow.bin.uue", {'o', 'l', 'd'});
    struct Case {
        std::wstring file, name, total;
        bool cancel;
    };
    for (const auto& c : {Case{L"slow.bin", L"slow.bin", L"28", true}, Case{L"3\\clip.bin", L"clip.bin", L"8", true},
                          Case{L"slow.bin", L"slow.bin", L"28", false}}) {
        RunningQuillbox run(Quoted(slow + L"\\" + c.file));
        if (c.total == L"28") {
            const auto ask = run.WaitForBox();
            ASSERT_TRUE(ask);
            run.Press(*ask, IDYES);
        }
        const auto window = run.WaitForBox(5000, true);
        ASSERT_TRUE(window) << "a job past 2 s shows its progress";
        EXPECT_EQ(window->caption, kCaption);
        EXPECT_EQ(window->text.rfind(L"正在转换 " + c.name + L"\n已完成 ", 0), 0u) << window->text;
        EXPECT_TRUE(window->text.ends_with(L" MB / " + c.total + L" MB")) << window->text;
        if (c.cancel) {
            const ULONGLONG pressed = GetTickCount64();
            // Closing the window counts as Cancel.
            if (c.total == L"8") PostMessageW(window->hwnd, WM_CLOSE, 0, 0);
            else run.Press(*window, window->buttons.at(0).id);
            EXPECT_EQ(run.WaitForExit(5000), 2u) << "stopped, and no further box";
            std::printf("from Cancel to the end of the process: %llu ms\n", GetTickCount64() - pressed);
            EXPECT_EQ(ReadFileBytes(source + L"\\slow.bin.uue"), "old");
            EXPECT_EQ(ListDir(source).size(), 3u) << "no temporary file is left behind";
            EXPECT_EQ(ClipboardText(), kSentinel);
        } else {
            const auto done = run.WaitForBox();
            ASSERT_TRUE(done);
            EXPECT_FALSE(done->progressOpen) << "the progress window closes before the final box";
            EXPECT_EQ(done->text, kSideFile);
            run.Press(*done, IDOK);
            EXPECT_EQ(run.WaitForExit(), 0u);
        }
        EXPECT_EQ(run.ProgressWindowsSeen(), 1u);
    }
    const std::string side = ReadFileBytes(source + L"\\slow.bin.uue");
    const std::string head = "begin 644 slow.bin\r\n", tail = "`\r\nend\r\n" + kTrailer + "\r\n";
    ASSERT_TRUE(side.starts_with(head) && side.ends_with(tail));
    EXPECT_TRUE(DecodeBody(side.substr(head.size(), side.size() - head.size() - tail.size())) == data);
}

// A restore from a slow disk shows each pass's progress; Cancel in the first, and a close of the
// options window in the second, stop it with nothing written and nothing more shown.
// A file too long for a 4,000-character channel: the parts window puts part 1 on the clipboard
// as it opens and each next one at 下一段, every one within the limit as a Unicode program pastes
// it, and closing it after the last part ends the run well.
TEST_F(EndToEnd, AFileTooLongForItsChannelCrossesItPartByPart) {
    const DWORD limit = 4000;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Quillbox", L"PartChars", REG_DWORD, &limit, 4),
              ERROR_SUCCESS);
    WriteFileBytes(dir / L"chat.bin", RandomBytes(20'000, 41));
    RunningQuillbox run(Quoted(dir / L"chat.bin"));
    const HWND window = OptionsWindowOf(run);  // a window of the program's, titled Quillbox
    ASSERT_NE(window, nullptr);
    namespace parts = windows::parts_window;
    const auto control = [&](parts::Id id) { return GetDlgItem(window, windows::CommandOf(parts::kDesign, id)); };
    std::vector<std::wstring> seen;
    for (int k = 1; k <= 8; ++k) {
        std::wstring text;
        for (int i = 0; i < 100 && !(text = UnicodeClipboardText()).starts_with(L"#Quillbox part " + std::to_wstring(k) + L"/8 "); ++i)
            Sleep(50);
        ASSERT_TRUE(text.starts_with(L"#Quillbox part " + std::to_wstring(k) + L"/8 ")) << k;
        EXPECT_LE(text.size(), limit) << "part " << k << " as a Unicode program pastes it";
        seen.push_back(text);
        EXPECT_EQ(IsWindowEnabled(control(parts::Id::nextButton)) != FALSE, k < 8) << k;
        if (k < 8) SendMessageW(control(parts::Id::nextButton), BM_CLICK, 0, 0);
    }
    EXPECT_EQ(WindowText(control(parts::Id::state)), L"第 8 段（最后一段）已放入剪切板。");
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.WaitForExit(5000), 0u) << "closed after the last part";
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Quillbox", L"PartChars");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Quillbox");

    // From 10 MiB the parts go into the side file, one after another; no box, but then
    // the same window, which reads part 1 back from the side file; closed there, the run stopped
    // before the end.
    const DWORD wide = 1'000'000;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Quillbox", L"PartChars", REG_DWORD, &wide, 4),
              ERROR_SUCCESS);
    WriteFileBytes(dir / L"big.bin", RandomBytes(10'485'760, 42));
    {
        RunningQuillbox big(Quoted(dir / L"big.bin"));
        const HWND sending = FormWindowOf(big);
        ASSERT_NE(sending, nullptr);
        EXPECT_EQ(WindowText(GetDlgItem(sending, windows::CommandOf(parts::kDesign, parts::Id::summary))),
                  L"已生成 big.bin.uue（共 15 段），每段不超过 1,000,000 个字符。");
        EXPECT_FALSE(big.WaitForBox(300)) << "no box beside the window";
        const std::string side = ReadFileBytes(dir / L"big.bin.uue");
        std::string first = side.substr(0, side.find("\r\n#Quillbox part 2/"));
        for (int i = 0; i < 100 && ClipboardText() != first; ++i) Sleep(50);
        EXPECT_EQ(ClipboardText(), first) << "part 1, read back from the side file without its line end";
        EXPECT_TRUE(side.starts_with("#Quillbox part 1/15 size=10485760 sha256="));
        PostMessageW(sending, WM_CLOSE, 0, 0);
        const auto ask = big.WaitForBox();
        ASSERT_TRUE(ask);
        EXPECT_EQ(ask->text, L"对方还没有收到全部分段。确定关闭吗？");
        big.Press(*ask, IDYES);
        EXPECT_EQ(big.WaitForExit(5000), 2u) << "closed before the last part";
    }
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Quillbox", L"PartChars");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Quillbox");

    // On the other end, the parts pasted in any order come back as the file, checked.
    std::wstring pasted;
    for (auto part = seen.rbegin(); part != seen.rend(); ++part) pasted += *part + L"\r\n";
    const int units = static_cast<int>(pasted.size());
    std::string ansi(static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, pasted.c_str(), units, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_ACP, 0, pasted.c_str(), units, ansi.data(), static_cast<int>(ansi.size()), nullptr, nullptr);
    RunningQuillbox other(L"");
    const HWND main = OptionsWindowOf(other);
    ASSERT_NE(main, nullptr);
    SetClipboardText(ansi);
    namespace options = windows::options_window;
    PostMessageW(main, WM_COMMAND, windows::CommandOf(options::kDesign, options::Id::menuRestoreClipboard), 0);
    EXPECT_TRUE(SavedAs(other, dir / L"back.bin", dir / L"chat.bin"));
    PostMessageW(main, WM_CLOSE, 0, 0);

    // Copied over one at a time, part 1 first and then from the last back, the parts are gathered
    // by the receiving window, each answered on the clipboard in both text formats.
    const std::wstring hex = seen[0].substr(seen[0].find(L"sha256=") + 7, 64);
    const auto answered = [&](int k, int next) {
        const std::wstring ack = L"#Quillbox got part " + std::to_wstring(k) + L"/8 sha256=" + hex +
                                 L" next=" + std::to_wstring(next);
        for (int i = 0; i < 200; ++i, Sleep(25))
            if (ClipboardText() == std::string(ack.begin(), ack.end()) && UnicodeClipboardText() == ack) return true;
        return false;
    };
    // Only CF_TEXT, as an ANSI program copies: under Wine, the Unicode text made from it can be out
    // of reach for a moment (error 1418) while its clipboard manager hands the change to X, which
    // Windows never does; the program reads again then.
    const auto copy = [&](const std::wstring& part) { SetClipboardText(std::string(part.begin(), part.end())); };
    // Its temporary files where the test can see them.
    const std::wstring temp = dir / L"temp";
    CreateDirectoryW(temp.c_str(), nullptr);
    SetEnvironmentVariableW(L"TMP", temp.c_str());
    RunningQuillbox receiver(L"");
    SetEnvironmentVariableW(L"TMP", nullptr);
    const HWND start = OptionsWindowOf(receiver);
    ASSERT_NE(start, nullptr);
    const auto receive = [&] {
        copy(seen[0]);
        PostMessageW(start, WM_COMMAND, windows::CommandOf(options::kDesign, options::Id::menuRestoreClipboard), 0);
        EXPECT_TRUE(answered(1, 2));
        HWND receiving = nullptr;
        for (int i = 0; i < 200 && !(receiving = FindProcessWindow(receiver.ProcessId(), L"Quillbox", nullptr, start)); ++i)
            Sleep(25);
        return receiving;
    };
    namespace receiving = windows::receiving_window;
    HWND gathering = receive();
    ASSERT_NE(gathering, nullptr);
    const auto line = [&](receiving::Id id) { return WindowText(GetDlgItem(gathering, windows::CommandOf(receiving::kDesign, id))); };
    EXPECT_EQ(line(receiving::Id::heading), L"正在接收 chat.bin（共 8 段）");
    const auto button = [&](receiving::Id id) { return GetDlgItem(gathering, windows::CommandOf(receiving::kDesign, id)); };
    const auto focus = [&] {
        GUITHREADINFO info{sizeof info};
        GetGUIThreadInfo(GetWindowThreadProcessId(gathering, nullptr), &info);
        return info.hwndFocus;
    };
    for (int i = 0; i < 100 && !focus(); ++i) Sleep(20);  // shown, then focused
    EXPECT_EQ(focus(), gathering) << "no button takes the focus: a stray Enter throws nothing away";
    for (int k = 8; k >= 2; --k) {
        copy(seen[k - 1]);
        ASSERT_TRUE(answered(k, k == 2 ? 0 : 2)) << k << ::testing::PrintToString(line(receiving::Id::state)) << ClipboardText().substr(0, 60);
    }
    // Save As left without saving: the window comes back, 保存 focused, and saves from there.
    const auto saveAs = receiver.WaitForBox();
    ASSERT_TRUE(saveAs && saveAs->caption == L"保存还原的文件");
    PostMessageW(saveAs->hwnd, WM_COMMAND, IDCANCEL, 0);
    for (int i = 0; i < 200 && !(gathering = FindProcessWindow(receiver.ProcessId(), L"Quillbox", nullptr, start)); ++i)
        Sleep(25);
    ASSERT_NE(gathering, nullptr);
    EXPECT_EQ(line(receiving::Id::state), L"全部 8 段已收到，SHA-256 与发送方一致。");
    for (int i = 0; i < 100 && focus() != button(receiving::Id::saveButton); ++i) Sleep(20);  // shown, then focused
    EXPECT_EQ(focus(), button(receiving::Id::saveButton));
    PostMessageW(button(receiving::Id::saveButton), BM_CLICK, 0, 0);
    EXPECT_TRUE(SavedAs(receiver, dir / L"received.bin", dir / L"chat.bin"));

    // Sent as three files, picked at once in the Open dialog: one restore, one file.
    for (int f = 0; f < 3; ++f) {
        std::wstring text;
        for (int k = f * 3; k < std::min(f * 3 + 3, 8); ++k) text += seen[k] + L"\r\n";
        WriteFileBytes(dir / (L"m" + std::to_wstring(f) + L".uue"), {text.begin(), text.end()});
    }
    PostMessageW(start, WM_COMMAND, windows::CommandOf(options::kDesign, options::Id::menuRestoreFile), 0);
    const auto open = receiver.WaitForBox();
    ASSERT_TRUE(open && open->caption == L"选择UUE文件");
    ASSERT_TRUE(ChooseInFileDialog(open->hwnd, L"\"" + dir / L"m0.uue\" \"" + dir / L"m1.uue\" \"" + dir / L"m2.uue\""));
    EXPECT_TRUE(SavedAs(receiver, dir / L"joined.bin", dir / L"chat.bin"));

    // Cancelled part-way: nothing written, nothing left in the temporary folder, the options
    // window itself again.
    gathering = receive();
    ASSERT_NE(gathering, nullptr);
    copy(seen[1]);
    ASSERT_TRUE(answered(2, 3));
    // Parts kept are given up only at the person's word.
    PostMessageW(button(receiving::Id::cancelButton), BM_CLICK, 0, 0);
    const auto question = receiver.WaitForBox();
    ASSERT_TRUE(question);
    EXPECT_EQ(question->text, L"已收到 2 段。放弃这些分段吗？");
    receiver.Press(*question, IDYES);
    for (int i = 0; i < 100 && !IsWindowEnabled(start); ++i) Sleep(25);
    EXPECT_TRUE(IsWindowEnabled(start));
    EXPECT_FALSE(IsWindow(gathering));
    for (int i = 0; i < 100 && !ListDir(temp).empty(); ++i) Sleep(25);  // the job unwinds after the window
    EXPECT_EQ(ListDir(temp), std::vector<std::wstring>{});
    PostMessageW(start, WM_CLOSE, 0, 0);
    EXPECT_EQ(receiver.WaitForExit(5000), 0u);
}

// Every thread of a process held, or let go, as a debugger would: the test decides which of two
// programs on one clipboard sees a change first.
void HoldProcess(DWORD pid, bool hold) {
    for (;;) {
        const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        THREADENTRY32 thread{sizeof thread, 0, 0, 0, 0, 0, 0};
        for (BOOL more = Thread32First(snapshot, &thread); more; more = Thread32Next(snapshot, &thread))
            if (const HANDLE handle = thread.th32OwnerProcessID == pid ? OpenThread(THREAD_SUSPEND_RESUME, FALSE, thread.th32ThreadID) : nullptr)
                hold ? SuspendThread(handle) : ResumeThread(handle), CloseHandle(handle);
        CloseHandle(snapshot);
        // Never held with the clipboard open, or the other program could not use it.
        if (!hold || (OpenClipboard(nullptr) && CloseClipboard())) return;
        HoldProcess(pid, false);
        Sleep(1);
    }
}

// Two Quillboxes on one clipboard, as the two ends of a remote desktop: the sender puts each part
// the receiver's answer asks for, and no key is pressed. Once, part 2 is replaced before the
// receiver sees it by an echo of part 1; the receiver answers that again, and the sender goes back.
TEST_F(EndToEnd, TwoEndsOfOneClipboardRelayAFileByThemselves) {
    const DWORD limit = 250'000;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Quillbox", L"PartChars", REG_DWORD, &limit, 4),
              ERROR_SUCCESS);
    WriteFileBytes(dir / L"relay.bin", RandomBytes(9'000'000, 52));
    RunningQuillbox receiver(L"");
    const HWND start = OptionsWindowOf(receiver);
    ASSERT_NE(start, nullptr);
    const auto until = [](const std::function<bool(const std::string&)>& seen) {
        for (int i = 0; i < 1200; ++i, Sleep(25))
            if (seen(ClipboardText())) return true;
        return false;
    };
    RunningQuillbox sender(Quoted(dir / L"relay.bin"));
    std::string first;
    ASSERT_TRUE(until([&](const std::string& text) { return (first = text).starts_with("#Quillbox part 1/"); }));
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Quillbox", L"PartChars");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Quillbox");
    HoldProcess(sender.ProcessId(), true);
    namespace options = windows::options_window;
    PostMessageW(start, WM_COMMAND, windows::CommandOf(options::kDesign, options::Id::menuRestoreClipboard), 0);
    ASSERT_TRUE(until([](const std::string& text) { return text.starts_with("#Quillbox got part 1/"); }));
    HoldProcess(receiver.ProcessId(), true);
    HoldProcess(sender.ProcessId(), false);
    const bool second = until([](const std::string& text) { return text.starts_with("#Quillbox part 2/"); });
    SetClipboardText(first);
    HoldProcess(receiver.ProcessId(), false);
    ASSERT_TRUE(second);

    const HWND sending = FormWindowOf(sender);
    ASSERT_NE(sending, nullptr);
    EXPECT_TRUE(SavedAs(receiver, dir / L"relayed.bin", dir / L"relay.bin", 60'000));
    namespace parts = windows::parts_window;
    const auto control = [&](parts::Id id) { return GetDlgItem(sending, windows::CommandOf(parts::kDesign, id)); };
    EXPECT_EQ(WindowText(control(parts::Id::state)), L"对方已收到全部 51 段，文件已核对无误，可以关闭了。");
    EXPECT_FALSE(IsWindowEnabled(control(parts::Id::againButton))) << "nothing more is asked for";
    EXPECT_FALSE(IsWindowEnabled(control(parts::Id::nextButton)));
    PostMessageW(sending, WM_CLOSE, 0, 0);
    EXPECT_EQ(sender.WaitForExit(5000), 0u) << "every part arrived";
    PostMessageW(start, WM_CLOSE, 0, 0);
}

// Every way a restore can stop early leaves nothing: Cancel in the check; in the decoding the end
// of the Windows session (Wine's wineboot would end the whole prefix, so its two messages are
// sent), a killed process, and closing the options window.
TEST_F(EndToEnd, ASlowRestoreShowsItsProgressAndStopsLeavingNothingBehind) {
    const std::wstring slow = PreparedDir("QB_SLOW_DIR"), source = PreparedDir("QB_SLOW_SOURCE");
    if (slow.empty()) GTEST_SKIP() << "no slow disk (the Wine session mounts one as root)";
    WriteFileBytes(dir / L"x.bin", RandomBytes(15'000'000, 23));
    ASSERT_EQ(RunAndConfirm(Quoted(dir / L"x.bin")).exitCode, 0u);
    CreateDirectoryW((source + L"\\3").c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((dir / L"x.bin.uue").c_str(), (source + L"\\3\\x.uue").c_str(), FALSE));
    CreateDirectoryW((dir / L"out").c_str(), nullptr);
    namespace options = windows::options_window;
    enum class Stop { kCancel, kSessionEnd, kKill, kClose };
    for (const Stop stop : {Stop::kCancel, Stop::kSessionEnd, Stop::kKill, Stop::kClose}) {
        RunningQuillbox run(L"");
        const HWND main = OptionsWindowOf(run);
        ASSERT_NE(main, nullptr);
        PostMessageW(main, WM_COMMAND, windows::CommandOf(options::kDesign, options::Id::menuRestoreFile), 0);
        const auto open = run.WaitForBox();
        ASSERT_TRUE(open);
        EXPECT_EQ(open->caption, L"选择UUE文件");
        ASSERT_TRUE(ChooseInFileDialog(open->hwnd, slow + L"\\3\\x.uue"));
        if (stop != Stop::kCancel) {
            const auto save = run.WaitForBox(30000);
            ASSERT_TRUE(save && save->caption == L"保存还原的文件");
            ASSERT_TRUE(ChooseInFileDialog(save->hwnd, dir / L"out\\x.bin"));
        }
        const auto window = run.WaitForBox(8000, true);
        ASSERT_TRUE(window) << "a pass past 2 s shows its progress: " << static_cast<int>(stop);
        const std::wstring heading = stop != Stop::kCancel ? L"正在还原 x.bin" : L"正在检查UUE文本";
        EXPECT_EQ(window->text.rfind(heading + L"\n已完成 ", 0), 0u) << window->text;
        if (stop != Stop::kCancel) {
            EXPECT_EQ(ListDir(dir / L"out").size(), 1u) << "its temporary file";
        }
        switch (stop) {
        case Stop::kCancel:
            run.Press(*window, window->buttons.at(0).id);
            EXPECT_EQ(run.WaitForBox(1500), std::nullopt) << "a stopped restore shows nothing";
            break;
        case Stop::kSessionEnd:
            EXPECT_TRUE(SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP));
            SendMessageW(main, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
            EXPECT_EQ(ListDir(dir / L"out").size(), 0u) << "gone before the message returned";
            break;
        case Stop::kKill: {
            const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, run.ProcessId());
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
            break;
        }
        case Stop::kClose:
            PostMessageW(main, WM_CLOSE, 0, 0);
            EXPECT_EQ(run.WaitForExit(5000), 0u) << "the close stopped the restore, then closed the window";
            break;
        }
        EXPECT_EQ(ListDir(dir / L"out").size(), 0u) << "no file and no temporary file: " << static_cast<int>(stop);
    }
}

// Run by the wine.clipboard_locale entry alone, under a wineserver whose user locale (0x0409)
// differs from the system's (0x0804): Wine stamps a clipboard text without a locale with the
// user's, and a Unicode program then reads the Chinese as mojibake.
TEST(ClipboardLocale, AUnicodeProgramReadsTheChineseNameAndTrailerRight) {
    if (GetUserDefaultLCID() == GetSystemDefaultLCID())
        GTEST_SKIP() << "needs a user locale other than the system's (wine.clipboard_locale)";
    ASSERT_EQ(GetACP(), 936u);
    ScratchDir dir;
    const std::wstring file = dir / L"区域 文件.bin";
    WriteFileBytes(file, {'a', 'b', 'c'});
    const auto out = RunAndConfirm(Quoted(file));
    ASSERT_EQ(out.exitCode, 0u);
    for (int i = 0; i < 50 && !OpenClipboard(nullptr); ++i) Sleep(20);
    const auto* locale = static_cast<const LCID*>(GlobalLock(GetClipboardData(CF_LOCALE)));
    const auto* wide = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
    const LCID stamped = locale ? *locale : 0;
    const std::wstring text = wide ? wide : L"";
    CloseClipboard();
    EXPECT_EQ(stamped, 0x0804u);
    EXPECT_EQ(text.substr(0, 21), L"begin 644 区域 文件.bin\r\n");
    EXPECT_TRUE(text.ends_with(L"官方网站：http://quillbox.example.com/")) << "the trailer";
}

}  // namespace
}  // namespace qb::testing
