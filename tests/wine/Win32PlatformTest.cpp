// The Win32 layer over the real system: files, clipboard and code page as Windows provides them.
#include <gtest/gtest.h>

#include <cstring>

#include "product/ExitCodes.h"
#include "pipeline/EncodeJob.h"
#include "platform/Error.h"
#include "platform/win32/Win32Platform.h"
#include "Recorders.h"
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
    EXPECT_EQ(files.FileLength(big), (std::uint64_t{1} << 32) + 3);
    EXPECT_EQ(files.FileLength(dir.path()), std::nullopt);
    EXPECT_EQ(files.FileLength(dir / L"*.bin"), std::nullopt);
    EXPECT_EQ(files.FileLength(dir / L"nothing"), std::nullopt);

    // A file of 4 GiB + 3 bytes must not wrap to 3 bytes and be encoded truncated.
    qb::testing::FakeUi ui;
    ui.answers = {IDYES};
    Win32Clipboard clipboard;
    Win32Launcher launcher;
    Win32Registry registry;
    Win32Process process;
    Platform p{ui, files, clipboard, launcher, registry, process};
    EXPECT_EQ(pipeline::RunEncodeJob(big, p), product::kTooLarge);
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_NE(ui.shown[1].text.find(L"766,958,445"), std::wstring::npos);
    EXPECT_FALSE(qb::testing::Exists(big + L".uue"));
}

TEST(Win32Files, MappingDemandsExactlyTheExpectedLength) {
    ScratchDir dir;
    Win32Files files;
    const std::wstring path = dir / L"ten.bin";
    qb::testing::WriteFileBytes(path, std::vector<std::uint8_t>(10, 7));
    {
        const auto view = files.MapWhole(path, 10);
        EXPECT_EQ(std::vector<std::uint8_t>(view->Bytes().begin(), view->Bytes().end()),
                  std::vector<std::uint8_t>(10, 7));
        HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        SetFilePointer(f, 5, nullptr, FILE_BEGIN);
        EXPECT_FALSE(SetEndOfFile(f)) << "nobody may cut the file short while it is being encoded";
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_USER_MAPPED_FILE));
        CloseHandle(f);
    }
    EXPECT_THROW(files.MapWhole(path, 11), Error) << "the file shrank after its length was read";
    EXPECT_THROW(files.MapWhole(path, 9), Error) << "the file grew after its length was read";
    try {
        files.MapWhole(dir / L"gone.bin", 1);
        ADD_FAILURE() << "mapping a missing file must fail";
    } catch (const Error& e) {
        EXPECT_EQ(e.Operation(), L"CreateFile");
        EXPECT_EQ(e.Code(), static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
        EXPECT_FALSE(e.Message().empty()) << "the system's own words come along";
    }
}

TEST(Win32Files, FindFileNameGivesTheStoredNameWithoutTheFolder) {
    ScratchDir dir;
    Win32Files files;
    qb::testing::WriteFileBytes(dir / L"MiXeD 名字.txt", {1});
    EXPECT_EQ(files.FindFileName(dir / L"mixed 名字.TXT"), L"MiXeD 名字.txt");
    EXPECT_EQ(files.FindFileName(dir / L"absent.txt"), L"");
}

TEST(Win32Files, ASideFileAppearsOnlyWhenCommittedWhole) {
    ScratchDir dir;
    Win32Files files;
    const std::wstring path = dir / L"out.uue";
    qb::testing::WriteFileBytes(path, {'o', 'l', 'd'});
    {
        auto writer = files.SideFile(path);
        writer->Append(std::string_view("fre"));
        EXPECT_EQ(qb::testing::ReadFileBytes(path), "old") << "nothing visible before Commit";
    }
    EXPECT_EQ(qb::testing::ReadFileBytes(path), "old") << "a dropped writer changes nothing";
    EXPECT_EQ(qb::testing::ListDir(dir.path()).size(), 1u) << "and leaves no temporary file";
    auto writer = files.SideFile(path);
    writer->Append(std::string_view("fre"));
    writer->Append(std::string_view("sh"));
    writer->Commit();
    EXPECT_EQ(qb::testing::ReadFileBytes(path), "fresh");
    EXPECT_EQ(qb::testing::ListDir(dir.path()).size(), 1u);

    EXPECT_THROW(files.SideFile(dir / L"no such folder\\x.uue"), Error);
}

TEST(Win32Files, AnOlderSideFileIsReplacedOnlyAsWindowsWouldReplaceIt) {
    ScratchDir dir;
    Win32Files files;
    const std::wstring path = dir / L"out.uue";
    auto commit = [&](std::string_view text) {
        auto writer = files.SideFile(path);
        writer->Append(text);
        writer->Commit();
    };
    // A plain older file gives way, and the new text is the only file left.
    for (const auto* text : {"first", "second", "third"}) {
        commit(text);
        EXPECT_EQ(qb::testing::ReadFileBytes(path), text);
        EXPECT_EQ(qb::testing::ListDir(dir.path()).size(), 1u) << "nothing moved aside stays behind";
    }
    // A hidden one is replaced in one rename, the way Windows itself does it.
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    commit("fourth");
    EXPECT_EQ(qb::testing::ReadFileBytes(path), "fourth");
    EXPECT_EQ(qb::testing::ListDir(dir.path()).size(), 1u);
    // A read-only one is left to the system's own rename over it: Windows refuses it, Wine
    // allows it. Either way it is all or nothing.
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    bool refused = false;
    try {
        commit("fifth");
    } catch (const Error&) {
        refused = true;
    }
    EXPECT_EQ(qb::testing::ReadFileBytes(path), refused ? "fourth" : "fifth");
    EXPECT_EQ(qb::testing::ListDir(dir.path()).size(), 1u) << "nothing is left lying about";
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Win32Clipboard, TextArrivesAsAnsiAndReadsBackAsUnicode) {
    ASSERT_EQ(GetACP(), 936u);
    const std::string ansi = ToAnsi(L"官方网站：abc");
    EXPECT_EQ(ansi, "\xB9\xD9\xB7\xBD\xCD\xF8\xD5\xBE\xA3\xBA" "abc");
    Win32Clipboard clipboard;
    auto target = clipboard.Text(ansi.size());
    std::memcpy(target->Bytes().data(), ansi.data(), ansi.size());
    target->Commit();
    ASSERT_TRUE(OpenClipboard(nullptr));
    const auto* text = static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT)));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text), ansi);
    const auto* wide = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(std::wstring(wide), L"官方网站：abc");
    CloseClipboard();
}

}  // namespace
}  // namespace qb::platform::win32
