#include <gtest/gtest.h>

#include "pipeline/CommandLine.h"

namespace qb::pipeline {
namespace {

TEST(ArgumentText, SkipsTheProgramNameQuotedOrNot) {
    EXPECT_EQ(ArgumentText(L"Quillbox.exe C:\\a b.txt"), L"C:\\a b.txt");
    EXPECT_EQ(ArgumentText(L"\"C:\\Program Files\\Quillbox.exe\"   \"C:\\a.txt\""), L"\"C:\\a.txt\"");
    EXPECT_EQ(ArgumentText(L"\"C:\\Program Files\\Quillbox.exe\"C:\\a.txt"), L"C:\\a.txt");
    EXPECT_EQ(ArgumentText(L"Quillbox.exe"), L"");
    EXPECT_EQ(ArgumentText(L"\"C:\\unterminated"), L"");
    EXPECT_EQ(ArgumentText(L"Quillbox.exe\t\tx"), L"x");
}

TEST(PathFromArgument, RemovesEveryQuoteAndKeepsEverythingElse) {
    EXPECT_EQ(PathFromArgument(L"\"C:\\my files\\a.txt\""), L"C:\\my files\\a.txt");
    EXPECT_EQ(PathFromArgument(L"C:\\my \"files\"\\a.txt"), L"C:\\my files\\a.txt");
    EXPECT_EQ(PathFromArgument(L"\"\"\""), L"");
    EXPECT_EQ(PathFromArgument(L"\"C:\\a.txt\" \"C:\\b.txt\""), L"C:\\a.txt C:\\b.txt");
}

}  // namespace
}  // namespace qb::pipeline
