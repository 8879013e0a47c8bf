// What Explorer's Properties dialog and the shell read from Quillbox.exe without running it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

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

TEST_F(ProgramFile, VersionRecordIsChineseSimplifiedWithTheProductTexts) {
    struct Translation {
        WORD language, codePage;
    }* t = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&t), &len));
    EXPECT_EQ(t->language, 2052);
    EXPECT_EQ(t->codePage, 1200);

    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueW(data_.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);

    EXPECT_EQ(String(L"FileVersion"), L"1.00");
    EXPECT_EQ(String(L"ProductVersion"), L"1.00");
    EXPECT_EQ(String(L"FileDescription"), L"将任何文件编码为可由WinRAR还原的文本文件的工具");
    EXPECT_EQ(String(L"ProductName"), L"Quillbox Tools");
    EXPECT_EQ(String(L"InternalName"), L"Quillbox");
    EXPECT_EQ(String(L"OriginalFilename"), L"Quillbox.exe");
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
