#include <gtest/gtest.h>

#include "Fakes.h"
#include "shell/ContextMenu.h"

namespace qb::shell {
namespace {

using qb::testing::FakeSystem;

const std::string kVerb = "*\\Shell\\Quillbox(&U)";
const std::string kCommand = kVerb + "\\Command";
const std::wstring kAdded = L"已经添加到右键菜单", kAddFailed = L"写注册表失败";
const std::wstring kRemoved = L"右键菜单已经清除", kRemoveFailed = L"删除注册表失败";

class ContextMenu : public ::testing::Test {
protected:
    static constexpr std::uintptr_t kOwner = 0x1234;
    void Add() { Apply(Step::kAdd, p, kOwner, Wait); }
    void Remove() { Apply(Step::kRemove, p, kOwner, Wait); }
    int waits = 0;  // copies waited for before their exit code was read
    const WaitForProgram Wait = [this](platform::StartedProgram&) { ++waits; };

    // The one box the step showed: its text, after checking it is a plain OK box.
    std::wstring OnlyMessage() {
        EXPECT_EQ(sys.ui.shown.size(), 1u);
        if (sys.ui.shown.empty()) return {};
        EXPECT_EQ(sys.ui.shown.back().style, 0u) << "OK only, no icon";
        const auto text = sys.ui.shown.back().text;
        sys.ui.shown.clear();
        return text;
    }
    std::string StoredCommand() {
        const auto v = sys.registry.DefaultValue(kCommand);
        if (!v) return "<no value>";
        EXPECT_EQ(v->type, 1u) << "REG_SZ";
        return v->bytes;
    }

