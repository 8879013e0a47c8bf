// The context-menu entry against the registry of the test prefix, and the command it stores run
// the way Explorer runs it.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "Driver.h"
#include "FormFixture.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"
#include "TestPlatform.h"
#include "shell/ContextMenu.h"
#include "WinFiles.h"

namespace qb::shell {
namespace {

using platform::win32::UniqueHkey;
using qb::testing::ScratchDir;

constexpr char kShell[] = "*\\Shell";
constexpr char kVerb[] = "*\\Shell\\Quillbox(&U)";
constexpr char kCommand[] = "*\\Shell\\Quillbox(&U)\\Command";
constexpr char kExtra[] = "*\\Shell\\Quillbox(&U)\\Extra";

bool KeyExists(const char* subkey) {
    HKEY h = nullptr;
    const UniqueHkey key(RegOpenKeyA(HKEY_CLASSES_ROOT, subkey, &h) == ERROR_SUCCESS ? h : nullptr);
    return static_cast<bool>(key);
}

// The default value as the system reads it back: status, type and every byte with its length.
struct Stored {
    LONG status = -1;
    DWORD type = 0;
    std::string bytes;
};

Stored DefaultValueA(const char* subkey) {
    HKEY h = nullptr;
    Stored s;
    if ((s.status = RegOpenKeyA(HKEY_CLASSES_ROOT, subkey, &h)) != ERROR_SUCCESS) return s;
    const UniqueHkey key(h);
    DWORD size = 0;
    s.status = RegQueryValueExA(key.get(), nullptr, nullptr, &s.type, nullptr, &size);
    if (s.status != ERROR_SUCCESS) return s;
    s.bytes.resize(size);
    s.status = RegQueryValueExA(key.get(), nullptr, nullptr, &s.type,
                                reinterpret_cast<BYTE*>(s.bytes.data()), &size);
    s.bytes.resize(size);
    return s;
}

std::wstring DefaultValueW(const char* subkey, DWORD* type, DWORD* size) {
    HKEY h = nullptr;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, subkey, &h) != ERROR_SUCCESS) return L"<no key>";
    const UniqueHkey key(h);
    *size = 0;
    if (RegQueryValueExW(key.get(), nullptr, nullptr, type, nullptr, size) != ERROR_SUCCESS)
        return L"<no value>";
    std::wstring text(*size / sizeof(wchar_t), L'\0');
    RegQueryValueExW(key.get(), nullptr, nullptr, type, reinterpret_cast<BYTE*>(text.data()), size);
    return text;
}

class ContextMenuOnWine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 936u) << "the tests expect the Chinese (Simplified) code page";
        CleanUp();
    }
    void TearDown() override { CleanUp(); }
    static void CleanUp() {
        for (const char* key : {kExtra, kCommand, kVerb}) RegDeleteKeyA(HKEY_CLASSES_ROOT, key);
    }

    testing::Win32System sys;
    platform::Platform p = sys.Get();
};

TEST_F(ContextMenuOnWine, TheCommandReadsBackAsQuotedRegSzInCodePage936) {
    sys.process.location = {L"C:\\Program Files\\工具 箱", L"Quillbox"};
    EXPECT_FALSE(IsInContextMenu(p));
    EXPECT_TRUE(AddToContextMenu(p));
    EXPECT_TRUE(IsInContextMenu(p));

    const auto ansi = DefaultValueA(kCommand);
    ASSERT_EQ(ansi.status, ERROR_SUCCESS);
    EXPECT_EQ(ansi.type, static_cast<DWORD>(REG_SZ));
    // 工具 is B9 A4 BE DF and 箱 is CF E4 in code page 936; the length includes the NUL.
    const std::string expected =
        "\"C:\\Program Files\\\xB9\xA4\xBE\xDF \xCF\xE4\\Quillbox.exe\" \"%1\"";
    EXPECT_EQ(ansi.bytes, expected + '\0');
    EXPECT_EQ(ansi.bytes.size(), 45u);

    DWORD type = 0, size = 0;
    EXPECT_EQ(DefaultValueW(kCommand, &type, &size),
              std::wstring(L"\"C:\\Program Files\\工具 箱\\Quillbox.exe\" \"%1\"") + L'\0');
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 42u * sizeof(wchar_t));

    EXPECT_EQ(DefaultValueA(kVerb).status, ERROR_FILE_NOT_FOUND) << "the verb key holds no value";
}

