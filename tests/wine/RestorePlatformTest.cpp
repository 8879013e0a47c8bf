// The restore road's Win32 operations over the real system: the clipboard as other programs
// leave it, CNG's SHA-256, restored files moved into real folders and onto a full disk.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "platform/FileNames.h"
#include "platform/win32/Win32Platform.h"
#include "WinFiles.h"

namespace qb::platform::win32 {
namespace {

using qb::testing::ListDir;
using qb::testing::ReadFileBytes;
using qb::testing::ScratchDir;

// Puts each format with its bytes on the clipboard, as another program would.
void PutOnClipboard(std::initializer_list<std::pair<UINT, std::string>> formats) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                 nullptr);
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    for (const auto& [format, bytes] : formats) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
        GlobalUnlock(memory);
        EXPECT_TRUE(SetClipboardData(format, memory));
    }
    CloseClipboard();
    DestroyWindow(owner);
}

std::string Utf16Bytes(std::wstring_view text) {
    return {reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)};
}

TEST(Win32Clipboard, TextEndsAtItsFirstZeroAndFilesAreToldFromNothing) {
    Win32Clipboard clipboard;
    std::wstring text;
    const auto read = [&] {
        text = L"<none>";
        return clipboard.ReadText([&](std::u16string_view t) { text.assign(t.begin(), t.end()); });
    };
    PutOnClipboard({{CF_UNICODETEXT, Utf16Bytes(std::wstring(L"begin 644 未\0cd", 14))}});
    EXPECT_EQ(read(), ClipboardContent::kText);
    EXPECT_EQ(text, L"begin 644 未") << "the text ends at its first zero";

    // Text in code page 936 with its locale, as older programs leave it.
    PutOnClipboard({{CF_TEXT, std::string("\xC4\xE3\xBA\xC3 abc", 9)},
                    {CF_LOCALE, std::string("\x04\x08\0\0", 4)}});
    read();
    EXPECT_EQ(text, L"你好 abc");

    // Files copied in Explorer carry no text; the restore says so rather than "no text".
    std::string drop(sizeof(DROPFILES), '\0');
    auto* header = reinterpret_cast<DROPFILES*>(drop.data());
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    drop += Utf16Bytes(std::wstring(L"C:\\a.uue\0\0", 10));
    PutOnClipboard({{CF_HDROP, drop}});
    EXPECT_EQ(read(), ClipboardContent::kFiles);

    PutOnClipboard({{CF_UNICODETEXT, Utf16Bytes(std::wstring(L"\0", 1))}});
    EXPECT_EQ(read(), ClipboardContent::kNone) << "an empty text is no text";
    PutOnClipboard({});
    EXPECT_EQ(read(), ClipboardContent::kNone);
    EXPECT_EQ(text, L"<none>");
}

std::string Hex(const Sha256Digest& digest) {
    std::string hex;
    for (const auto byte : digest) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", byte);
        hex += two;
    }
    return hex;
}

