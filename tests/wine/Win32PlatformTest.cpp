// The Win32 layer over the real system: files, clipboard and code page as Windows provides them.
#include <gtest/gtest.h>

#include <cstring>

#include <functional>
#include <new>
#include <system_error>
#include <thread>

#include "app/MainModule.h"
#include "product/ExitCodes.h"
#include "encode/EncodeJob.h"
#include "platform/Error.h"
#include "platform/Failure.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Win32Platform.h"
#include "TestPlatform.h"
#include "WinFiles.h"

namespace qb::platform::win32 {
namespace {

using qb::testing::ScratchDir;

TEST(Win32Files, LengthsAreSixtyFourBitAndOnlyForFiles) {
    ScratchDir dir;
    Win32Files files;
    const std::wstring big = dir / L"sparse.bin";
    HANDLE f = CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    LARGE_INTEGER at;
    at.QuadPart = (LONGLONG{1} << 32) + 3;
    ASSERT_TRUE(SetFilePointerEx(f, at, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(f));
    CloseHandle(f);
    EXPECT_EQ(files.OpenInput(big)->Size(), (std::uint64_t{1} << 32) + 3);
    EXPECT_EQ(files.OpenInput(dir.path()), nullptr);
    EXPECT_EQ(files.OpenInput(dir / L"*.bin"), nullptr);
    EXPECT_EQ(files.OpenInput(dir / L"nothing"), nullptr);

    // A file of 4 GiB + 3 bytes must not wrap to 3 bytes and be encoded truncated.
    qb::testing::Win32System sys;
    sys.ui.answers = {IDYES};
    auto p = sys.Get();
    EXPECT_EQ(encode::RunEncodeJob(big, p).exitCode, product::kTooLarge);
    ASSERT_EQ(sys.ui.shown.size(), 2u);
    EXPECT_NE(sys.ui.shown[1].text.find(L"766,958,445"), std::wstring::npos);
    EXPECT_FALSE(qb::testing::Exists(big + L".uue"));
}

TEST(Win32Files, AnInputIsSharedWithWritersAndReadsAsItWasAtTheOpen) {
    ScratchDir dir;
    Win32Files files;
    const std::wstring path = dir / L"log.txt";
    qb::testing::WriteFileBytes(path, std::vector<std::uint8_t>(10, 7));
    const auto grown = files.OpenInput(path);
    // A writer that shares only reading, as a logger does, still lets us in, and we it.
    HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE) << GetLastError();
    const auto cut = files.OpenInput(path);
    ASSERT_NE(cut, nullptr) << "a file open for writing elsewhere can be encoded";
    SetFilePointer(writer, 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(writer, "more", 4, &written, nullptr);
    std::vector<std::uint8_t> bytes(10);
    grown->Read(bytes);
    EXPECT_EQ(grown->Size(), 10u) << "the size is the one taken at the open";
    EXPECT_EQ(bytes, std::vector<std::uint8_t>(10, 7));

    SetFilePointer(writer, 5, nullptr, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(writer)) << "nothing is mapped, so the file can be cut short";
    CloseHandle(writer);
    try {
        cut->Read(bytes);
        ADD_FAILURE() << "a short read must fail, never give a partial result";
    } catch (const Error& e) {
        EXPECT_EQ(e.Code(), static_cast<std::uint32_t>(ERROR_HANDLE_EOF));
        EXPECT_EQ(e.Message(), L"文件在读取时变短了，请重试。");
    }
}

TEST(Win32Files, FindFileNameGivesTheStoredNameWithoutTheFolder) {
    ScratchDir dir;
    Win32Files files;
    qb::testing::WriteFileBytes(dir / L"MiXeD 名字.txt", {1});
    EXPECT_EQ(files.FindFileName(dir / L"mixed 名字.TXT"), L"MiXeD 名字.txt");
    EXPECT_EQ(files.FindFileName(dir / L"absent.txt"), L"");
}

// The side file is a set of one file that replaces.
std::unique_ptr<FileSetWriter> SideFile(Win32Files& files, const std::wstring& path) {
    const auto [folder, name] = SplitPath(path);
    auto writer = files.WriteFiles(std::wstring(folder), Placement::kReplaceOne);
    writer->NextFile(std::wstring(name));
    return writer;
}

TEST(Win32Files, ASideFileAppearsOnlyWhenCommittedWhole) {
    ScratchDir dir;
    Win32Files files;
    const std::wstring path = dir / L"out.uue";
    qb::testing::WriteFileBytes(path, {'o', 'l', 'd'});
    {
        auto writer = SideFile(files, path);
        writer->Append(std::span<const char>(std::string_view("fre")));
        EXPECT_EQ(qb::testing::ReadFileBytes(path), "old") << "nothing visible before Commit";
    }
    EXPECT_EQ(qb::testing::ReadFileBytes(path), "old") << "a dropped writer changes nothing";
    EXPECT_EQ(qb::testing::ListDir(dir.path()).size(), 1u) << "and leaves no temporary file";
    auto writer = SideFile(files, path);
    writer->Append(std::span<const char>(std::string_view("fre")));
    writer->Append(std::span<const char>(std::string_view("sh")));
    writer->Commit();
    EXPECT_EQ(qb::testing::ReadFileBytes(path), "fresh");
    EXPECT_EQ(qb::testing::ListDir(dir.path()).size(), 1u);

    EXPECT_THROW(SideFile(files, dir / L"no such folder\\x.uue"), Error);
}

TEST(Win32Files, AScratchFileReadsBackWhatWasAppendedAnywhereAndGoesWhenDropped) {
    Win32Files files;
    wchar_t temp[MAX_PATH + 1];
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temp), 0u);
    const auto before = qb::testing::ListDir(temp);
    {
        auto scratch = files.Scratch();
        EXPECT_EQ(qb::testing::ListDir(temp).size(), before.size() + 1);
        for (const std::string_view piece : {"abc", "", "defgh"}) scratch->Append(piece.data(), piece.size());
        EXPECT_EQ(scratch->Size(), 8u);
        std::vector<std::uint8_t> out(4);
        scratch->ReadAt(2, out);
        EXPECT_EQ(std::string(out.begin(), out.end()), "cdef") << "across two appends";
        EXPECT_THROW(scratch->ReadAt(6, out), Error) << "past the end";
    }
    EXPECT_EQ(qb::testing::ListDir(temp), before);
}

// The one setting, per user: a value out of range reads as none, and removing it takes the key
// along only when nothing else is in it.
TEST(Win32Settings, ThePartLimitIsStoredReadBackAndRemovedWithItsEmptyKey) {
    Win32Settings settings;
    const auto keyExists = [] {
        HKEY key = nullptr;
        const bool exists = RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Quillbox", 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (exists) RegCloseKey(key);
        return exists;
    };
    settings.SetPartChars(0);
    EXPECT_EQ(settings.PartChars(), 0u);
    settings.SetPartChars(4000);
    EXPECT_EQ(settings.PartChars(), 4000u);
    settings.SetPartChars(0);
    EXPECT_EQ(settings.PartChars(), 0u);
    EXPECT_FALSE(keyExists()) << "an empty key is Quillbox's to remove";
    const DWORD tooSmall = 999;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Quillbox", L"PartChars", REG_DWORD, &tooSmall, 4), ERROR_SUCCESS);
    EXPECT_EQ(settings.PartChars(), 0u) << "out of range: not cut";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Quillbox", L"Other", REG_SZ, L"x", 4), ERROR_SUCCESS);
    settings.SetPartChars(0);
    EXPECT_TRUE(keyExists()) << "a key that holds something else stays";
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Quillbox");
}

// A .uue being restored is kept from writers between the check and the decoding, and one that
// another program holds open to write is refused as the encoding road refuses a locked file.
TEST(Win32Files, AFileReadWithoutWritersIsLockedBothWays) {
    ScratchDir dir;
    Win32Files files;
    const std::wstring path = dir / L"in.uue";
    qb::testing::WriteFileBytes(path, {'b'});
    const auto openToWrite = [&] {
        return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    };
    {
        const auto reading = files.OpenInput(path, Sharing::kKeepWritersOut);
        ASSERT_NE(reading, nullptr);
        EXPECT_EQ(openToWrite(), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_NE(files.OpenInput(path), nullptr) << "readers are welcome";
    }
    const HANDLE writer = openToWrite();
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    try {
        files.OpenInput(path, Sharing::kKeepWritersOut);
        ADD_FAILURE() << "a file open for writing was taken to restore from";
    } catch (const Error& e) {
        EXPECT_EQ(e.Code(), static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
    }
    CloseHandle(writer);
    EXPECT_TRUE(RestrictDllSearch()) << "the system has SetDefaultDllDirectories, and took it";
}

TEST(Win32Files, AnOlderSideFileIsReplacedOnlyAsWindowsWouldReplaceIt) {
    ScratchDir dir;
    Win32Files files;
    const std::wstring path = dir / L"out.uue";
    auto commit = [&](std::string_view text) {
        auto writer = SideFile(files, path);
        writer->Append(std::span<const char>(text));
        writer->Commit();
    };
    for (const auto* text : {"first", "second"}) {
        commit(text);
        EXPECT_EQ(qb::testing::ReadFileBytes(path), text);
    }
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    commit("third");
    EXPECT_EQ(qb::testing::ReadFileBytes(path), "third");
    EXPECT_EQ(qb::testing::ListDir(dir.path()).size(), 1u) << "nothing moved aside stays behind";
    // Windows refuses to replace a read-only file, and Wine must refuse it the same way.
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    try {
        commit("fourth");
        ADD_FAILURE() << "a read-only older side file was replaced";
    } catch (const Error& e) {
        EXPECT_EQ(e.Code(), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(qb::testing::ReadFileBytes(path), "third");
    EXPECT_EQ(qb::testing::ListDir(dir.path()).size(), 1u) << "nothing is left lying about";
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    try {
        SideFile(files, dir / L"no such folder\\x.uue");
        ADD_FAILURE() << "a side file in a missing folder";
    } catch (const Error& e) {
        EXPECT_EQ(e.Code(), static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND)) << "the real cause";
    }
}

// A COM or CNG code in decimal means nothing to anyone who looks it up. Wine has few NTSTATUS
// texts, so the fallback is what this mostly sees there.
TEST(Win32Errors, EachKindOfCodeIsWordedAsWindowsToolsWriteIt) {
    const struct {
        std::uint32_t code;
        ErrorKind kind;
        std::wstring_view shown;
    } cases[] = {{5, ErrorKind::kWin32, L"（错误代码 5）"},
                 {0x80040154, ErrorKind::kHResult, L"（错误代码 0x80040154）"},
                 {0xC0000428, ErrorKind::kNtStatus, L"（错误代码 0xC0000428）"},
                 {0x3002, ErrorKind::kCommonDialog, L"（错误代码 0x3002）"}};
    for (const auto& c : cases) {
        try {
            ThrowError(L"op", c.code, c.kind);
        } catch (const Error& e) {
            const std::wstring report = FailureReport(L"无法还原文件", e);
            EXPECT_TRUE(report.ends_with(c.shown)) << report;
            EXPECT_FALSE(e.Message().empty() || e.Message().ends_with(L"\n")) << report;
        }
    }
}

TEST(Win32Text, HeaderNamesHoldOnlyTheirOwnCharactersOrOneUnderscoreEach) {
    ASSERT_EQ(GetACP(), 936u);
    // The edges of code page 936: the last lead byte, the highest code point it maps, the euro.
    wchar_t last = 0;
    ASSERT_EQ(MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, "\xFE\x4F", 2, &last, 1), 1);
    EXPECT_EQ(NameToAnsi(std::wstring(1, last) + L"\xFFE5\x20AC.bin"), "\xFE\x4F\xA3\xA4\x80.bin");
    // What it lacks: a surrogate pair is one character, a lone surrogate one too, and a yen sign
    // gets no best-fit look-alike.
    EXPECT_EQ(NameToAnsi(L"\xD83D\xDE00\xD83D|\x00A5|한.txt"), "__|_|_.txt");
    EXPECT_EQ(ToAnsiExactly(L"C:\\工具 箱\\Quillbox.exe"), "C:\\\xB9\xA4\xBE\xDF \xCF\xE4\\Quillbox.exe");
    EXPECT_EQ(ToAnsiExactly(L"C:\\한\\Quillbox.exe"), std::nullopt);
    EXPECT_EQ(ToAnsiExactly(L"C:\\\xD83D\xDE00"), std::nullopt);
}

// Another program holding the clipboard must not hold off the user's stop, nor a stop that comes
// after the clipboard opened keep the text from it.
TEST(Win32Clipboard, AStopWhileAnotherProgramHoldsItCountsAndTextArrivesAsAnsiReadBackAsUnicode) {
    ASSERT_EQ(GetACP(), 936u);
    const std::string ansi = ToAnsi(L"官方网站：abc");
    EXPECT_EQ(ansi, "\xB9\xD9\xB7\xBD\xCD\xF8\xD5\xBE\xA3\xBA" "abc");
    Win32Clipboard clipboard;
    auto target = clipboard.Text(ansi.size());
    std::memcpy(target->Bytes().data(), ansi.data(), ansi.size());
    {
        HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr), release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::thread holder([&] {
            const HWND w = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
            if (OpenClipboard(w)) {
                SetEvent(held);
                WaitForSingleObject(release, 5000);
                CloseClipboard();
            }
            DestroyWindow(w);
        });
        ASSERT_EQ(WaitForSingleObject(held, 5000), WAIT_OBJECT_0);
        int asked = 0;
        EXPECT_FALSE(target->Open([&] { return ++asked == 4; })) << "the stop came while it was busy";
        EXPECT_EQ(asked, 4);
        SetEvent(release);
        holder.join();
        CloseHandle(held);
        CloseHandle(release);
    }
    ASSERT_TRUE(target->Open([] { return false; }));
    target->Commit();
    ASSERT_TRUE(OpenClipboard(nullptr));
    const auto* text = static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT)));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text), ansi);
    const auto* wide = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(std::wstring(wide), L"官方网站：abc");
    const auto* locale = static_cast<const LCID*>(GlobalLock(GetClipboardData(CF_LOCALE)));
    ASSERT_NE(locale, nullptr);
    EXPECT_EQ(*locale, GetSystemDefaultLCID()) << "the locale whose code page the text is in";
    CloseClipboard();
}

