// What decides whether Quillbox.exe starts at all on Windows 7 SP1 to 11: the functions it
// imports, the systems its manifest names, and the stand-ins for the DPI functions 7 lacks.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "product/Version.h"
#include "windows/Dpi.h"

namespace {

std::vector<char> ReadProgram() {
    std::ifstream in(QB_EXE, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// "dll function" for every import, read from the file as the loader would.
std::set<std::string> ImportsOf(const std::vector<char>& file) {
    const char* base = file.data();
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
    auto at = [&](DWORD rva) -> const char* {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const auto& s = sections[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.Misc.VirtualSize)
                return base + s.PointerToRawData + (rva - s.VirtualAddress);
        }
        ADD_FAILURE() << "RVA outside every section: " << rva;
        return nullptr;
    };
    std::set<std::string> imports;
    const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(dir.VirtualAddress));
         d && d->Name; ++d) {
        const std::string dll = Lower(at(d->Name));
        const DWORD thunks = d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk;
        for (auto* t = reinterpret_cast<const ULONGLONG*>(at(thunks)); t && *t; ++t) {
            if (IMAGE_SNAP_BY_ORDINAL64(*t))
                imports.insert(dll + " #" + std::to_string(IMAGE_ORDINAL64(*t)));
            else
                imports.insert(dll + " " + (at(static_cast<DWORD>(*t)) + 2));
        }
    }
    return imports;
}

// Every entry of the list was checked once against Windows 7 SP1 x64. A function that only a newer
// Windows has stops the program before its first line runs, with no message a user understands.
TEST(Windows7, EveryImportIsOnTheCheckedList) {
    std::set<std::string> checked;
    std::ifstream list(QB_WIN7_IMPORTS);
    ASSERT_TRUE(list) << "the checked list is missing";
    for (std::string line; std::getline(list, line);) {
        if (line.empty() || line[0] == '#') continue;
        const auto space = line.find(' ');
        checked.insert(Lower(line.substr(0, space)) + line.substr(space));
    }
    const auto imports = ImportsOf(ReadProgram());
    ASSERT_GT(imports.size(), 50u) << "the import table was not read";
    // Windows 7's KnownDLLs (and ntdll, loaded before anything) come only from the system folder;
    // any other DLL is looked for beside the program first, where anyone may have put one.
    const std::set<std::string> known = {"advapi32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll",
                                         "msvcrt.dll", "ntdll.dll", "ole32.dll", "shell32.dll", "user32.dll"};
    for (const auto& import : imports) {
        EXPECT_TRUE(checked.count(import)) << import << " is new: check it exists on Windows 7 SP1";
        EXPECT_TRUE(known.count(import.substr(0, import.find(' ')))) << import << ": load it by full path";
    }
}

TEST(Windows7, ManifestIsTheBuiltOneAndNamesEverySystemFromSevenOn) {
    HMODULE exe = LoadLibraryExW(QB_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(exe, nullptr);
    HRSRC found = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(exe, found))),
                               SizeofResource(exe, found));
    FreeLibrary(exe);
    std::ifstream built(QB_MANIFEST, std::ios::binary);
    EXPECT_EQ(manifest, std::string(std::istreambuf_iterator<char>(built), {}))
        << "not the manifest the build made";
    EXPECT_NE(manifest.find("name=\"Quillbox.Quillbox\" version=\"" QB_VERSION ".0\""),
              std::string::npos);
    // Microsoft's GUIDs of Windows 7, 8, 8.1 and 10 (also 11), in that order. Without its GUID, a
    // system runs the program in the compatibility mode of an older one.
    for (const char* guid : {"35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                             "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(manifest.find(guid), std::string::npos) << guid;
    EXPECT_NE(manifest.find(">true/pm<"), std::string::npos);
    EXPECT_NE(manifest.find(">PerMonitorV2<"), std::string::npos);
}

// Windows 7 has none of the per-monitor functions: the stand-ins must give what the new functions
// give at the system's DPI, and scale metrics to any other.
TEST(Windows7, DpiStandInsAgreeWithTheNewFunctions) {
    namespace dpi = qb::windows::dpi;
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    const unsigned system = dpi::ForSystem(), forWindow = dpi::ForWindow(window);
    const int icon = dpi::SystemMetric(SM_CXICON, system), scaled = dpi::SystemMetric(SM_CXICON, 2 * system);
    RECT frame{0, 0, 200, 100};
    ASSERT_TRUE(dpi::AdjustWindowRect(frame, WS_OVERLAPPEDWINDOW, true, 0, system));

    const auto old = dpi::Functions::kStandInsOnly;
    EXPECT_EQ(dpi::ForSystem(old), system);
    EXPECT_EQ(dpi::ForWindow(window, old), forWindow);
    EXPECT_EQ(dpi::SystemMetric(SM_CXICON, system, old), icon);
    EXPECT_EQ(dpi::SystemMetric(SM_CXICON, 2 * system, old), scaled);
    RECT oldFrame{0, 0, 200, 100};
    ASSERT_TRUE(dpi::AdjustWindowRect(oldFrame, WS_OVERLAPPEDWINDOW, true, 0, system, old));
    EXPECT_EQ(std::memcmp(&oldFrame, &frame, sizeof frame), 0);
    DestroyWindow(window);
}

}  // namespace