TEST_F(ContextMenuOnWine, ADriveRootGetsOneBackslashAndAMoveReplacesTheCommand) {
    EXPECT_TRUE(AddToContextMenu(p));
    sys.process.location = {L"E:\\", L"Quillbox"};
    EXPECT_TRUE(AddToContextMenu(p));
    const auto stored = DefaultValueA(kCommand);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored.bytes, std::string("\"E:\\Quillbox.exe\" \"%1\"") + '\0');
}

TEST_F(ContextMenuOnWine, RemoveDeletesOnlyOurKeysAndReportsWhatHappened) {
    EXPECT_TRUE(AddToContextMenu(p));
    EXPECT_TRUE(RemoveFromContextMenu(p));
    EXPECT_FALSE(IsInContextMenu(p));
    EXPECT_FALSE(KeyExists(kVerb));
    EXPECT_TRUE(KeyExists(kShell));
    EXPECT_FALSE(RemoveFromContextMenu(p));
}

// The system refuses to delete a key that still has sub-keys; the fake registry relies on that.
TEST_F(ContextMenuOnWine, AKeyBelowTheVerbKeepsItButCommandStillGoes) {
    AddToContextMenu(p);
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, kExtra, &h), ERROR_SUCCESS);
    RegCloseKey(h);
    EXPECT_FALSE(RemoveFromContextMenu(p));
    EXPECT_FALSE(KeyExists(kCommand));
    EXPECT_TRUE(KeyExists(kVerb));
}

// The second copy, started here directly: under Wine every process is a full administrator.
TEST_F(ContextMenuOnWine, APrivateArgumentDoesItsStepAloneAndSilentlyAndNoFileCanPoseAsOne) {
    const std::wstring add(ArgumentFor(Step::kAdd)), remove(ArgumentFor(Step::kRemove));
    for (const auto& [argument, code] : {std::pair{add, 0u}, {L"\"" + remove + L"\"", 0u}, {remove, 1u}}) {
        qb::testing::RunningQuillbox run(argument);
        EXPECT_EQ(run.WaitForBox(), std::nullopt) << argument;
        EXPECT_EQ(run.WaitForExit(), code) << argument;
        EXPECT_TRUE(run.OtherWindows().empty() && KeyExists(kVerb) == (argument == add)) << argument;
    }
    ScratchDir dir;
    EXPECT_EQ(CreateFileW((dir / add).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr),
              INVALID_HANDLE_VALUE) << "no file has that name";
    EXPECT_EQ(qb::testing::RunAndConfirm(L"\"" + dir / add + L"\"").box.text, L"文件打开失败");
    EXPECT_FALSE(KeyExists(kVerb));
}