    FakeSystem sys;
    platform::Platform p = sys.Get();
};

TEST_F(ContextMenu, AddOnAFreshRegistryWritesExactlyTheTwoKeysAndTheQuotedCommand) {
    EXPECT_FALSE(IsInContextMenu(p));
    Add();
    EXPECT_EQ(OnlyMessage(), kAdded);
    EXPECT_EQ(sys.registry.Paths(), (std::vector<std::string>{"*", "*\\Shell", kVerb, kCommand}))
        << "names spelt exactly, parents created on the way";
    EXPECT_EQ(StoredCommand(), std::string("\"D:\\Tools\\Quillbox.exe\" \"%1\"") + '\0');
    EXPECT_FALSE(sys.registry.DefaultValue(kVerb)) << "the verb key holds no value";
    EXPECT_TRUE(IsInContextMenu(p));
    EXPECT_TRUE(sys.ui.shown.empty()) << "the presence test is silent";
    EXPECT_EQ(sys.registry.OpenKeys(), 0);
}

TEST_F(ContextMenu, AddingAgainAfterTheProgramMovedReplacesTheCommand) {
    Add();
    sys.process.location = {L"E:\\", L"Quillbox"};
    Add();
    EXPECT_EQ(sys.ui.shown.back().text, kAdded);
    EXPECT_EQ(StoredCommand(), std::string("\"E:\\Quillbox.exe\" \"%1\"") + '\0')
        << "exactly one backslash after a drive root";
    EXPECT_EQ(sys.registry.Paths().size(), 4u);
}

TEST_F(ContextMenu, ACommandInAChineseFolderIsStoredInCodePage936WithItsByteLength) {
    sys.process.location = {L"C:\\Program Files\\工具 箱", L"quill.box"};
    Add();
    EXPECT_EQ(OnlyMessage(), kAdded);
    const std::string expected =
        "\"C:\\Program Files\\\xB9\xA4\xBE\xDF \xCF\xE4\\quill.box.exe\" \"%1\"";
    EXPECT_EQ(StoredCommand(), expected + '\0');
    // 42 characters, 3 of them Chinese at two bytes each, and one more for the NUL.
    EXPECT_EQ(sys.registry.lastSetLength, 46u);
}

TEST_F(ContextMenu, ARefusedCreateStillWritesTheValueButReportsFailure) {
    sys.registry.refuseCreate = true;
    Add();
    EXPECT_EQ(OnlyMessage(), kAddFailed);
    EXPECT_EQ(StoredCommand(), std::string("\"D:\\Tools\\Quillbox.exe\" \"%1\"") + '\0');
    EXPECT_EQ(sys.registry.OpenKeys(), 0);

    sys.registry.refuseCreate = false;
    sys.registry.refuseSet = true;
    sys.process.location = {L"F:\\New", L"Quillbox"};
    Add();
    EXPECT_EQ(OnlyMessage(), kAddFailed);
    EXPECT_EQ(StoredCommand(), std::string("\"D:\\Tools\\Quillbox.exe\" \"%1\"") + '\0');
}

TEST_F(ContextMenu, ACommandThatCouldNotStartTheProgramIsNeverWrittenAndTheFailureIsShown) {
    sys.process.location = {L"C:\\한국어", L"Quillbox"};  // outside code page 936
    Add();
    EXPECT_EQ(OnlyMessage(), kAddFailed);
    // A copy named Quillbox.com: the entry's Quillbox.exe beside it is missing or another file.
    sys.process.file = L"C:\\Tools\\Quillbox.com";
    Add();
    EXPECT_EQ(OnlyMessage(), kAddFailed);
    sys.process.file.clear();
    sys.process.location = {L"C:\\Tools", L"Quillbox"};
    sys.process.lost = true;
    Add();
    EXPECT_EQ(OnlyMessage(), kAddFailed);
    EXPECT_TRUE(sys.registry.Paths().empty()) << "nothing written, not even the keys";
}

TEST_F(ContextMenu, RemoveAfterAddDeletesBothKeysAndLeavesShellAlone) {
    sys.registry.Add("*\\Shell\\Other\\Command");
    Add();
    OnlyMessage();
    Remove();
    EXPECT_EQ(OnlyMessage(), kRemoved);
    EXPECT_EQ(sys.registry.Paths(),
              (std::vector<std::string>{"*", "*\\Shell", "*\\Shell\\Other",
                                        "*\\Shell\\Other\\Command"}));
    EXPECT_FALSE(IsInContextMenu(p));
    EXPECT_EQ(sys.registry.OpenKeys(), 0);
}

TEST_F(ContextMenu, RemoveWithNothingThereReportsFailureAndChangesNothing) {
    sys.registry.Add("*\\Shell\\Other\\Command");
    const auto before = sys.registry.Paths();
    Remove();
    EXPECT_EQ(OnlyMessage(), kRemoveFailed);
    EXPECT_EQ(sys.registry.Paths(), before);
}

TEST_F(ContextMenu, RemoveOfAHalfEntryStillDeletesTheVerbKey) {
    sys.registry.Add(kVerb);
    EXPECT_TRUE(IsInContextMenu(p)) << "the verb key alone is enough for Explorer";
    Remove();
    EXPECT_EQ(OnlyMessage(), kRemoveFailed) << "there was no Command key to delete";
    EXPECT_FALSE(sys.registry.Has(kVerb));
    EXPECT_TRUE(sys.registry.Has("*\\Shell"));
}

TEST_F(ContextMenu, RemoveLeavesTheVerbKeyWhenSomethingElseHangsBelowIt) {
    Add();
    OnlyMessage();
    sys.registry.Add(kVerb + "\\DropTarget");
    Remove();
    EXPECT_EQ(OnlyMessage(), kRemoveFailed);
    EXPECT_FALSE(sys.registry.Has(kCommand));
    EXPECT_TRUE(sys.registry.Has(kVerb + "\\DropTarget"));
    EXPECT_EQ(sys.registry.OpenKeys(), 0);
}

TEST_F(ContextMenu, WithoutElevationOnlyTheSecondCopyWritesAndItsExitCodeAloneDecidesTheBox) {
    EXPECT_FALSE(ApplyNeedsElevation(p)) << "elevated: no shield, the step in-process";
    sys.process.elevated = false;
    sys.process.file = L"D:\\Tools\\Quillbox.com";  // started as it is, never a rebuilt name
    EXPECT_TRUE(ApplyNeedsElevation(p)) << "the shield goes on Apply";
    const std::pair<std::optional<std::uint32_t>, std::vector<std::wstring>> copies[] = {
        {0u, {kAdded, kRemoved}}, {1u, {kAddFailed, kRemoveFailed}},
        {0xC0000005u, {kAddFailed, kRemoveFailed}}, {std::nullopt, {}}};  // a crash; declined
    for (const auto& [exitCode, boxes] : copies) {
        sys.launcher.exitCode = exitCode;
        Add();
        Remove();
        EXPECT_EQ(sys.ui.Texts(), boxes);
        sys.ui.shown.clear();
    }
    EXPECT_EQ(waits, 6) << "every copy that started was waited for, none that was declined";
    sys.launcher.fail = true;
    Remove();
    EXPECT_EQ(OnlyMessage(), kRemoveFailed) << "the copy could not be started";
    EXPECT_TRUE(sys.registry.Paths().empty()) << "this process never writes";
    EXPECT_EQ(sys.launcher.launched[0].first,
              L"D:\\Tools\\Quillbox.com " + std::wstring(ArgumentFor(Step::kAdd)));
    EXPECT_EQ(sys.launcher.owners[0], kOwner);
}

TEST(ProgramLocation, SplitsTheModulePathTheWayTheCommandNeedsIt) {
    using platform::LocationOfProgram;
    const auto root = LocationOfProgram(L"C:\\Quillbox.exe");
    EXPECT_EQ(root.directory, L"C:\\");
    EXPECT_EQ(root.name, L"Quillbox");
    EXPECT_EQ(EntryCommand(root), L"\"C:\\Quillbox.exe\" \"%1\"");

    const auto deep = LocationOfProgram(L"D:\\My Tools\\v1.2\\quill.box.EXE");
    EXPECT_EQ(deep.directory, L"D:\\My Tools\\v1.2");
    EXPECT_EQ(deep.name, L"quill.box");
    EXPECT_EQ(EntryCommand(deep), L"\"D:\\My Tools\\v1.2\\quill.box.exe\" \"%1\"")
        << "the extension is always written as .exe";

    const auto share = LocationOfProgram(L"\\\\server\\share\\Quillbox.exe");
    EXPECT_EQ(share.directory, L"\\\\server\\share");
    EXPECT_EQ(LocationOfProgram(L"D:\\bin\\Quillbox").name, L"Quillbox");
}

}  // namespace
}  // namespace qb::shell
