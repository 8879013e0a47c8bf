#include <gtest/gtest.h>

#include "platform/FileNames.h"

namespace qb::platform {
namespace {

TEST(RestoredFileName, AHostileHeaderNameBecomesOneSafeNameInItsFolder) {
    std::wstring emojis, kept;
    for (int i = 0; i < 200; ++i) emojis += L"\U0001F600", kept += i < 125 ? L"\U0001F600" : L"";
    const struct { std::wstring header, restored; } cases[] = {
        {L"..\\..\\x", L"x"}, {L"C:\\x", L"x"}, {L"/etc/x", L"x"}, {L"C:x", L"C_x"},
        {L"x:stream", L"x_stream"}, {L"CON.txt", L"_CON.txt"}, {L"CON.", L"_CON"}, {L"con", L"_con"},
        {L"aux .c", L"_aux .c"}, {L"nul..txt", L"_nul..txt"}, {L"LpT9.x.y", L"_LpT9.x.y"},
        {L"COM\u00B9", L"_COM\u00B9"}, {L"conin$", L"_conin$"}, {L"console.txt", L"console.txt"},
        {L"COM10", L"COM10"}, {L"a\u202Etxt.exe", L"a_txt.exe"}, {L"a\u0085b\u0080\u009F\u00A0", L"a_b__\u00A0"}, {L"a\u061Cb", L"a_b"}, {L"a\u2066b\u200Fc\x01", L"a_b_c_"},
        {L"q?*\"<>|.txt", L"q______.txt"}, {L"name. . ", L"name"}, {L"...", L"\u672A\u547D\u540D"},
        {L"..", L"\u672A\u547D\u540D"}, {L"", L"\u672A\u547D\u540D"}, {L"dir/", L"\u672A\u547D\u540D"},
        {std::wstring(300, L'a') + L".txt", std::wstring(251, L'a') + L".txt"},
        {L"aux" + std::wstring(250, L' ') + L".c", L"_aux" + std::wstring(249, L' ') + L".c"},
        {emojis + L".txt", kept + L".txt"},  // a pair is never split
        {L"x." + std::wstring(300, L'e'), L"x." + std::wstring(253, L'e')},
    };
    for (const auto& c : cases) EXPECT_EQ(RestoredFileName(c.header), c.restored) << c.header.size();
}

// A numbered name past 255 units fails only at the move, after the whole decoding.
TEST(NumberedName, TakesTheNumberBeforeTheExtensionAndStillFitsAName) {
    std::wstring emojis;
    for (int i = 0; i < 126; ++i) emojis += L"\U0001F600";
    const struct { std::wstring name; int number; std::wstring numbered; } cases[] = {
        {L"a.txt", 2, L"a (2).txt"}, {L"a", 3, L"a (3)"}, {L".profile", 2, L".profile (2)"},
        {std::wstring(251, L'n') + L".txt", 2, std::wstring(247, L'n') + L" (2).txt"},
        {std::wstring(251, L'n') + L".txt", 10, std::wstring(246, L'n') + L" (10).txt"},
        {emojis + L".t", 2, emojis.substr(0, sizeof(wchar_t) == 2 ? 248 : 124) + L" (2).t"},
        {L"x." + std::wstring(253, L'e'), 2, L"x." + std::wstring(249, L'e') + L" (2)"},
    };
    for (const auto& c : cases) EXPECT_EQ(NumberedName(c.name, c.number), c.numbered) << c.name.size();
}

TEST(ShownName, BlanksAndSeparatorsAreOneSpaceAndALongNameLosesItsMiddle) {
    EXPECT_EQ(ShownName(L"invoice.pdf\t \u00A0\u3000x\u2028y\u2029"), L"invoice.pdf x y ");
    EXPECT_EQ(ShownName(L"a\u2000\u2003\u200A\u200Bb\uFEFF\uFEFFc\u0085d"), L"a b c d");
    const std::wstring shown = ShownName(std::wstring(60, L'a') + std::wstring(60, L'b') + L".txt");
    EXPECT_EQ(shown, std::wstring(39, L'a') + L"\u2026" + std::wstring(35, L'b') + L".txt");
    EXPECT_EQ(ShownName(std::wstring(80, L'k')), std::wstring(80, L'k'));
}

TEST(SafeFileName, KeepsFolderlessNamesButForbiddenCharactersAndDevices) {
    EXPECT_EQ(SafeFileName(L"aux.c"), L"_aux.c");
    EXPECT_EQ(SafeFileName(L"CON"), L"_CON");
    EXPECT_EQ(SafeFileName(L"a/b\\c.txt"), L"a_b_c.txt");
    EXPECT_EQ(SafeFileName(L"report.txt."), L"report.txt.") << "only the restore rule trims";
}

TEST(NameFromBytes, ReadsUtf8WhenValidAndTheCodePageOtherwise) {
    EXPECT_EQ(NameFromBytes("\xE4\xB8\xAD.txt"), L"\u4E2D.txt");
    EXPECT_EQ(NameFromBytes("\xD6\xD0.txt"), L"\u4E2D.txt");
    EXPECT_EQ(NameFromBytes("\xED\xA0\x80"), L"\u980E\u20AC") << "an encoded surrogate is no UTF-8";
}

}  // namespace
}  // namespace qb::platform
