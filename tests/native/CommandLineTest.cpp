#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace qb::app {
namespace {

TEST(ArgumentText, SkipsTheProgramNameQuotedOrNot) {
    EXPECT_EQ(ArgumentText(L"Quillbox.exe C:\\a b.txt"), L"C:\\a b.txt");
    EXPECT_EQ(ArgumentText(L"\"C:\\Program Files\\Quillbox.exe\"   \"C:\\a.txt\""), L"\"C:\\a.txt\"");
    EXPECT_EQ(ArgumentText(L"\"C:\\Program Files\\Quillbox.exe\"C:\\a.txt"), L"C:\\a.txt");
    EXPECT_EQ(ArgumentText(L"Quillbox.exe"), L"");
    EXPECT_EQ(ArgumentText(L"\"C:\\unterminated"), L"");
    EXPECT_EQ(ArgumentText(L"Quillbox.exe\t\tx"), L"x");
}

std::wstring PathIn(std::wstring_view line) {
    const Request request = ReadCommandLine(line);
    const auto* file = std::get_if<FilePath>(&request);
    return file ? file->path : L"<not a path>";
}

TEST(ReadCommandLine, QuotesGoOnceAndOnlyTheExactPrivateStepIsAStep) {
    EXPECT_EQ(PathIn(L"Q.exe \"C:\\my files\\a.txt\""), L"C:\\my files\\a.txt");
    EXPECT_EQ(PathIn(L"Q.exe C:\\my \"files\"\\a.txt"), L"C:\\my files\\a.txt");
    EXPECT_EQ(PathIn(L"Q.exe \"C:\\a.txt\" \"C:\\b.txt\""), L"C:\\a.txt C:\\b.txt");
    EXPECT_TRUE(std::holds_alternative<NoFile>(ReadCommandLine(L"Q.exe \"\"\"")));
    EXPECT_TRUE(std::holds_alternative<NoFile>(ReadCommandLine(L"Q.exe")));
    for (const auto step : {shell::Step::kAdd, shell::Step::kRemove}) {
        const std::wstring arg(shell::ArgumentFor(step));
        for (const auto& line : {L"Q.exe " + arg, L"Q.exe \"" + arg + L"\""}) {
            const Request request = ReadCommandLine(line);
            ASSERT_TRUE(std::holds_alternative<shell::Step>(request)) << line;
            EXPECT_EQ(std::get<shell::Step>(request), step);
        }
        // Anything around it makes it a path (which no file can have), never the step.
        EXPECT_EQ(PathIn(L"Q.exe " + arg + L" x"), arg + L" x");
        EXPECT_EQ(PathIn(L"Q.exe C:\\" + arg), L"C:\\" + arg);
    }
}

}  // namespace
}  // namespace qb::app