TEST(Win32Sha256, PiecesOfAnySizeGiveTheDigestOfTheWhole) {
    Win32Hashing files;
    auto abc = files.NewSha256();
    abc->Update(std::vector<std::uint8_t>{'a', 'b', 'c'});
    // FIPS 180-2's example for one block.
    EXPECT_EQ(Hex(abc->Finish()),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

    // FIPS 180-2's million "a", in pieces across and along the 64-byte blocks.
    const std::vector<std::uint8_t> bytes(1'000'000, 'a');
    auto hash = files.NewSha256();
    std::span<const std::uint8_t> rest(bytes);
    for (const std::size_t piece : {1u, 63u, 64u, 65u, 0u, 4097u, 1u << 19}) {
        hash->Update(rest.first(piece));
        rest = rest.subspan(piece);
    }
    hash->Update(rest);
    EXPECT_EQ(Hex(hash->Finish()),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

std::vector<std::wstring> Restore(Files& files, const std::wstring& folder,
                                  Placement placement,
                                  std::initializer_list<std::pair<std::wstring, std::string>> named,
                                  const Origin& origin = {}) {
    auto writer = files.WriteFiles(folder, placement, origin);
    for (const auto& [name, bytes] : named) {
        writer->NextFile(name);
        const std::vector<std::uint8_t> all(bytes.begin(), bytes.end());
        writer->Append(std::span(all).first(all.size() / 2));
        writer->Append(std::span(all).subspan(all.size() / 2));
    }
    return writer->Commit();
}

TEST(Win32FileSets, TakenNamesAreNumberedAndOnlyTheNamedFileReplaces) {
    ScratchDir dir;
    Win32Files files;
    qb::testing::WriteFileBytes(dir / L"readme.txt", {'o', 'l', 'd'});
    const auto placed = Restore(files, dir.path(), Placement::kNumbered,
                                {{L"Readme.txt", "one"}, {L"README.TXT", "two"}, {L"notes", "three"},
                                 {L"notes", "four"}});
    EXPECT_EQ(placed, (std::vector<std::wstring>{dir / L"Readme (2).txt", dir / L"README (3).TXT",
                                                 dir / L"notes", dir / L"notes (2)"}));
    EXPECT_EQ(ReadFileBytes(dir / L"readme.txt"), "old");
    EXPECT_EQ(ReadFileBytes(dir / L"README (3).TXT"), "two");
    EXPECT_EQ(ReadFileBytes(dir / L"notes (2)"), "four");
    EXPECT_EQ(ListDir(dir.path()).size(), 5u) << "no temporary file is left";

    EXPECT_EQ(Restore(files, dir.path(), Placement::kReplaceOne, {{L"readme.txt", "new"}}),
              std::vector<std::wstring>{dir / L"readme.txt"});
    EXPECT_EQ(ReadFileBytes(dir / L"readme.txt"), "new");
    EXPECT_EQ(ListDir(dir.path()).size(), 5u);

    // A name that is another file's short name is taken (Wine hashes short names: ask for it).
    qb::testing::WriteFileBytes(dir / L"Quarterly report final.txt", {'q'});
    wchar_t alias[MAX_PATH];
    ASSERT_GT(GetShortPathNameW((dir / L"Quarterly report final.txt").c_str(), alias, MAX_PATH), 0u);
    const std::wstring shortName(SplitPath(alias).name);
    EXPECT_EQ(files.FindFileName(dir / shortName), L"Quarterly report final.txt") << shortName;
    const auto numbered = Restore(files, dir.path(), Placement::kNumbered, {{shortName, "s"}});
    EXPECT_EQ(numbered, std::vector<std::wstring>{dir / NumberedName(shortName, 2)});
    EXPECT_EQ(ReadFileBytes(dir / L"Quarterly report final.txt"), "q");

    // Named in Save As where there was no file: one that appeared since is never replaced, and
    // the failure names it.
    auto writer = files.WriteFiles(dir.path(), Placement::kNewOne);
    writer->NextFile(L"late.bin");
    writer->Append(std::span<const char>(std::string_view("mine")));
    qb::testing::WriteFileBytes(dir / L"late.bin", {'t'});
    try {
        writer->Commit();
        ADD_FAILURE() << "a file that appeared was replaced";
    } catch (const Error& e) {
        EXPECT_TRUE(e.Code() == kFileExists || e.Code() == kAlreadyExists) << e.Code();
        EXPECT_EQ(e.Path(), dir / L"late.bin");
    }
    EXPECT_EQ(ReadFileBytes(dir / L"late.bin"), "t");
    EXPECT_EQ(ListDir(dir.path()).size(), 8u) << "no temporary file is left";
}

// A crash or a killed process leaves no temporary file: this program, started again to write one
// and end itself midway, is the crash.
TEST(Win32FileSets, DISABLED_WritesAndDies) {
    Win32Files files;
    const char* folder = std::getenv("QB_DIE_IN");
    auto writer = files.WriteFiles(std::wstring(folder, folder + std::strlen(folder)), Placement::kNumbered);
    writer->NextFile(L"half.bin");
    writer->Append(std::span<const char>(std::string_view("half")));
    TerminateProcess(GetCurrentProcess(), 3);
}

TEST(Win32FileSets, AProcessThatDiesMidwayLeavesNoTemporaryFile) {
    ScratchDir dir;
    const std::string folder(dir.path().begin(), dir.path().end());  // ASCII: the scratch folder
    SetEnvironmentVariableA("QB_DIE_IN", folder.c_str());
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) +
        L"\" --gtest_also_run_disabled_tests --gtest_filter=Win32FileSets.DISABLED_WritesAndDies";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    WaitForSingleObject(pi.hProcess, 20000);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(code, 3u) << "it ended itself while writing";
    EXPECT_EQ(ListDir(dir.path()), std::vector<std::wstring>{});
}

TEST(Win32FileSets, AFailedMoveTakesBackTheFilesMovedBeforeIt) {
    ScratchDir dir;
    Win32Files files;
    // Written fine under its temporary name, refused under its own: longer than a file system
    // takes.
    try {
        Restore(files, dir.path(), Placement::kNumbered,
                {{L"first.bin", "1"}, {std::wstring(300, L'x'), "2"}});
        ADD_FAILURE() << "a name too long was taken";
    } catch (const Error& e) {
        EXPECT_EQ(e.Operation(), L"MoveFileEx");
    }
    EXPECT_EQ(ListDir(dir.path()), std::vector<std::wstring>{});
}

TEST(Win32FileSets, AFullDiskLeavesNothingBehindAndTheOlderFileAsItWas) {
    const char* prepared = std::getenv("QB_FULL_DIR");
    if (!prepared) GTEST_SKIP() << "QB_FULL_DIR not prepared (the Wine session does this as root)";
    const std::wstring full(prepared, prepared + std::strlen(prepared));
    Win32Files files;
    auto writer = files.WriteFiles(full, Placement::kReplaceOne);
    writer->NextFile(L"in.bin.uue");
    const std::vector<std::uint8_t> piece(1 << 20, 'x');
    try {
        for (int i = 0; i < 32; ++i) writer->Append(piece);
        ADD_FAILURE() << "32 MiB fitted on a disk of 20";
    } catch (const Error& e) {
        EXPECT_EQ(e.Code(), static_cast<std::uint32_t>(ERROR_DISK_FULL));
    }
    // At once, not when the writer goes: the disk may be needed meanwhile.
    EXPECT_EQ(ListDir(full).size(), 2u) << "the temporary file is gone";
    EXPECT_EQ(ReadFileBytes(full + L"\\in.bin.uue"), "old");
}

TEST(Win32FileSets, ADownloadsMarkGoesToEveryRestoredFileAndTextFromElsewhereIsMarkedAsOne) {
    ScratchDir dir;
    Win32Files files;
    const std::string mark = "[ZoneTransfer]\r\nZoneId=3\r\n";
    ASSERT_TRUE(qb::testing::WriteWhole(dir / L"in.uue:Zone.Identifier", mark.data(), mark.size()));
    for (const auto& path : Restore(files, dir.path(), Placement::kNumbered,
                                    {{L"a.bin", "a"}, {L"b.bin", "b"}}, {dir / L"in.uue", false, {}}))
        EXPECT_EQ(ReadFileBytes(path + L":Zone.Identifier"), mark);
    const auto plain = Restore(files, dir.path(), Placement::kNumbered, {{L"c.bin", "c"}});
    EXPECT_EQ(ReadFileBytes(plain[0] + L":Zone.Identifier"), "<missing>");
    const auto pasted = Restore(files, dir.path(), Placement::kNumbered, {{L"d.bin", "d"}},
                                {{}, true, {}});
    EXPECT_EQ(ReadFileBytes(pasted[0] + L":Zone.Identifier"), mark) << "the clipboard's text came from elsewhere";
    // Several texts: each file marked as its own sources, the strongest of them where several.
    const std::string restricted = "[ZoneTransfer]\r\nZoneId=4\r\n";
    ASSERT_TRUE(qb::testing::WriteWhole(dir / L"r.uue:Zone.Identifier", restricted.data(), restricted.size()));
    const std::wstring in = dir / L"in.uue", unmarked = dir / L"plain.uue", worst = dir / L"r.uue";
    const auto each = Restore(files, dir.path(), Placement::kNumbered, {{L"e.bin", "e"}, {L"f.bin", "f"}, {L"g.bin", "g"}},
                              {in, false, {{unmarked}, {unmarked, in}, {in, worst, unmarked}}});
    const std::string expected[] = {"<missing>", mark, restricted};
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(ReadFileBytes(each.at(i) + L":Zone.Identifier"), expected[i]) << i;
}

// Presses Cancel in whatever dialog this thread shows next.
void CALLBACK CancelDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM) -> BOOL {
        wchar_t name[16];
        GetClassNameW(window, name, 16);
        if (IsWindowVisible(window) && !wcscmp(name, L"#32770"))
            PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }, 0);
    (void)timer;
}