// Copies of the program named Quillbox.com (Windows runs it on a double-click): the entry would
// name Quillbox.exe beside it, missing or another file, and so is never written; the elevated copy
// is the running file itself, and one that is gone is reported once, by us alone.
TEST_F(ContextMenuOnWine, ACopyNamedOtherwiseNeverWritesAnEntryForAnotherFileNorShowsTheShellsBox) {
    ScratchDir dir;
    const std::wstring com = dir / L"Quillbox.com", other = dir / L"Quillbox.exe";
    ASSERT_TRUE(CopyFileW(QB_EXE, com.c_str(), FALSE));
    const std::wstring add = L"\"" + com + L"\" " + std::wstring(ArgumentFor(Step::kAdd));
    for (const bool planted : {false, true}) {
        if (planted) {
            ASSERT_TRUE(CopyFileW(QB_EXE, other.c_str(), FALSE));  // not the same file
        }
        qb::testing::RunningQuillbox run(qb::testing::WholeCommandLine{add});
        EXPECT_EQ(run.WaitForExit(), 1u) << planted;
        EXPECT_FALSE(KeyExists(kVerb)) << planted;
    }
    platform::win32::Win32Launcher launcher;
    // Wine, like Windows, starts a program named .com through ShellExecuteEx.
    const auto copy = launcher.StartElevated(0, com, ArgumentFor(Step::kRemove));
    ASSERT_TRUE(copy);
    WaitForSingleObject(reinterpret_cast<HANDLE>(copy->Handle()), 20000);
    EXPECT_EQ(copy->ExitCode(), 1u) << "it ran the step: there was nothing to remove";

    static std::vector<std::wstring> shellBoxes;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        for (HWND box : testing::ThreadWindows(L"#32770")) {
            shellBoxes.push_back(testing::WindowText(GetDlgItem(box, 0xFFFF)));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    });
    ASSERT_TRUE(DeleteFileW(com.c_str()));
    try {
        launcher.StartElevated(0, com, ArgumentFor(Step::kAdd));
        ADD_FAILURE() << "a program that is gone was started";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.Code(), static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
    }
    KillTimer(nullptr, timer);
    EXPECT_EQ(shellBoxes, std::vector<std::wstring>{}) << "the shell showed a box of its own";
}

TEST(Win32Process, LocationNamesThisProgramWithoutItsExtension) {
    const auto here = platform::win32::Win32Process().Location();
    EXPECT_EQ(here.name, L"qb_shell_tests");
    ASSERT_FALSE(here.directory.empty());
    EXPECT_NE(here.directory.back(), L'\\');
    EXPECT_TRUE(qb::testing::Exists(here.directory + L"\\" + here.name + L".exe"));
}

TEST_F(ContextMenuOnWine, TheStoredCommandRunAsExplorerDoesEncodesTheChosenFile) {
    ScratchDir dir;
    const std::wstring programDir = dir / L"程序 目录", dataDir = dir / L"资料 夹";
    ASSERT_TRUE(CreateDirectoryW(programDir.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(dataDir.c_str(), nullptr));
    const std::wstring program = programDir + L"\\Quillbox.exe";
    ASSERT_TRUE(CopyFileW(QB_EXE, program.c_str(), FALSE));
    const std::wstring file = dataDir + L"\\测试 文件.txt";
    qb::testing::WriteFileBytes(file, {'a', 'b', 'c'});
    qb::testing::SetClipboardText("clipboard before the run");

    sys.process.location = platform::LocationOfProgram(program);
    AddToContextMenu(p);
    DWORD type = 0, size = 0;
    std::wstring command = DefaultValueW(kCommand, &type, &size);
    ASSERT_FALSE(command.empty());
    command.pop_back();  // the stored NUL
    const auto at = command.find(L"%1");
    ASSERT_NE(at, std::wstring::npos) << command;
    command.replace(at, 2, file);

    qb::testing::RunningQuillbox run(qb::testing::WholeCommandLine{command});
    const auto box = run.WaitForBox();
    ASSERT_TRUE(box) << "no message box for " << ::testing::PrintToString(command);
    EXPECT_EQ(box->text, L"转换完毕，已经设置了剪切板，可以直接粘贴");
    run.Press(*box, IDOK);
    EXPECT_EQ(run.WaitForExit(), 0u);
    // 测试 文件 is B2 E2 CA D4 20 CE C4 BC FE in code page 936.
    EXPECT_EQ(qb::testing::ClipboardText(),
              "begin 644 \xB2\xE2\xCA\xD4 \xCE\xC4\xBC\xFE.txt\r\n#86)C\r\n`\r\nend\r\n"
              "\xB9\xD9\xB7\xBD\xCD\xF8\xD5\xBE\xA3\xBA" "http://quillbox.example.com/");
}

}  // namespace
}  // namespace qb::shell