TEST(CatchAll, WhateverEitherRoadThrowsEndsInOneReportAndAnExitCode) {
    struct Throwing : Files {
        std::function<void()> fault;
        std::unique_ptr<InputFile> OpenInput(const std::wstring&, Sharing) override {
            fault();
            return nullptr;
        }
        std::wstring FullPath(const std::wstring& path) override { return path; }
        std::wstring FindFileName(const std::wstring&) override { return {}; }
        std::unique_ptr<FileSetWriter> WriteFiles(const std::wstring&, Placement,
                                                  const Origin&) override {
            return nullptr;
        }
        std::unique_ptr<ScratchFile> Scratch() override { return nullptr; }
    };
    struct Case {
        std::function<void()> fault;
        std::wstring report;
        int code;
    };
    const Case cases[] = {
        {[] { throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again)); },
         L"程序内部出错，已停止：", product::kInternalError},
        {[] { throw std::bad_alloc(); }, L"内存不足，无法读入并编码整个文件。", product::kOutOfMemory},
        {[] { throw 42; }, L"程序内部出错，已停止：未知错误", product::kInternalError},
    };
    for (const auto& c : cases) {
        qb::testing::Win32System sys;
        Throwing files;
        files.fault = c.fault;
        auto p = sys.Get({.files = &files});
        EXPECT_EQ(app::Main(L"Quillbox.exe C:\\a.bin", p), c.code);
        ASSERT_EQ(sys.ui.shown.size(), 1u);
        EXPECT_EQ(sys.ui.shown[0].text.rfind(c.report, 0), 0u) << sys.ui.shown[0].text;
        EXPECT_EQ(sys.ui.shown[0].style, style::kError);

        // The set-up road says what it could not do, in the user's words.
        sys.ui.shown.clear();
        sys.launcher.fail = true;
        EXPECT_EQ(app::Main(L"Quillbox.exe", p), product::kSetupFailed);
        EXPECT_EQ(sys.ui.Texts(), std::vector<std::wstring>{L"无法打开主页：系统找不到指定的文件。（错误代码 2）"});
    }
}

}  // namespace
}  // namespace qb::platform::win32