// Save As proposes " (2)" for a name that is another file's short name (Wine's, asked for).
TEST(Win32Dialogs, SaveAsNeverProposesAnotherFilesShortName) {
    ScratchDir dir;
    qb::testing::WriteFileBytes(dir / L"Quarterly report final.txt", {'q'});
    wchar_t alias[MAX_PATH];
    ASSERT_GT(GetShortPathNameW((dir / L"Quarterly report final.txt").c_str(), alias, MAX_PATH), 0u);
    static std::wstring proposed;
    const UINT_PTR timer = SetTimer(nullptr, 0, 500, [](HWND, UINT, UINT_PTR, DWORD) {
        EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM) -> BOOL {
            HWND name = IsWindowVisible(window) ? GetDlgItem(window, 0x47C) : nullptr;  // the classic one's
            if (IsWindowVisible(window) && !name) name = FindWindowExW(window, nullptr, L"Edit", nullptr);
            if (name) proposed.resize(GetWindowTextW(name, proposed.data(), (proposed.resize(MAX_PATH), MAX_PATH)));
            if (name) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            return TRUE;
        }, 0);
    });
    EXPECT_EQ(Win32Dialogs().PickSavePath(0, SplitPath(alias).name.data(), dir.path()), std::nullopt);
    KillTimer(nullptr, timer);
    EXPECT_EQ(proposed, dir / NumberedName(SplitPath(alias).name, 2));
}

TEST(Win32Dialogs, CancelGivesNoPath) {
    Win32Dialogs dialogs;
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, CancelDialog);
    EXPECT_TRUE(dialogs.PickTextFiles(0).empty());
    EXPECT_EQ(dialogs.PickSavePath(0, L"a.bin", L"C:\\"), std::nullopt);
    EXPECT_EQ(dialogs.PickFolder(0), std::nullopt);
    KillTimer(nullptr, timer);
}

}  // namespace
}  // namespace qb::platform::win32
