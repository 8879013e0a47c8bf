// What Explorer's Properties dialog and the shell read from Quillbox.exe without running it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "product/AppInfo.h"

namespace {

class ProgramFile : public ::testing::Test {
protected:
    void SetUp() override {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(QB_EXE, &ignored);
        ASSERT_GT(size, 0u);
        data_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(QB_EXE, 0, size, data_.data()));
    }
    std::wstring String(const wchar_t* name) {
        void* value = nullptr;
        UINT len = 0;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
        if (!VerQueryValueW(data_.data(), key.c_str(), &value, &len) || len == 0) return L"<none>";
        return static_cast<const wchar_t*>(value);
    }
    std::vector<char> data_;
};

// A version bump that reaches the code but not the record's numbers or texts, or a record read in
// the wrong code page.
TEST_F(ProgramFile, VersionRecordAgreesWithTheBuildAndReadsInChinese) {
    struct Translation {
        WORD language, codePage;
    }* t = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&t), &len));
    EXPECT_EQ(t->language, 2052);
    EXPECT_EQ(t->codePage, 1200);

    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueW(data_.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    const DWORD ms = fixed->dwFileVersionMS, ls = fixed->dwFileVersionLS;
    EXPECT_EQ(fixed->dwProductVersionMS, ms);
    EXPECT_EQ(fixed->dwProductVersionLS, ls);
    wchar_t text[32];
    std::swprintf(text, 32, L"%u.%u.%u.%u", HIWORD(ms), LOWORD(ms), HIWORD(ls), LOWORD(ls));
    EXPECT_EQ(text, std::wstring(qb::product::kVersion) + L".0");
    std::swprintf(text, 32, L"%u.%02u", HIWORD(ms), LOWORD(ms));  // the minor in two digits
    EXPECT_EQ(String(L"FileVersion"), text);
    EXPECT_EQ(String(L"ProductVersion"), text);
    EXPECT_EQ(String(L"LegalCopyright"), qb::product::kRights);
    EXPECT_EQ(String(L"InternalName"), qb::product::kTitle);
    const std::wstring exe = QB_EXE, description = String(L"FileDescription");
    EXPECT_EQ(String(L"OriginalFilename"), exe.substr(exe.rfind(L'\\') + 1));
    EXPECT_NE(String(L"ProductName"), L"<none>");
    EXPECT_NE(description, L"<none>");
    // Written in UTF-8: read in any other code page, the Chinese turns into other characters.
    for (wchar_t c : description)
        EXPECT_TRUE(c < 0x80 || (c >= 0x4E00 && c <= 0x9FFF)) << description;
}

TEST_F(ProgramFile, CarriesTheIconInBothSizesWithSixteenColours) {
    HMODULE exe = LoadLibraryExW(QB_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(exe, nullptr);
    HRSRC group = FindResourceW(exe, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(exe, group)));
    const WORD count = *reinterpret_cast<const WORD*>(dir + 4);
    ASSERT_EQ(count, 2);
    std::vector<std::pair<int, int>> sizes;  // width, colour count
    for (int i = 0; i < count; ++i) {
        const BYTE* entry = dir + 6 + 14 * i;
        sizes.emplace_back(entry[0], *reinterpret_cast<const WORD*>(entry + 6));
    }
    EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{32, 4}, {16, 4}})) << "4 bits a pixel: 16 colours";
    FreeLibrary(exe);
}

}  // namespace
